#include "scoring/author_literals.h"

#include <algorithm>

namespace orvel {

std::size_t AuthorLiterals::slotOf(const TAuthor* author) {
  const auto address = reinterpret_cast<std::uintptr_t>(author);
  return static_cast<std::size_t>((address * 0x9E3779B97F4A7C15ull) >> (64 - kSlotBits));
}

const std::uint64_t* AuthorLiterals::Lookup(const TAuthor* author, std::string_view name,
                                            std::string_view address) const {
  if (entries_.empty()) return nullptr;
  const std::size_t slot = slotOf(author);
  const Entry& entry = entries_[slot];
  if (entry.author != author || entry.nameSize != name.size() ||
      entry.text.size() != name.size() + address.size() ||
      std::string_view(entry.text).substr(0, name.size()) != name ||
      std::string_view(entry.text).substr(name.size()) != address) {
    return nullptr;
  }
  return bits_.data() + slot * words_ * 2;
}

const std::uint64_t* AuthorLiterals::Store(const TAuthor* author, std::string_view name,
                                           std::string_view address, const BitWords& found,
                                           const BitWords& sure) {
  if (entries_.empty()) {
    entries_.resize(std::size_t{1} << kSlotBits);
    bits_.assign(entries_.size() * words_ * 2, 0);
  }
  const std::size_t slot = slotOf(author);
  Entry& entry = entries_[slot];
  entry.author = author;
  entry.text.assign(name);
  entry.text.append(address);
  entry.nameSize = name.size();
  std::uint64_t* bits = bits_.data() + slot * words_ * 2;
  std::copy_n(found.begin(), words_, bits);
  std::copy_n(sure.begin(), words_, bits + words_);
  return bits;
}

}  // namespace orvel
