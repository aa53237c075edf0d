// Windows' wide characters are UTF-16 code units, as the program's text is: between the two
// nothing is converted, only the element type changes.  For Windows sources only.
#pragma once

#include <string>
#include <string_view>

namespace pindle::platform {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16 units");

inline std::wstring Wide(std::u16string_view text) {
  return {text.begin(), text.end()};
}
inline std::u16string Narrow(std::wstring_view text) {
  return {text.begin(), text.end()};
}

}  // namespace pindle::platform
