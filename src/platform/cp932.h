// Code page 932 (Shift-JIS as Windows defines it) <-> the program's UTF-16 text.
//
// This is the one place where the program's text meets the bytes of memo.txt and of the
// ANSI operating-system calls.  Both directions follow Microsoft's table for code page 932:
//   0x5C is U+005C, 0x7E is U+007E, 0x8160 is U+FF5E; the NEC row 13 and the IBM extension
//   rows decode.
// Decoding never fails: a lone lead byte, a lead byte with a bad trail byte, an unassigned
// code and the unused single bytes decode to U+FFFD.
// Encoding is strict: a character code page 932 cannot hold is reported, never replaced or
// best-fitted.  The one exception are the seven JIS forms that Japanese input methods on Linux
// type; they are stored as their code page 932 counterparts, the same character on paper:
//   U+301C -> 0x8160, U+2016 -> 0x8161, U+2212 -> 0x817C, U+00A2 -> 0x8191,
//   U+00A3 -> 0x8192, U+00AC -> 0x81CA, U+2014 -> 0x815C.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pindle::platform {

struct Cp932Encoded {
  std::string bytes;                      // the whole text, when unrepresentable is empty
  std::vector<char32_t> unrepresentable;  // each code point that cannot be stored, in order,
                                          // without repeats; a lone surrogate is reported as is
  bool ok() const { return unrepresentable.empty(); }
};

std::u16string DecodeCp932(std::string_view bytes);
Cp932Encoded EncodeCp932(std::u16string_view text);

// "U+00A5 (¥), U+1F600 (😀)" for the first few characters of a failed encoding, for messages.
// Control characters and lone surrogates are shown by number only ("U+0085, U+D800").
std::u16string DescribeUnrepresentable(const std::vector<char32_t>& chars,
                                       std::size_t maxShown = 5);

}  // namespace pindle::platform
