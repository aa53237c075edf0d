// The system-wide atom table of GlobalAddAtomA and GlobalDeleteAtom, for backends without one
// of their own (in-memory, Linux): texts with use counts, atoms handed out from 0xC000 up as
// Windows gives string atoms.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace pindle::platform {

class AtomTable {
 public:
  // The atom of text, with one more use; a new text gets the next free atom.  0 when the
  // table is full.
  std::uint16_t Add(const std::u16string& text);
  // One use less; the atom goes at zero uses.  0 on success, the atom itself when there is no
  // such atom.
  std::uint16_t Delete(std::uint16_t atom);
  // Use count of text's atom; 0 when there is none.
  int Uses(const std::u16string& text) const;

 private:
  struct Entry {
    std::u16string text;
    int uses = 0;
  };
  std::map<std::uint16_t, Entry> atoms_;
  std::uint16_t next_ = 0xC0A5;
};

}  // namespace pindle::platform
