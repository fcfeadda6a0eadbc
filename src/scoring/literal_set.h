#pragma once
// Which of a set of literals occur in a text, found in one pass over it: a
// bitmap of the literals' first two characters turns down almost every
// position, and only the literals starting with the pair there are
// compared. A caseless set holds lowered literals and folds ASCII letters;
// given a text with one of the two characters outside ASCII that caseless
// matching takes for ASCII letters, it reports every literal as maybe there.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvel {

// A set of bits by number, grown on demand.
using BitWords = std::vector<std::uint64_t>;

inline void SetBit(BitWords& bits, std::size_t bit) {
  bits[bit / 64] |= std::uint64_t{1} << (bit % 64);
}
inline bool TestBit(const BitWords& bits, std::size_t bit) {
  return (bits[bit / 64] >> (bit % 64)) & 1;
}

// Whether text holds a character outside ASCII that a caseless regex match
// takes for an ASCII letter.
bool FoldsIntoAscii(std::string_view text);

// Whether text can match a pattern whose required literal is literal
// (lowered when caseless; empty: anything can).
bool MayContain(std::string_view text, std::string_view literal, bool caseless);

class LiteralSet {
 public:
  explicit LiteralSet(bool caseless) : caseless_(caseless) {}

  // A literal of at least two characters (lowered when the set is caseless)
  // and the bit that reports it; a bit already added is kept as it is.
  void Add(std::string_view literal, std::size_t bit);
  bool Empty() const { return literals_.empty(); }

  // Sets in found the bit of every literal that may be in text, and in sure
  // of every literal that is (both large enough).
  void Find(std::string_view text, BitWords& found, BitWords& sure) const;

 private:
  struct Literal {
    std::uint16_t pair;  // its first two characters
    std::string text;
    std::size_t bit;
  };
  bool compare(std::string_view text, std::size_t at, const Literal& literal) const;
  void findAll(BitWords& bits) const;

  bool caseless_;
  std::vector<Literal> literals_;  // sorted by pair
  BitWords pairs_;                 // 65536 bits: a literal starts with the pair
};

}  // namespace orvel
