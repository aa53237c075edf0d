// The two conversions of single characters that each platform provides for the code page 932
// codec in cp932.cpp: glibc iconv in cp932_iconv.cpp, the Win32 code page functions in
// cp932_win.cpp.  The codec decides where characters begin and end, what may be stored and what
// is reported; these functions only look a character up in the system's table.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pindle::platform::detail {

// The character one code page 932 character stands for.  `unit` is either one byte or a lead
// byte with its trail byte.  Empty when the system's table does not assign the code.
std::optional<char32_t> DecodeCp932Unit(std::string_view unit);

// The bytes the system's table gives for `codePoint`, a Unicode scalar value.  Empty when the
// system refuses the character.  The answer may still be a lenient one (glibc turns U+00A5 into
// 0x5C); the codec reads the bytes back before it trusts them.
std::optional<std::string> EncodeCp932CodePoint(char32_t codePoint);

}  // namespace pindle::platform::detail
