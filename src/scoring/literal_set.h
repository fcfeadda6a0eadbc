#pragma once
// Which of a set of literals occur in a text, found in one pass over it. A
// bitmap of two-byte keys turns down almost every position looked at, and
// only the literals with the key there are compared. Not every position is
// looked at: with the shortest literal n bytes long, one in n - 1 is, and
// each literal is keyed by its pairs at offsets 0 to n - 2, so that one of
// them falls on a position looked at wherever the literal starts.
//
// A caseless set holds lowered literals; its keys have bit 0x20 set in both
// bytes, which folds ASCII letters (and confuses a few other bytes, which
// the comparison then tells apart). Given a text with one of the two
// characters outside ASCII that caseless matching takes for ASCII letters,
// a caseless set reports every literal as maybe there.

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
  explicit LiteralSet(bool caseless)
      : caseless_(caseless), fold_(caseless ? 0x2020 : 0), fold8_(caseless ? 0x2020202020202020 : 0) {}

  // A literal of at least two characters (lowered when the set is caseless)
  // and the bit that reports it; a bit already added is kept as it is.
  void Add(std::string_view literal, std::size_t bit);
  bool Empty() const { return literals_.empty(); }

  // Sets in found the bit of every literal that may be in text, and in sure
  // of every literal that is (both large enough).
  void Find(std::string_view text, BitWords& found, BitWords& sure) const;

 private:
  struct Literal {
    std::string text;
    std::size_t bit;
  };
  // A literal's pair at an offset, with the literal's first eight bytes
  // (fewer when shorter: mask) as prefixAt reads them, which turn down most
  // places before a comparison.
  struct Key {
    std::uint16_t key;  // as keyOf reads it
    std::uint16_t offset;
    std::uint32_t literal;
    std::uint64_t prefix;
    std::uint64_t mask;
  };
  static constexpr std::size_t kMaxStep = 4;

  std::uint16_t keyOf(const char* at) const;
  bool compare(std::string_view text, std::size_t at, const Literal& literal) const;
  void compareAt(std::string_view text, std::size_t at, std::uint16_t key, BitWords& found,
                 BitWords& sure) const;
  void index();
  void findAll(BitWords& bits) const;

  bool caseless_;
  std::uint16_t fold_;  // ORed into keys: 0x2020 when caseless
  std::uint64_t fold8_;  // the same for eight bytes
  std::vector<Literal> literals_;
  std::size_t step_ = 1;         // one position in step_ is looked at
  std::vector<Key> keys_;        // sorted by key
  BitWords keyBits_;             // 65536 bits: the keys in keys_
  // The keys of the n-th bit set in keyBits_ start at starts_[n]; rankBase_
  // counts the bits set in the words of keyBits_ before each.
  std::vector<std::uint32_t> rankBase_;
  std::vector<std::uint32_t> starts_;
};

}  // namespace orvel
