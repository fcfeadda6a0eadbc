#pragma once
// Article-number sets: the newsrc range texts ("1-10,12,15-20") that hold a
// group's read articles and its to-fetch list, and the bit sets over a
// number interval that the group view works with.
//
// A range text is read leniently: anything that is not a digit separates
// entries, "a-b" is a range (the "-" may be followed by junk before b), and a
// range whose end lies below its start is ignored. Appending a read mark
// (MarkRead) is cheap and leaves the text unsorted; NormaliseRanges turns it
// back into ascending, merged runs. Counting and normalising work on the
// sorted entries, never on a bit set sized by the numbers in the text, so a
// text of several megabytes, or one naming article 2000000000, costs time
// proportional to its length and no more memory than its entries.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvel {

// Bits 0..size-1; bit k stands for article number low mark + k in the group
// view (present, read, kept and excluded sets).
class BitSet {
 public:
  BitSet() = default;
  explicit BitSet(std::int32_t size) { resize(size); }

  std::int32_t size() const { return size_; }
  // Growing adds clear bits; shrinking drops the bits past the new size.
  void resize(std::int32_t size);
  bool test(std::int32_t i) const {
    return i >= 0 && i < size_ && ((words_[static_cast<std::size_t>(i) >> 6] >> (i & 63)) & 1u);
  }
  // Bits outside 0..size-1 are ignored.
  void set(std::int32_t i, bool value = true) {
    if (i < 0 || i >= size_) return;
    const std::uint64_t mask = std::uint64_t{1} << (i & 63);
    auto& w = words_[static_cast<std::size_t>(i) >> 6];
    w = value ? (w | mask) : (w & ~mask);
  }
  void reset(std::int32_t i) { set(i, false); }
  // Sets bits a..b (clipped to the set); returns how many were clear before.
  std::int32_t setRange(std::int32_t a, std::int32_t b);
  void clearAll();
  // Inserts count clear bits in front: bit k becomes bit k + count. Used when
  // a group's low mark moves down, so each bit keeps its article.
  void prependClear(std::int32_t count);
  std::int32_t count() const;
  // First set (clear) bit at or after from, or -1.
  std::int32_t findSet(std::int32_t from) const;
  std::int32_t findClear(std::int32_t from) const;
  // Wherever from and to differ, the bit takes to's value; the other bits
  // stay. Bits past the end of from or to read as clear.
  void applyChanges(const BitSet& from, const BitSet& to);

 private:
  std::vector<std::uint64_t> words_;
  std::int32_t size_ = 0;
};

// Read ranges of a group: the text and whether appended, unsorted entries may
// need normalising.
struct ReadRanges {
  std::string text;
  bool needsNormalising = false;
};

// NormaliseRanges leaves shorter texts alone unless forced.
inline constexpr std::size_t kNormaliseThreshold = 30001;

// One entry of a range text, a single number when first == last.
struct NumberRange {
  std::int32_t first;
  std::int32_t last;
};

// The entries of a range text in text order (numbers past 2147483647 read as
// 2147483647; ranges ending below their start left out).
std::vector<NumberRange> ParseRanges(std::string_view text);

// Number of articles in first..last that the ranges do not cover (0 when last
// is below first).
std::int32_t CountUnread(std::string_view ranges, std::int32_t first, std::int32_t last);
// The same, and bits (resized to last - first + 1) gets bit n - first set for
// every covered n.
std::int32_t CountUnread(std::string_view ranges, std::int32_t first, std::int32_t last,
                         BitSet& bits);

// The range text of the set bits, bit k standing for first + k (runs of set
// bits become "a" or "a-b", joined by ","). Without fromOne everything below
// first counts as read: a run touching first starts at 1, and when bit 0 is
// clear (and first is above 1) the text begins with "1-" and first - 1.
std::string RangesFromBits(const BitSet& bits, std::int32_t first, std::int32_t last,
                           bool fromOne);

// The range text of text after the marks of first..first + now.size() - 1
// went from taken to now: a number whose bit differs between the two takes
// now's mark, every other number keeps the text's (outside that interval
// too). The result is sorted and merged. A view hands its marks back this
// way, so marks it never held or never changed survive as they were.
std::string MergeChangedMarks(std::string_view text, std::int32_t first, const BitSet& taken,
                              const BitSet& now);

// Sorts and merges the text when it is flagged and non-empty, and, unless
// forced, at least kNormaliseThreshold characters long. first and last (the
// group's numbers) are widened to the smallest and largest numbers of the
// text; a leading range starting at 1 does not lower first. The result reads
// as RangesFromBits without fromOne. Returns true when the text was rewritten.
bool NormaliseRanges(ReadRanges& ranges, std::int32_t& first, std::int32_t& last, bool forced);

// Appends n ("," + n, or n alone on an empty text) and flags the text.
void MarkRead(ReadRanges& ranges, std::int32_t n);

// Normalises a flagged text (forced), then removes n: a single entry n goes,
// a range holding n is split around it.
void MarkUnread(ReadRanges& ranges, std::int32_t n, std::int32_t& first, std::int32_t& last);

}  // namespace orvel
