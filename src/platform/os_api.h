// The operating-system calls the program makes, with their Win32 names and argument meanings.
// On Windows they are the real calls (texts converted to code page 932 by our own codec); the
// in-memory backend keeps an atom table, hotkeys and a log; the Linux backend maps them onto
// the X server and the desktop's services.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace pindle::platform {

using Hwnd = std::uintptr_t;  // a window handle value
using LResult = std::intptr_t;
using WParam = std::uintptr_t;
using LParam = std::intptr_t;

#if defined(_WIN32) && !defined(_WIN64)
#define PINDLE_CALLBACK __stdcall
#else
#define PINDLE_CALLBACK
#endif

// A window procedure: the form Windows calls, four arguments and a result.
using WndProc = LResult(PINDLE_CALLBACK*)(Hwnd hWnd, std::uint32_t uMsg, WParam wParam,
                                          LParam lParam);

inline std::intptr_t ProcAddress(WndProc proc) {
  return reinterpret_cast<std::intptr_t>(proc);
}

namespace msg {
inline constexpr std::uint32_t kMouseMove = 0x0200;      // 512
inline constexpr std::uint32_t kLButtonDown = 0x0201;    // 513
inline constexpr std::uint32_t kLButtonUp = 0x0202;      // 514
inline constexpr std::uint32_t kLButtonDblClk = 0x0203;  // 515
inline constexpr std::uint32_t kRButtonDown = 0x0204;    // 516
inline constexpr std::uint32_t kRButtonUp = 0x0205;      // 517
inline constexpr std::uint32_t kMButtonDown = 0x0207;    // 519
inline constexpr std::uint32_t kHotKey = 0x0312;         // 786
}  // namespace msg

// A mouse message's arguments: the shift state (1 Shift, 2 Ctrl) as MK_SHIFT and MK_CONTROL in
// wParam, the client position in pixels in lParam, x in its low word and y in its high word.
constexpr WParam MouseKeys(int shift) {
  return ((shift & 1) ? 0x4u : 0u) | ((shift & 2) ? 0x8u : 0u);
}
constexpr int ShiftOf(WParam mouseKeys) {
  return ((mouseKeys & 0x4u) ? 1 : 0) | ((mouseKeys & 0x8u) ? 2 : 0);
}
constexpr LParam MousePosition(int x, int y) {
  return static_cast<LParam>((static_cast<std::uint32_t>(y) & 0xFFFFu) << 16 |
                             (static_cast<std::uint32_t>(x) & 0xFFFFu));
}
constexpr int MouseX(LParam position) {
  return static_cast<int>(static_cast<std::uintptr_t>(position) & 0xFFFFu);
}
constexpr int MouseY(LParam position) {
  return static_cast<int>((static_cast<std::uintptr_t>(position) >> 16) & 0xFFFFu);
}

inline constexpr int kGwlWndProc = -4;
inline constexpr std::uint32_t kNimAdd = 0;
inline constexpr std::uint32_t kNimDelete = 2;
inline constexpr unsigned kModAlt = 1;
inline constexpr int kSwShow = 5;

class OsApi {
 public:
  virtual ~OsApi() = default;

  // shell32.  record: the tray-icon record in its 88-byte little-endian form (cbSize first).
  virtual int Shell_NotifyIconA(std::uint32_t dwMessage, std::span<const std::uint8_t> record) = 0;
  // Asks the shell to open file with verb; parameters and directory may be absent (null).
  // Returns the shell's result code (above 32 on success).
  virtual std::intptr_t ShellExecuteA(Hwnd hWnd, const std::u16string& verb,
                                      const std::u16string& file,
                                      const std::optional<std::u16string>& parameters,
                                      const std::optional<std::u16string>& directory,
                                      int showCmd) = 0;

  // kernel32: the system-wide atom table.  0 on failure.
  virtual std::uint16_t GlobalAddAtomA(const std::u16string& text) = 0;
  virtual std::uint16_t GlobalDeleteAtom(std::uint16_t atom) = 0;

  // user32.
  // The number of a message known to every program by its name ("TaskbarCreated").
  virtual std::uint32_t RegisterWindowMessageA(const std::u16string& name) = 0;
  virtual int RegisterHotKey(Hwnd hWnd, int id, unsigned modifiers, unsigned vk) = 0;
  virtual int UnregisterHotKey(Hwnd hWnd, int id) = 0;
  // With index -4: makes newLong the window's procedure and returns the previous one.
  virtual std::intptr_t SetWindowLongA(Hwnd hWnd, int index, std::intptr_t newLong) = 0;
  virtual LResult CallWindowProcA(std::intptr_t prevProc, Hwnd hWnd, std::uint32_t uMsg,
                                  WParam wParam, LParam lParam) = 0;
};

}  // namespace pindle::platform
