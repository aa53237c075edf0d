#include "platform/win32/win32_os.h"

#include <windows.h>
// after windows.h
#include <shellapi.h>

#include <algorithm>
#include <cstring>

#include "platform/cp932.h"
#include "platform/runtime.h"
#include "platform/runtime_error.h"
#include "platform/tray_icon_data.h"

namespace pindle::platform::win32 {

namespace {

HWND ToHwnd(Hwnd h) {
  return reinterpret_cast<HWND>(h);
}

// Text for an ANSI call; a character code page 932 cannot hold is an error, not a '?'.
std::string Ansi(const std::u16string& text) {
  auto encoded = EncodeCp932(text);
  if (!encoded.ok()) {
    throw RuntimeError(err::kInvalidArgument, u"Shift-JIS で表せない文字があります: " +
                                                  DescribeUnrepresentable(encoded.unrepresentable));
  }
  return std::move(encoded.bytes);
}

}  // namespace

int Win32Os::Shell_NotifyIconA(std::uint32_t dwMessage, std::span<const std::uint8_t> record) {
  const std::optional<NotifyIconData> r = NotifyIconData::FromBytes(record);
  if (!r) return 0;
  NOTIFYICONDATAA data{};
  data.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data.hWnd = ToHwnd(r->hWnd);
  data.uID = static_cast<UINT>(r->uID);
  data.uFlags = static_cast<UINT>(r->uFlags);
  data.uCallbackMessage = static_cast<UINT>(r->uCallbackMessage);
  data.hIcon = reinterpret_cast<HICON>(r->hIcon);
  const std::string tip = EncodeCp932(r->szTip).bytes;  // the 88-byte form has 64 bytes of tip
  std::memcpy(data.szTip, tip.data(), std::min<std::size_t>(tip.size(), kTipLength - 1));
  IconHandle sized;
  if (dwMessage == NIM_ADD) {
    // The tray shows its small size (16 pixels at 100 %, 20 at 125 %, 24 at 150 %): that image
    // from the icon's resource, not a larger one the shell would shrink and blur.
    sized.reset(
        static_cast<HICON>(::CopyImage(data.hIcon, IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                       ::GetSystemMetrics(SM_CYSMICON), LR_COPYFROMRESOURCE)));
    if (sized) data.hIcon = sized.get();
    // Explorer runs without elevation: a copy started as administrator still hears the
    // taskbar come back and the clicks on its icon.
    ::ChangeWindowMessageFilterEx(data.hWnd, ::RegisterWindowMessageW(L"TaskbarCreated"),
                                  MSGFLT_ALLOW, nullptr);
    ::ChangeWindowMessageFilterEx(data.hWnd, data.uCallbackMessage, MSGFLT_ALLOW, nullptr);
  }
  if (!::Shell_NotifyIconA(dwMessage, &data)) return 0;
  if (dwMessage == NIM_ADD && sized) trayIcon_ = std::move(sized);
  if (dwMessage == NIM_DELETE) trayIcon_.reset();
  return 1;
}

std::intptr_t Win32Os::ShellExecuteA(Hwnd hWnd, const std::u16string& verb,
                                     const std::u16string& file,
                                     const std::optional<std::u16string>& parameters,
                                     const std::optional<std::u16string>& directory, int showCmd) {
  const std::string v = Ansi(verb), f = Ansi(file);
  const std::string p = parameters ? Ansi(*parameters) : std::string();
  const std::string d = directory ? Ansi(*directory) : std::string();
  const HINSTANCE result =
      ::ShellExecuteA(ToHwnd(hWnd), v.c_str(), f.c_str(), parameters ? p.c_str() : nullptr,
                      directory ? d.c_str() : nullptr, showCmd);
  return reinterpret_cast<std::intptr_t>(result);
}

std::uint16_t Win32Os::GlobalAddAtomA(const std::u16string& text) {
  return ::GlobalAddAtomA(Ansi(text).c_str());
}

std::uint16_t Win32Os::GlobalDeleteAtom(std::uint16_t atom) {
  return ::GlobalDeleteAtom(atom);
}

std::uint32_t Win32Os::RegisterWindowMessageA(const std::u16string& name) {
  return ::RegisterWindowMessageA(Ansi(name).c_str());
}

int Win32Os::RegisterHotKey(Hwnd hWnd, int id, unsigned modifiers, unsigned vk) {
  if (::RegisterHotKey(ToHwnd(hWnd), id, modifiers, vk)) return 1;
  // Another program holds the combination (an overlay, a dictionary, a capture tool).
  if (::GetLastError() == ERROR_HOTKEY_ALREADY_REGISTERED) {
    Runtime::Current().HotkeyRefused(modifiers, vk);
  }
  return 0;
}

int Win32Os::UnregisterHotKey(Hwnd hWnd, int id) {
  return ::UnregisterHotKey(ToHwnd(hWnd), id) ? 1 : 0;
}

std::intptr_t Win32Os::SetWindowLongA(Hwnd hWnd, int index, std::intptr_t newLong) {
  return ::SetWindowLongPtrA(ToHwnd(hWnd), index, newLong);
}

LResult Win32Os::CallWindowProcA(std::intptr_t prevProc, Hwnd hWnd, std::uint32_t uMsg,
                                 WParam wParam, LParam lParam) {
  return ::CallWindowProcA(reinterpret_cast<WNDPROC>(prevProc), ToHwnd(hWnd), uMsg, wParam, lParam);
}

}  // namespace pindle::platform::win32
