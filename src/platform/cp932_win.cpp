// Code page 932 single-character lookups through the Win32 code page functions, for the Windows
// build.  The flags keep both directions strict: MB_ERR_INVALID_CHARS makes an unassigned code
// fail instead of turning into the code page's default character, WC_NO_BEST_FIT_CHARS stops
// WideCharToMultiByte from substituting look-alikes (U+00A5 would become 0x5C).
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "platform/cp932_unit.h"

namespace pindle::platform::detail {
namespace {

constexpr UINT kCodePage = 932;

bool IsHighSurrogate(wchar_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(wchar_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

// Converts one code point to UTF-16; returns the number of units (0 for a non-scalar value).
int ToUtf16(char32_t c, wchar_t (&out)[2]) {
  if (c >= 0xD800 && c <= 0xDFFF) return 0;
  if (c <= 0xFFFF) {
    out[0] = static_cast<wchar_t>(c);
    return 1;
  }
  if (c > 0x10FFFF) return 0;
  const char32_t offset = c - 0x10000;
  out[0] = static_cast<wchar_t>(0xD800 + (offset >> 10));
  out[1] = static_cast<wchar_t>(0xDC00 + (offset & 0x3FF));
  return 2;
}

std::optional<std::string> Encode(char32_t c) {
  wchar_t wide[2];
  const int wideSize = ToUtf16(c, wide);
  if (wideSize == 0) return std::nullopt;
  char bytes[8];
  BOOL usedDefault = FALSE;
  const int written = WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, wide, wideSize, bytes,
                                          static_cast<int>(sizeof bytes), nullptr, &usedDefault);
  if (written <= 0 || usedDefault) return std::nullopt;
  return std::string(bytes, static_cast<std::size_t>(written));
}

// The character MultiByteToWideChar substitutes for codes it cannot map (U+30FB for code page
// 932), together with the code that really stands for it.  Should an unassigned code come back
// as that character despite MB_ERR_INVALID_CHARS, it is recognised as unassigned.
struct DefaultCharacter {
  wchar_t character = 0;
  std::string ownCode;
};

const DefaultCharacter& DefaultCharacterOfCodePage() {
  static const DefaultCharacter value = [] {
    DefaultCharacter d;
    CPINFOEXW info{};
    if (GetCPInfoExW(kCodePage, 0, &info)) {
      d.character = info.UnicodeDefaultChar;
      d.ownCode = Encode(static_cast<char32_t>(info.UnicodeDefaultChar)).value_or(std::string());
    }
    return d;
  }();
  return value;
}

}  // namespace

std::optional<char32_t> DecodeCp932Unit(std::string_view unit) {
  if (unit.empty() || unit.size() > 2) return std::nullopt;
  wchar_t wide[2];
  const int written = MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, unit.data(),
                                          static_cast<int>(unit.size()), wide, 2);
  if (written == 1) {
    if (IsHighSurrogate(wide[0]) || IsLowSurrogate(wide[0])) return std::nullopt;
    const DefaultCharacter& fallback = DefaultCharacterOfCodePage();
    if (fallback.character != 0 && wide[0] == fallback.character && unit != fallback.ownCode) {
      return std::nullopt;
    }
    return static_cast<char32_t>(wide[0]);
  }
  if (written == 2 && IsHighSurrogate(wide[0]) && IsLowSurrogate(wide[1])) {
    return 0x10000 + ((static_cast<char32_t>(wide[0]) - 0xD800) << 10) +
           (static_cast<char32_t>(wide[1]) - 0xDC00);
  }
  return std::nullopt;
}

std::optional<std::string> EncodeCp932CodePoint(char32_t codePoint) {
  return Encode(codePoint);
}

}  // namespace pindle::platform::detail
