// The code page 932 codec on any input.  Decoded, the bytes give well-formed UTF-16 with every
// line break byte as the same line break.  Encoded as UTF-16 (two bytes a unit): an accepted text
// reads back as itself (the seven JIS forms as their counterparts); a refused one gives no bytes
// and names exactly the characters that cannot be stored alone, each once, in order.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "platform/cp932.h"

using namespace pindle::platform;

constexpr auto High = [](char16_t u) { return u >= 0xD800 && u <= 0xDBFF; };
constexpr auto Low = [](char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; };

static void Decode(std::string_view bytes) {
  const std::u16string text = DecodeCp932(bytes);
  PINDLE_FUZZ_CHECK(text.size() <= bytes.size(), "more units than bytes");
  for (std::size_t i = 0; i < text.size(); ++i) {
    PINDLE_FUZZ_CHECK(!Low(text[i]), "lone low surrogate");
    if (High(text[i]))
      PINDLE_FUZZ_CHECK(i + 1 < text.size() && Low(text[++i]), "high surrogate without its low");
  }
  for (const char c : {'\r', '\n'}) {
    PINDLE_FUZZ_CHECK(std::count(bytes.begin(), bytes.end(), c) ==
                          std::count(text.begin(), text.end(), static_cast<char16_t>(c)),
                      "a line break byte was lost or invented");
  }
}

static void Encode(const std::u16string& text) {
  std::u16string expected;
  std::vector<char32_t> refused;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool pair = High(text[i]) && i + 1 < text.size() && Low(text[i + 1]);
    const char32_t c =
        pair ? 0x10000 + ((char32_t{text[i]} - 0xD800) << 10) + (text[i + 1] - 0xDC00) : text[i];
    if (!EncodeCp932(text.substr(i, pair ? 2 : 1)).ok() &&
        std::find(refused.begin(), refused.end(), c) == refused.end())
      refused.push_back(c);
    i += pair;
  }
  constexpr char16_t kJisForms[] = u"\u301C\u2016\u2212\u00A2\u00A3\u00AC\u2014";
  constexpr char16_t kStoredAs[] = u"\uFF5E\u2225\uFF0D\uFFE0\uFFE1\uFFE2\u2015";
  for (const char16_t u : text) {
    const auto* jis = std::char_traits<char16_t>::find(kJisForms, 7, u);
    expected.push_back(jis ? kStoredAs[jis - kJisForms] : u);
  }
  const auto encoded = EncodeCp932(text);
  PINDLE_FUZZ_CHECK(encoded.unrepresentable == refused,
                    "the refusal does not name exactly the unstorable ones");
  PINDLE_FUZZ_CHECK(encoded.ok() ? DecodeCp932(encoded.bytes) == expected : encoded.bytes.empty(),
                    "an accepted text does not read back as itself, or a refused one gave bytes");
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Decode(std::string_view(reinterpret_cast<const char*>(data), size));
  std::u16string text;
  for (std::size_t i = 0; i + 1 < size; i += 2)
    text.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
  Encode(text);
  return 0;
}
