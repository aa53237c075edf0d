// The global hotkeys and the window hook: Alt+F1 shows the quick memo window, Alt+F2 unloads
// it, Alt+F3 shows the registered-memo editor, from any application.  WindowProc is put in
// front of the host window's own procedure; it acts on WM_HOTKEY and hands every message on.
#pragma once

#include <cstdint>

#include "platform/os_api.h"

namespace pindle {

// Program-wide values of the hotkey module, zero when the program starts.
struct Module2 {
  std::int16_t HotkeyAtom1 = 0;   // "HOTKEY1", Alt+F1
  std::int16_t HotkeyAtom2 = 0;   // "HOTKEY2", Alt+F2
  std::int16_t HotkeyAtom3 = 0;   // "HOTKEY3", Alt+F3
  std::intptr_t PrevWndProc = 0;  // the procedure in place before HookWindow; 0 while not hooked
  bool InWindowProc = false;      // true while WindowProc carries out a hotkey action

  static Module2& Values();
};

inline constexpr unsigned kVkF1 = 0x70;
inline constexpr unsigned kVkF2 = 0x71;
inline constexpr unsigned kVkF3 = 0x72;

// An atom as a hotkey identifier: the signed 16-bit value widened with sign extension, so that
// atom 0xC0A5 is -16219 in all three places it is used.
constexpr std::int32_t HotkeyIdentifier(std::int16_t atom) {
  return atom;
}

void HookWindow(platform::Hwnd hWnd);
void UnhookWindow(platform::Hwnd hWnd);
platform::LResult PINDLE_CALLBACK WindowProc(platform::Hwnd hWnd, std::uint32_t uMsg,
                                             platform::WParam wParam, platform::LParam lParam);

}  // namespace pindle
