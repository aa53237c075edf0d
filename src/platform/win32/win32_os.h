// The operating-system calls as Windows makes them.  Texts go to the ANSI functions in code
// page 932 by our own conversion, so the program behaves the same on a Windows whose system
// code page is not 932.
#pragma once

#include <windows.h>

#include "platform/os_api.h"
#include "platform/win32/win32_handles.h"

namespace pindle::platform::win32 {

class Win32Os final : public OsApi {
 public:
  Win32Os() = default;
  Win32Os(const Win32Os&) = delete;
  Win32Os& operator=(const Win32Os&) = delete;

  int Shell_NotifyIconA(std::uint32_t dwMessage, std::span<const std::uint8_t> record) override;
  std::intptr_t ShellExecuteA(Hwnd hWnd, const std::u16string& verb, const std::u16string& file,
                              const std::optional<std::u16string>& parameters,
                              const std::optional<std::u16string>& directory, int showCmd) override;
  std::uint16_t GlobalAddAtomA(const std::u16string& text) override;
  std::uint16_t GlobalDeleteAtom(std::uint16_t atom) override;
  std::uint32_t RegisterWindowMessageA(const std::u16string& name) override;
  int RegisterHotKey(Hwnd hWnd, int id, unsigned modifiers, unsigned vk) override;
  int UnregisterHotKey(Hwnd hWnd, int id) override;
  std::intptr_t SetWindowLongA(Hwnd hWnd, int index, std::intptr_t newLong) override;
  LResult CallWindowProcA(std::intptr_t prevProc, Hwnd hWnd, std::uint32_t uMsg, WParam wParam,
                          LParam lParam) override;

  // The icon the tray shows, while it shows one of the program's.
  HICON TrayIcon() const { return trayIcon_.get(); }

 private:
  IconHandle trayIcon_;
};

}  // namespace pindle::platform::win32
