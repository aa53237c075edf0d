// The platform-independent half of the code page 932 codec: where characters begin and end,
// which characters may be stored, and how refused characters are described.  Looking single
// characters up in the system's table is left to cp932_iconv.cpp or cp932_win.cpp.
//
// Asking the system one character at a time costs a call per character, so the answers are
// asked once, on first use, for every code of the code page and kept in two tables (about 30 KB
// for decoding, a few tens of KB for encoding).  Each table entry is exactly what the
// character-by-character path would produce; the rare answers a table cannot hold (characters
// outside the Basic Multilingual Plane) still go through that path.
#include "platform/cp932.h"

#include <array>
#include <cstdint>
#include <cstring>
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

// ---------------------------------------------------------------------------------------------
// Tables

// Lead bytes 0x81-0x9F and 0xE0-0xFC as a dense index 0-59.
constexpr std::size_t kLeadCount = 60;
std::size_t LeadIndex(unsigned char lead) {
  return lead <= 0x9F ? lead - 0x81u : lead - 0xE0u + 31u;
}

// Stands for "ask character by character" in the decoding table: U+0000 is never what a
// non-ASCII code decodes to through the table, because only ASCII 0x00 is U+0000.
constexpr char16_t kAskSystem = 0;

// What AppendDecodedUnit appends for `unit`, when that is one UTF-16 unit; kAskSystem otherwise.
char16_t DecodedUnitForTable(std::string_view unit) {
  const std::optional<char32_t> c = detail::DecodeCp932Unit(unit);
  if (!c || !IsScalarValue(*c)) return kReplacement;
  if (*c > 0xFFFF || *c == 0) return kAskSystem;
  return static_cast<char16_t>(*c);
}

struct DecodeTable {
  std::array<char16_t, 0x40> singles{};              // 0xA0-0xDF, by b - 0xA0
  std::array<char16_t, kLeadCount * 0x100> pairs{};  // by LeadIndex(lead) * 256 + trail

  DecodeTable() {
    pairs.fill(kReplacement);
    singles.fill(kReplacement);
    char unit[2];
    for (unsigned b = 0xA1; b <= 0xDF; ++b) {
      unit[0] = static_cast<char>(b);
      singles[b - 0xA0] = DecodedUnitForTable(std::string_view(unit, 1));
    }
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
      if (!IsLeadByte(static_cast<unsigned char>(lead))) continue;
      unit[0] = static_cast<char>(lead);
      for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
        if (!IsTrailByte(static_cast<unsigned char>(trail))) continue;
        unit[1] = static_cast<char>(trail);
        pairs[LeadIndex(static_cast<unsigned char>(lead)) * 0x100 + trail] =
            DecodedUnitForTable(std::string_view(unit, 2));
      }
    }
  }
};

const DecodeTable& Decoding() {
  static const DecodeTable table;
  return table;
}

// The code page 932 bytes of every character of the Basic Multilingual Plane above U+007F, as
// EncodeCodePoint gives them: 0 for none, 0x00A1-0x00DF for one byte, lead << 8 | trail for
// two.  Only characters some code decodes to (and the JIS forms stored as one of them) can be
// stored at all, so only their pages of 256 characters are kept; the others share an empty page.
class EncodeTable {
 public:
  EncodeTable() {
    pages_.emplace_back();  // page 0: nothing can be stored
    pages_[0].fill(0);
    pageOf_.fill(0);
    const DecodeTable& decoding = Decoding();
    for (const char16_t c : decoding.singles) Add(c);
    for (const char16_t c : decoding.pairs) Add(c);
    for (const Counterpart& counterpart : kCounterparts) Add(counterpart.jisForm);
  }

  std::uint16_t Find(char16_t c) const { return pages_[pageOf_[c >> 8]][c & 0xFF]; }

 private:
  using Page = std::array<std::uint16_t, 0x100>;

  void Add(char32_t c) {
    if (c <= 0x7F || c > 0xFFFF || c == kReplacement || IsSurrogate(c)) return;
    std::uint16_t& page = pageOf_[c >> 8];
    if (page == 0) {
      page = static_cast<std::uint16_t>(pages_.size());
      pages_.emplace_back();
      pages_.back().fill(0);
    } else if (pages_[page][c & 0xFF] != 0) {
      return;  // already known
    }
    const std::optional<std::string> bytes = EncodeCodePoint(c);
    if (!bytes) return;
    const auto first = static_cast<unsigned char>((*bytes)[0]);
    pages_[page][c & 0xFF] = static_cast<std::uint16_t>(
        bytes->size() == 1 ? first : (first << 8) | static_cast<unsigned char>((*bytes)[1]));
  }

  std::array<std::uint16_t, 0x100> pageOf_{};
  std::vector<Page> pages_;
};

const EncodeTable& Encoding() {
  static const EncodeTable table;
  return table;
}

// Widens the ASCII bytes at the start of [in, end) into out; returns how many there were.
std::size_t CopyAscii(const unsigned char* in, const unsigned char* end, char16_t* out) {
  const unsigned char* p = in;
  while (end - p >= 8) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    if ((word & 0x8080808080808080u) != 0) break;
    for (int i = 0; i < 8; ++i) out[i] = p[i];
    p += 8;
    out += 8;
  }
  while (p < end && *p <= 0x7F) *out++ = *p++;
  return static_cast<std::size_t>(p - in);
}

}  // namespace

std::u16string DecodeCp932(std::string_view bytes) {
  // Every code gives at most as many UTF-16 units as it has bytes.
  std::u16string out(bytes.size(), u'\0');
  char16_t* const first = out.data();
  char16_t* dst = first;
  const auto* const begin = reinterpret_cast<const unsigned char*>(bytes.data());
  const unsigned char* const end = begin + bytes.size();
  const unsigned char* p = begin;
  const DecodeTable* table = nullptr;  // made on the first byte that is not ASCII
  while (p < end) {
    const std::size_t ascii = CopyAscii(p, end, dst);
    p += ascii;
    dst += ascii;
    if (p == end) break;
    if (table == nullptr) table = &Decoding();
    const unsigned char b = *p;
    char16_t c = kReplacement;
    std::size_t length = 1;
    if (IsLeadByte(b)) {
      // A broken lead byte is one U+FFFD; the byte after it starts over as a character of its
      // own, so a line break or an ASCII letter behind it survives.
      if (end - p >= 2 && IsTrailByte(p[1])) {
        length = 2;
        c = table->pairs[LeadIndex(b) * 0x100 + p[1]];
      }
    } else if (b >= 0xA1 && b <= 0xDF) {
      c = table->singles[b - 0xA0];
    }
    if (c == kAskSystem) {
      // A character outside the table: the system is asked for it alone.
      std::u16string one;
      AppendDecodedUnit(one, std::string_view(reinterpret_cast<const char*>(p), length));
      for (const char16_t unit : one) *dst++ = unit;
    } else {
      *dst++ = c;
    }
    p += length;
  }
  out.resize(static_cast<std::size_t>(dst - first));
  return out;
}

Cp932Encoded EncodeCp932(std::u16string_view text) {
  Cp932Encoded result;
  // Every UTF-16 unit gives at most two bytes.
  result.bytes.resize(text.size() * 2);
  char* dst = result.bytes.data();
  const EncodeTable* table = nullptr;  // made on the first character that is not ASCII
  std::unordered_set<char32_t> reported;
  std::size_t pos = 0;
  const std::size_t size = text.size();
  while (pos < size) {
    const char16_t unit = text[pos];
    if (unit <= 0x7F) {
      *dst++ = static_cast<char>(unit);
      ++pos;
      continue;
    }
    std::uint16_t code = 0;
    char32_t c = unit;
    if (!IsSurrogate(unit)) {
      ++pos;
      if (table == nullptr) table = &Encoding();
      code = table->Find(unit);
    } else {
      c = NextCodePoint(text, pos);
      if (const std::optional<std::string> bytes = EncodeCodePoint(c)) {
        for (const char byte : *bytes) *dst++ = byte;
        continue;
      }
    }
    if (code == 0) {
      if (reported.insert(c).second) result.unrepresentable.push_back(c);
    } else if (code <= 0xFF) {
      *dst++ = static_cast<char>(code);
    } else {
      *dst++ = static_cast<char>(code >> 8);
      *dst++ = static_cast<char>(code & 0xFF);
    }
  }
  if (result.ok()) {
    result.bytes.resize(static_cast<std::size_t>(dst - result.bytes.data()));
  } else {
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
