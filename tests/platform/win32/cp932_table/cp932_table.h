// The code page 932 conversion written out as a table, one text line per code or character,
// so that two builds of the codec can be compared line by line: the Linux build (glibc iconv)
// writes the table, the Windows build (the Win32 code page functions) reads it back under Wine
// and computes its own.
//
//   unit 8140 3000     the system's lookup of one double-byte code; "-" when unassigned
//   decode 8140 3000   what DecodeCp932 makes of one code (every single byte and double-byte
//                      code), as UTF-16 units
//   encode 3000 8140   what EncodeCp932 makes of one character (every BMP character and a few
//                      beyond); "-" when it is refused
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "platform/cp932.h"
#include "platform/cp932_unit.h"

namespace pindle::cp932_table {

inline bool IsLeadByte(unsigned b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
inline bool IsTrailByte(unsigned b) {
  return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

inline std::string Hex(unsigned long value, int digits) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%0*lX", digits, value);
  return buffer;
}

inline std::string HexBytes(std::string_view bytes) {
  std::string out;
  for (unsigned char b : bytes) out += Hex(b, 2);
  return out;
}

inline std::string HexUnits(std::u16string_view units) {
  std::string out;
  for (char16_t u : units) out.append(out.empty() ? "" : " ").append(Hex(u, 4));
  return out;
}

// Every double-byte code a lead byte and a trail byte can form, in order.
inline std::vector<std::string> DoubleByteCodes() {
  std::vector<std::string> codes;
  for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
    if (!IsLeadByte(lead)) continue;
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
      if (IsTrailByte(trail)) codes.push_back({static_cast<char>(lead), static_cast<char>(trail)});
    }
  }
  return codes;
}

inline std::vector<std::string> Lines() {
  std::vector<std::string> lines;
  const std::vector<std::string> doubleByte = DoubleByteCodes();
  for (const std::string& code : doubleByte) {
    const auto c = platform::detail::DecodeCp932Unit(code);
    lines.push_back("unit " + HexBytes(code) + " " + (c ? Hex(*c, 4) : std::string("-")));
  }
  for (unsigned b = 0; b <= 0xFF; ++b) {
    const std::string code(1, static_cast<char>(b));
    lines.push_back("decode " + HexBytes(code) + " " + HexUnits(platform::DecodeCp932(code)));
  }
  for (const std::string& code : doubleByte) {
    lines.push_back("decode " + HexBytes(code) + " " + HexUnits(platform::DecodeCp932(code)));
  }
  std::vector<char32_t> characters;
  for (char32_t c = 0; c <= 0xFFFF; ++c) {
    if (c < 0xD800 || c > 0xDFFF) characters.push_back(c);
  }
  for (char32_t c : {0x10000, 0x20B9F, 0x2A6B2, 0x1F600, 0x10FFFF}) characters.push_back(c);
  for (char32_t c : characters) {
    std::u16string text;
    if (c > 0xFFFF) text.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
    text.push_back(static_cast<char16_t>(c > 0xFFFF ? 0xDC00 + ((c - 0x10000) & 0x3FF) : c));
    const platform::Cp932Encoded encoded = platform::EncodeCp932(text);
    lines.push_back("encode " + Hex(c, 4) + " " +
                    (encoded.ok() ? HexBytes(encoded.bytes) : std::string("-")));
  }
  return lines;
}

}  // namespace pindle::cp932_table
