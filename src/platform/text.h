// The program's text is UTF-16; these convert at the edges (file names on Linux, widgets,
// test output).  Invalid input never throws: bad sequences become U+FFFD.
#pragma once

#include <string>
#include <string_view>

namespace pindle::platform {

// The mark that stands for what cannot be shown as text: a byte that is no character of code
// page 932, and a NUL in a control.
inline constexpr char16_t kReplacementMark = u'\uFFFD';

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// The decimal digits of a number, without padding ("9", "-16219").
std::u16string DecimalText(long long value);

}  // namespace pindle::platform
