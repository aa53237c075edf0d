#include "platform/atom_table.h"

namespace pindle::platform {

namespace {
constexpr std::uint16_t kFirstStringAtom = 0xC000;
}  // namespace

std::uint16_t AtomTable::Add(const std::u16string& text) {
  for (auto& [atom, entry] : atoms_) {
    if (entry.text == text) {
      ++entry.uses;
      return atom;
    }
  }
  // The first free atom from next_ on; after 0xFFFF the string atoms start again at 0xC000.
  for (int tries = 0; tries < 0x10000; ++tries) {
    const std::uint16_t atom = next_;
    next_ = atom == 0xFFFF ? kFirstStringAtom : static_cast<std::uint16_t>(atom + 1);
    if (atom != 0 && !atoms_.contains(atom)) {
      atoms_[atom] = {text, 1};
      return atom;
    }
  }
  return 0;
}

std::uint16_t AtomTable::Delete(std::uint16_t atom) {
  const auto it = atoms_.find(atom);
  if (it == atoms_.end()) return atom;
  if (--it->second.uses == 0) atoms_.erase(it);
  return 0;
}

int AtomTable::Uses(const std::u16string& text) const {
  for (const auto& [atom, entry] : atoms_) {
    if (entry.text == text) return entry.uses;
  }
  return 0;
}

}  // namespace pindle::platform
