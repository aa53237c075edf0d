// The platform-independent half of the code page 932 codec: where characters begin and end,
// which characters may be stored, and how refused characters are described.  Looking single
// characters up in the system's table is left to cp932_iconv.cpp or cp932_win.cpp.
#include "platform/cp932.h"

#include <optional>
#include <unordered_set>

#include "platform/cp932_unit.h"

namespace pindle::platform {
namespace {

constexpr char16_t kReplacement = u'\uFFFD';

bool IsAscii(unsigned char b) {
  return b <= 0x7F;
}

// A single byte that stands for a character on its own: ASCII and the half-width katakana.
// 0x80, 0xA0 and 0xFD-0xFF are not characters of code page 932.
bool IsSingleByteCharacter(unsigned char b) {
  return IsAscii(b) || (b >= 0xA1 && b <= 0xDF);
}

bool IsLeadByte(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool IsTrailByte(unsigned char b) {
  return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

bool IsHighSurrogate(char32_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char32_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}
bool IsSurrogate(char32_t c) {
  return c >= 0xD800 && c <= 0xDFFF;
}

bool IsScalarValue(char32_t c) {
  return c <= 0x10FFFF && !IsSurrogate(c);
}

// True when `bytes` is exactly one character as DecodeCp932 splits text, so that what is written
// is read back as one character and never merges with its neighbours.
bool IsOneCharacter(std::string_view bytes) {
  if (bytes.size() == 1) return IsSingleByteCharacter(static_cast<unsigned char>(bytes[0]));
  if (bytes.size() == 2) {
    return IsLeadByte(static_cast<unsigned char>(bytes[0])) &&
           IsTrailByte(static_cast<unsigned char>(bytes[1]));
  }
  return false;
}

void AppendUtf16(std::u16string& out, char32_t c) {
  if (c <= 0xFFFF) {
    out.push_back(static_cast<char16_t>(c));
    return;
  }
  const char32_t offset = c - 0x10000;
  out.push_back(static_cast<char16_t>(0xD800 + (offset >> 10)));
  out.push_back(static_cast<char16_t>(0xDC00 + (offset & 0x3FF)));
}

// Appends the character `unit` (one byte or a lead/trail pair) stands for, or U+FFFD when the
// system's table leaves it unassigned.
void AppendDecodedUnit(std::u16string& out, std::string_view unit) {
  const std::optional<char32_t> c = detail::DecodeCp932Unit(unit);
  if (c && IsScalarValue(*c)) {
    AppendUtf16(out, *c);
  } else {
    out.push_back(kReplacement);
  }
}

// Reads the code point starting at text[pos] and moves pos past it.  A surrogate that is not
// part of a pair comes back as it is.
char32_t NextCodePoint(std::u16string_view text, std::size_t& pos) {
  const char32_t unit = text[pos++];
  if (IsHighSurrogate(unit) && pos < text.size() && IsLowSurrogate(text[pos])) {
    const char32_t low = text[pos++];
    return 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
  }
  return unit;
}

// Japanese input methods on Linux produce the JIS forms of these characters; Windows software
// writes the code page 932 forms.  They print the same, so the JIS forms are stored as the
// code page 932 ones.
struct Counterpart {
  char32_t jisForm;
  char32_t storedAs;
};
constexpr Counterpart kCounterparts[] = {
    {0x301C, 0xFF5E},  // WAVE DASH -> FULLWIDTH TILDE (0x8160)
    {0x2016, 0x2225},  // DOUBLE VERTICAL LINE -> PARALLEL TO (0x8161)
    {0x2212, 0xFF0D},  // MINUS SIGN -> FULLWIDTH HYPHEN-MINUS (0x817C)
    {0x00A2, 0xFFE0},  // CENT SIGN -> FULLWIDTH CENT SIGN (0x8191)
    {0x00A3, 0xFFE1},  // POUND SIGN -> FULLWIDTH POUND SIGN (0x8192)
    {0x00AC, 0xFFE2},  // NOT SIGN -> FULLWIDTH NOT SIGN (0x81CA)
    {0x2014, 0x2015},  // EM DASH -> HORIZONTAL BAR (0x815C)
};

char32_t StoredForm(char32_t c) {
  for (const Counterpart& counterpart : kCounterparts) {
    if (counterpart.jisForm == c) return counterpart.storedAs;
  }
  return c;
}

// The bytes for one code point, or nothing when code page 932 cannot hold it.  The system's
// answer is only taken when it reads back as the very same character: glibc's table would
// otherwise store U+00A5 as a backslash and U+203E as a tilde, and silently drop the tag
// characters U+E0000-U+E007F.
std::optional<std::string> EncodeCodePoint(char32_t c) {
  // U+FFFD marks bytes that could not be read; writing it would pass the damage on as '?'.
  if (!IsScalarValue(c) || c == kReplacement) return std::nullopt;
  const char32_t stored = StoredForm(c);
  std::optional<std::string> bytes = detail::EncodeCp932CodePoint(stored);
  if (!bytes || !IsOneCharacter(*bytes)) return std::nullopt;
  if (detail::DecodeCp932Unit(*bytes) != stored) return std::nullopt;
  return bytes;
}

void AppendHex(std::u16string& out, char32_t value) {
  constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  int digits = 4;
  while (digits < 8 && (value >> (4 * digits)) != 0) ++digits;
  for (int i = digits - 1; i >= 0; --i) out.push_back(kDigits[(value >> (4 * i)) & 0xF]);
}

// Control characters would break the message they are shown in, and a lone surrogate is not a
// character at all; for those only the number is shown.
bool HasShowableGlyph(char32_t c) {
  const bool control = c < 0x20 || (c >= 0x7F && c <= 0x9F);
  return IsScalarValue(c) && !control;
}

}  // namespace

std::u16string DecodeCp932(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    const auto b = static_cast<unsigned char>(bytes[pos]);
    if (IsAscii(b)) {
      // Code page 932 keeps ASCII as it is, 0x5C and 0x7E included.
      out.push_back(static_cast<char16_t>(b));
      ++pos;
    } else if (IsLeadByte(b)) {
      if (pos + 1 < bytes.size() && IsTrailByte(static_cast<unsigned char>(bytes[pos + 1]))) {
        AppendDecodedUnit(out, bytes.substr(pos, 2));
        pos += 2;
      } else {
        // The byte after a broken lead byte starts over as a character of its own, so a line
        // break or an ASCII letter behind it survives.
        out.push_back(kReplacement);
        ++pos;
      }
    } else if (IsSingleByteCharacter(b)) {
      AppendDecodedUnit(out, bytes.substr(pos, 1));
      ++pos;
    } else {
      out.push_back(kReplacement);
      ++pos;
    }
  }
  return out;
}

Cp932Encoded EncodeCp932(std::u16string_view text) {
  Cp932Encoded result;
  result.bytes.reserve(text.size() * 2);
  std::unordered_set<char32_t> reported;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const char32_t c = NextCodePoint(text, pos);
    if (c <= 0x7F) {
      if (result.ok()) result.bytes.push_back(static_cast<char>(c));
      continue;
    }
    const std::optional<std::string> bytes = EncodeCodePoint(c);
    if (bytes) {
      if (result.ok()) result.bytes += *bytes;
    } else if (reported.insert(c).second) {
      result.unrepresentable.push_back(c);
    }
  }
  if (!result.ok()) {
    result.bytes.clear();
    result.bytes.shrink_to_fit();
  }
  return result;
}

std::u16string DescribeUnrepresentable(const std::vector<char32_t>& chars, std::size_t maxShown) {
  std::u16string out;
  const std::size_t shown = chars.size() < maxShown ? chars.size() : maxShown;
  for (std::size_t i = 0; i < shown; ++i) {
    if (i > 0) out += u", ";
    out += u"U+";
    AppendHex(out, chars[i]);
    if (HasShowableGlyph(chars[i])) {
      out += u" (";
      AppendUtf16(out, chars[i]);
      out += u')';
    }
  }
  if (chars.size() > shown) out += shown > 0 ? u", …" : u"…";
  return out;
}

}  // namespace pindle::platform
