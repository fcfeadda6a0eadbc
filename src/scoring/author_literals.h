#pragma once
// The literals found in the names and addresses of recent authors. An
// author's From text repeats on all their articles, so the plan searches
// it once per author and copies the bits after that. Direct-mapped by the
// author record's address; an entry is trusted only when it was made from
// the same name and address, since a freed pool may put another author at
// the same place.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "scoring/literal_set.h"

namespace orvel {

struct TAuthor;

class AuthorLiterals {
 public:
  // words: the size of the plan's bit sets.
  explicit AuthorLiterals(std::size_t words = 0) : words_(words) {}

  // The bits stored for the author, found then sure (words each), or null.
  const std::uint64_t* Lookup(const TAuthor* author, std::string_view name,
                              std::string_view address) const;
  // Stores the bits of the author's texts, in place of the entry there, and
  // returns them as Lookup would.
  const std::uint64_t* Store(const TAuthor* author, std::string_view name,
                             std::string_view address, const BitWords& found,
                             const BitWords& sure);

 private:
  struct Entry {
    const TAuthor* author = nullptr;
    std::string text;  // the name then the address
    std::size_t nameSize = 0;
  };
  static constexpr int kSlotBits = 12;
  static std::size_t slotOf(const TAuthor* author);

  std::size_t words_;
  std::vector<Entry> entries_;  // allocated at the first Store
  BitWords bits_;               // by slot: found, then sure
};

}  // namespace orvel
