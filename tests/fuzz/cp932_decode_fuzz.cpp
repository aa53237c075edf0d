// Decoding any bytes: no crash, well-formed UTF-16, and every line break byte survives as the
// same line break, so a damaged character never swallows the line structure of memo.txt.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_check.h"
#include "platform/cp932.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::u16string text = pindle::platform::DecodeCp932(bytes);
  PINDLE_FUZZ_CHECK(text.size() <= bytes.size(), "more units than bytes");
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t u = text[i];
    if (u >= 0xD800 && u <= 0xDBFF) {
      PINDLE_FUZZ_CHECK(i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF,
                        "high surrogate without its low one");
      ++i;
    } else {
      PINDLE_FUZZ_CHECK(u < 0xDC00 || u > 0xDFFF, "lone low surrogate");
    }
  }
  for (const char c : {'\r', '\n'}) {
    PINDLE_FUZZ_CHECK(std::count(bytes.begin(), bytes.end(), c) ==
                          std::count(text.begin(), text.end(), static_cast<char16_t>(c)),
                      "a line break byte was lost or invented");
  }
  return 0;
}
