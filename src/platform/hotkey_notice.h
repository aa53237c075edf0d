// What the user is told about global hotkeys the program asked for and did not get: which
// combinations, and why (another program holds them, or the desktop gave them to no one and
// says where the user can choose keys).
#pragma once

#include <string>
#include <vector>

namespace pindle::platform {

struct RefusedHotkey {
  unsigned modifiers = 0;  // MOD_ALT 1, MOD_CONTROL 2, MOD_SHIFT 4, MOD_WIN 8
  unsigned vk = 0;
  // The desktop's word on it (where to set it, the keys it gave instead); empty when another
  // program holds the combination.
  std::u16string desktopNote;
  bool operator==(const RefusedHotkey&) const = default;
};

// "Alt+F1", "Ctrl+Shift+A".
std::u16string HotkeyName(unsigned modifiers, unsigned vk);

// One message naming every refused combination; empty for none.
std::u16string RefusedHotkeysText(const std::vector<RefusedHotkey>& refused);

}  // namespace pindle::platform
