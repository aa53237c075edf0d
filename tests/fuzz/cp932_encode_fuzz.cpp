// Encoding any UTF-16 text (two input bytes per unit): a text that is accepted decodes back to
// itself, but for the seven JIS forms that are stored as their code page 932 counterparts; a
// text that is refused names exactly the characters that cannot be stored, each once, in order.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "platform/cp932.h"

namespace {

using pindle::platform::EncodeCp932;

// The JIS forms that input methods type, and what code page 932 stores for them.
constexpr std::pair<char16_t, char16_t> kStoredAs[] = {
    {u'\u301C', u'\uFF5E'}, {u'\u2016', u'\u2225'}, {u'\u2212', u'\uFF0D'}, {u'\u00A2', u'\uFFE0'},
    {u'\u00A3', u'\uFFE1'}, {u'\u00AC', u'\uFFE2'}, {u'\u2014', u'\u2015'}};

char16_t StoredForm(char16_t u) {
  for (const auto& [jis, stored] : kStoredAs) {
    if (u == jis) return stored;
  }
  return u;
}

// The code points of text as the encoder reads them: pairs joined, lone surrogates as they are.
std::vector<std::u16string> CodePoints(const std::u16string& text) {
  std::vector<std::u16string> points;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool pair = text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() &&
                      text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
    points.push_back(text.substr(i, pair ? 2 : 1));
    i += pair ? 1 : 0;
  }
  return points;
}

char32_t Scalar(const std::u16string& point) {
  if (point.size() == 1) return point[0];
  return 0x10000 + ((char32_t{point[0]} - 0xD800) << 10) + (char32_t{point[1]} - 0xDC00);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::u16string text;
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    text.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  }
  const auto encoded = EncodeCp932(text);
  if (encoded.ok()) {
    std::u16string expected = text;
    std::transform(expected.begin(), expected.end(), expected.begin(), StoredForm);
    PINDLE_FUZZ_CHECK(pindle::platform::DecodeCp932(encoded.bytes) == expected,
                      "an accepted text does not read back as itself");
    return 0;
  }
  PINDLE_FUZZ_CHECK(encoded.bytes.empty(), "a refused text still produced bytes");
  std::vector<char32_t> refused;
  for (const std::u16string& point : CodePoints(text)) {
    const char32_t c = Scalar(point);
    if (!EncodeCp932(point).ok() && std::find(refused.begin(), refused.end(), c) == refused.end()) {
      refused.push_back(c);
    }
  }
  PINDLE_FUZZ_CHECK(encoded.unrepresentable == refused,
                    "the refusal does not name exactly the characters that cannot be stored");
  return 0;
}
