// Encoding any UTF-16 text (two input bytes a unit): an accepted text decodes back to itself,
// the seven JIS forms as their code page 932 counterparts; a refused one names exactly the
// characters that cannot be stored alone, each once, in order, and gives no bytes.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "platform/cp932.h"

using pindle::platform::EncodeCp932;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::u16string text, expected;
  std::vector<char32_t> refused;
  for (std::size_t i = 0; i + 1 < size; i += 2)
    text.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool pair = text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() &&
                      text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
    const std::u16string point = text.substr(i, pair ? 2 : 1);
    const char32_t c =
        pair ? 0x10000 + ((char32_t{text[i]} - 0xD800) << 10) + (text[i + 1] - 0xDC00) : text[i];
    if (!EncodeCp932(point).ok() && std::find(refused.begin(), refused.end(), c) == refused.end())
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
  PINDLE_FUZZ_CHECK(encoded.ok() ? pindle::platform::DecodeCp932(encoded.bytes) == expected
                                 : encoded.bytes.empty(),
                    "an accepted text does not read back as itself, or a refused one gave bytes");
  return 0;
}
