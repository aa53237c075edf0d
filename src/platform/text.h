// The program's text is UTF-16; these convert at the edges (file names on Linux, widgets,
// test output).  Invalid input never throws: bad sequences become U+FFFD.
#pragma once

#include <string>
#include <string_view>

namespace pindle::platform {

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// The decimal digits of a number, without padding ("9", "-16219").
std::u16string DecimalText(long long value);

}  // namespace pindle::platform
