#include "platform/cp932.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

namespace pindle::platform {
namespace {

constexpr char16_t kReplacement = u'\uFFFD';

bool IsLeadByte(int b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
bool IsTrailByte(int b) {
  return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

// A lead byte before a byte that cannot trail it, or at the end, is one mark and leaves what
// follows to be read on its own; a byte that could trail is taken as the trail byte.
TEST(Cp932DecodeTest, EveryLeadByteWithoutItsTrailByte) {
  EXPECT_EQ(DecodeCp932("A\x82"), u"A\uFFFD");
  EXPECT_EQ(DecodeCp932("\x82\x82\xA0\xA0"), u"ｂ\uFFFD\uFFFD");
  for (int b = 0x81; b <= 0xFC; ++b) {
    for (int next = 0; IsLeadByte(b) && next <= 0xFF; ++next) {
      if (IsTrailByte(next)) continue;
      const std::u16string expected{kReplacement, next <= 0x7F ? char16_t(next) : kReplacement,
                                    u'a'};
      EXPECT_EQ(DecodeCp932(std::string{char(b), char(next), 'a'}), expected) << b << " " << next;
    }
  }
}

TEST(Cp932EncodeTest, RefusedCharactersAreReportedInOrderWithoutRepeats) {
  const std::u16string high(1, 0xD800), low(1, 0xDE00), smile = u"😀";
  const std::pair<std::u16string, std::vector<char32_t>> cases[] = {
      {u"a¥b😀c" + high + u"d\uFFFD¥😀e" + high, {0xA5, 0x1F600, 0xD800, 0xFFFD}},
      {u"x" + high, {0xD800}},                         // high at the end
      {low + u"x", {0xDE00}},                          // low alone
      {u"x" + low + high, {0xDE00, 0xD800}},           // reversed pair
      {high + smile, {0xD800, 0x1F600}},               // a stray high before a pair
      {u"\xDFFF", {0xDFFF}},                           // the last low alone
      {u"\U0010FFFF\U00010000", {0x10FFFF, 0x10000}},  // the last and first pairs
      {u"ok\u203E\U000E0041\u0080\uF8F0ok", {0x203E, 0xE0041, 0x80, 0xF8F0}},
  };
  for (const auto& [text, reported] : cases) {
    const Cp932Encoded encoded = EncodeCp932(text);
    EXPECT_EQ(encoded.unrepresentable, reported);
    EXPECT_TRUE(encoded.bytes.empty());
  }
}

// The whole table in one fingerprint: every single byte and double-byte code decoded, every
// BMP character encoded (its bytes, or its refusal).  Of characters with two codes, Windows
// writes the NEC row 13 code rather than the IBM extension one, and the IBM extension code
// rather than the NEC-selected one; the seven JIS forms (U+301C ...) are stored as their code
// page 932 counterparts.  The Windows build (the system's code page
// functions) and the Linux build (glibc iconv) must both come to this value, so they agree code
// by code; a change to any code changes it.
TEST(Cp932Test, EveryBuildConvertsEveryCodeAlike) {
  std::uint64_t hash = 0xCBF29CE484222325;
  const auto mix = [&hash](auto units) {
    for (const auto u : units) hash = (hash ^ std::make_unsigned_t<decltype(u)>(u)) * 0x100000001B3;
    hash = (hash ^ 0x10000) * 0x100000001B3;  // the end of one entry
  };
  for (int lead = 0; lead <= 0xFF; ++lead) {
    mix(DecodeCp932(std::string(1, char(lead))));
    for (int trail = 0x40; IsLeadByte(lead) && trail <= 0xFC; ++trail) {
      if (IsTrailByte(trail)) mix(DecodeCp932(std::string{char(lead), char(trail)}));
    }
  }
  for (char32_t c = 0; c <= 0xFFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    const Cp932Encoded encoded = EncodeCp932(std::u16string(1, static_cast<char16_t>(c)));
    mix(encoded.bytes);
    mix(encoded.unrepresentable);
  }
  EXPECT_EQ(hash, 0x9E193225A41A9502u);
}

// A glyph in brackets for what has one (not surrogates and controls); five at most unless told.
TEST(Cp932DescribeTest, Formatting) {
  const std::vector<char32_t> seven = {0xA5, 0xA6, 0xA9, 0xAE, 0xB5, 0x1F600, 0x1F601};
  const std::tuple<std::vector<char32_t>, std::size_t, std::u16string> cases[] = {
      {{}, 5, u""},
      {{0xA5, 0x1F600, 0xFFFD, 0x10FFFD},
       5,
       u"U+00A5 (¥), U+1F600 (😀), U+FFFD (\uFFFD), U+10FFFD (\U0010FFFD)"},
      {{0xD800, 0xDFFF, 0x85, 0x7F, 0x9F, 0xA0},
       9,
       u"U+D800, U+DFFF, U+0085, U+007F, U+009F, U+00A0 (\u00A0)"},
      {seven, 5, u"U+00A5 (¥), U+00A6 (¦), U+00A9 (©), U+00AE (®), U+00B5 (µ), …"},
      {seven, 0, u"…"},
  };
  for (const auto& [characters, most, text] : cases) {
    EXPECT_EQ(DescribeUnrepresentable(characters, most), text);
  }
  EXPECT_EQ(DescribeUnrepresentable(seven), std::get<2>(cases[3])) << "five by default";
}

}  // namespace
}  // namespace pindle::platform
