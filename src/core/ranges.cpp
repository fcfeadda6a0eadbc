#include "core/ranges.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <limits>

namespace orvel {

namespace {

constexpr std::int32_t kMaxNumber = std::numeric_limits<std::int32_t>::max();

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Reads the digits at pos (saturating at kMaxNumber) and moves pos past them.
std::int32_t readNumber(std::string_view text, std::size_t& pos) {
  std::int64_t value = 0;
  while (pos < text.size() && isDigit(text[pos])) {
    if (value <= kMaxNumber) value = value * 10 + (text[pos] - '0');
    ++pos;
  }
  return static_cast<std::int32_t>(std::min<std::int64_t>(value, kMaxNumber));
}

struct ParsedEntry {
  NumberRange range;
  bool written_as_range;
};

// Calls onEntry for each entry of the text, in text order.
template <class F>
void forEachEntry(std::string_view text, F&& onEntry) {
  std::size_t pos = 0;
  while (true) {
    while (pos < text.size() && !isDigit(text[pos])) ++pos;
    if (pos >= text.size()) return;
    const std::int32_t a = readNumber(text, pos);
    if (pos < text.size() && text[pos] == '-') {
      while (pos < text.size() && !isDigit(text[pos])) ++pos;
      if (pos >= text.size()) {
        onEntry(ParsedEntry{{a, a}, false});
        return;
      }
      const std::int32_t b = readNumber(text, pos);
      if (b >= a) onEntry(ParsedEntry{{a, b}, true});
    } else {
      onEntry(ParsedEntry{{a, a}, false});
    }
  }
}

// Entries clipped to first..last, sorted and merged into disjoint runs that
// are not adjacent.
std::vector<NumberRange> mergedRuns(std::vector<NumberRange> entries, std::int32_t first,
                                    std::int32_t last) {
  std::vector<NumberRange> runs;
  if (last < first) return runs;
  std::erase_if(entries, [&](const NumberRange& r) { return r.last < first || r.first > last; });
  for (auto& r : entries) {
    r.first = std::max(r.first, first);
    r.last = std::min(r.last, last);
  }
  if (!std::is_sorted(entries.begin(), entries.end(),
                      [](const NumberRange& x, const NumberRange& y) { return x.first < y.first; })) {
    std::sort(entries.begin(), entries.end(),
              [](const NumberRange& x, const NumberRange& y) { return x.first < y.first; });
  }
  for (const auto& r : entries) {
    if (!runs.empty() && static_cast<std::int64_t>(runs.back().last) + 1 >= r.first) {
      runs.back().last = std::max(runs.back().last, r.last);
    } else {
      runs.push_back(r);
    }
  }
  return runs;
}

void appendRun(std::string& out, std::int32_t a, std::int32_t b) {
  if (!out.empty()) out += ',';
  char buf[24];
  out.append(buf, std::to_chars(buf, buf + sizeof buf, a).ptr);
  if (b != a) {
    out += '-';
    out.append(buf, std::to_chars(buf, buf + sizeof buf, b).ptr);
  }
}

// The text of ascending, disjoint runs within first..last (see RangesFromBits).
std::string textOfRuns(const std::vector<NumberRange>& runs, std::int32_t first, bool fromOne) {
  std::string out;
  out.reserve(runs.size() * 12);
  std::size_t i = 0;
  if (!fromOne && first > 1) {
    if (!runs.empty() && runs[0].first == first) {
      appendRun(out, 1, runs[0].last);
      i = 1;
    } else {
      out = "1-" + std::to_string(first - 1);
    }
  }
  for (; i < runs.size(); ++i) appendRun(out, runs[i].first, runs[i].last);
  return out;
}

// Appends the runs of set bits among bits 0..size-1, bit k standing for
// first + k.
void appendRunsOfBits(std::vector<NumberRange>& runs, const BitSet& bits, std::int32_t first,
                      std::int32_t size) {
  for (std::int32_t a = bits.findSet(0); a >= 0 && a < size;) {
    std::int32_t end = bits.findClear(a);
    if (end < 0 || end > size) end = size;
    runs.push_back({first + a, first + end - 1});
    a = end < size ? bits.findSet(end) : -1;
  }
}

}  // namespace

void BitSet::resize(std::int32_t size) {
  size_ = std::max(size, 0);
  words_.resize((static_cast<std::size_t>(size_) + 63) / 64, 0);
  if (size_ & 63) words_.back() &= (std::uint64_t{1} << (size_ & 63)) - 1;
}

std::int32_t BitSet::setRange(std::int32_t a, std::int32_t b) {
  a = std::max(a, 0);
  b = std::min(b, size_ - 1);
  std::int32_t added = 0;
  for (std::int32_t i = a; i <= b;) {
    const std::size_t w = static_cast<std::size_t>(i) >> 6;
    const int lo = i & 63;
    const int hi = (b >> 6) == static_cast<std::int32_t>(w) ? (b & 63) : 63;
    const std::uint64_t mask =
        (hi == 63 ? ~std::uint64_t{0} : ((std::uint64_t{1} << (hi + 1)) - 1)) &
        ~((std::uint64_t{1} << lo) - 1);
    added += std::popcount(mask & ~words_[w]);
    words_[w] |= mask;
    i = static_cast<std::int32_t>((w + 1) << 6);
  }
  return added;
}

void BitSet::clearAll() { std::fill(words_.begin(), words_.end(), 0); }

void BitSet::prependClear(std::int32_t count) {
  if (count <= 0) return;
  BitSet shifted(size_ + count);
  for (std::int32_t i = findSet(0); i >= 0; i = findSet(i + 1)) shifted.set(i + count);
  *this = std::move(shifted);
}

std::int32_t BitSet::count() const {
  std::int32_t n = 0;
  for (auto w : words_) n += std::popcount(w);
  return n;
}

std::int32_t BitSet::findSet(std::int32_t from) const {
  if (from < 0) from = 0;
  if (from >= size_) return -1;
  std::size_t w = static_cast<std::size_t>(from) >> 6;
  std::uint64_t bits = words_[w] & (~std::uint64_t{0} << (from & 63));
  while (true) {
    if (bits) return static_cast<std::int32_t>((w << 6) + std::countr_zero(bits));
    if (++w >= words_.size()) return -1;
    bits = words_[w];
  }
}

std::int32_t BitSet::findClear(std::int32_t from) const {
  if (from < 0) from = 0;
  if (from >= size_) return -1;
  std::size_t w = static_cast<std::size_t>(from) >> 6;
  std::uint64_t bits = ~words_[w] & (~std::uint64_t{0} << (from & 63));
  while (true) {
    if (bits) {
      const auto i = static_cast<std::int32_t>((w << 6) + std::countr_zero(bits));
      return i < size_ ? i : -1;
    }
    if (++w >= words_.size()) return -1;
    bits = ~words_[w];
  }
}

void BitSet::applyChanges(const BitSet& from, const BitSet& to) {
  auto word = [](const BitSet& set, std::size_t w) {
    return w < set.words_.size() ? set.words_[w] : std::uint64_t{0};
  };
  for (std::size_t w = 0; w < words_.size(); ++w) {
    const std::uint64_t changed = word(from, w) ^ word(to, w);
    words_[w] = (words_[w] & ~changed) | (word(to, w) & changed);
  }
  resize(size_);  // clears the bits past the end
}

std::vector<NumberRange> ParseRanges(std::string_view text) {
  std::vector<NumberRange> entries;
  forEachEntry(text, [&](const ParsedEntry& e) { entries.push_back(e.range); });
  return entries;
}

std::int32_t CountUnread(std::string_view ranges, std::int32_t first, std::int32_t last) {
  if (last < first) return 0;
  std::int64_t covered = 0;
  for (const auto& r : mergedRuns(ParseRanges(ranges), first, last)) {
    covered += static_cast<std::int64_t>(r.last) - r.first + 1;
  }
  return static_cast<std::int32_t>(static_cast<std::int64_t>(last) - first + 1 - covered);
}

std::int32_t CountUnread(std::string_view ranges, std::int32_t first, std::int32_t last,
                         BitSet& bits) {
  const std::int64_t size = last < first ? 0 : static_cast<std::int64_t>(last) - first + 1;
  bits.resize(static_cast<std::int32_t>(std::min<std::int64_t>(size, kMaxNumber)));
  bits.clearAll();
  std::int64_t unread = bits.size();
  forEachEntry(ranges, [&](const ParsedEntry& e) {
    if (e.range.last < first || e.range.first > last) return;
    const std::int64_t a = std::max(e.range.first, first) - static_cast<std::int64_t>(first);
    const std::int64_t b = std::min(e.range.last, last) - static_cast<std::int64_t>(first);
    unread -= bits.setRange(static_cast<std::int32_t>(a), static_cast<std::int32_t>(b));
  });
  return static_cast<std::int32_t>(unread);
}

std::string RangesFromBits(const BitSet& bits, std::int32_t first, std::int32_t last,
                           bool fromOne) {
  std::vector<NumberRange> runs;
  const std::int32_t size = std::min<std::int64_t>(
      bits.size(), last < first ? 0 : static_cast<std::int64_t>(last) - first + 1);
  appendRunsOfBits(runs, bits, first, size);
  return textOfRuns(runs, first, fromOne);
}

std::string MergeChangedMarks(std::string_view text, std::int32_t first, const BitSet& taken,
                              const BitSet& now) {
  std::vector<NumberRange> runs;
  const std::int64_t lastWide = static_cast<std::int64_t>(first) + now.size() - 1;
  const auto last = static_cast<std::int32_t>(std::min<std::int64_t>(lastWide, kMaxNumber));
  for (const NumberRange& r : ParseRanges(text)) {
    if (r.first < first) runs.push_back({r.first, std::min(r.last, first - 1)});
    if (r.last > last) runs.push_back({std::max(r.first, last + 1), r.last});
  }
  if (last >= first) {
    BitSet marks;
    CountUnread(text, first, last, marks);
    marks.applyChanges(taken, now);
    appendRunsOfBits(runs, marks, first, marks.size());
  }
  return textOfRuns(mergedRuns(std::move(runs), 0, kMaxNumber), 0, true);
}

bool NormaliseRanges(ReadRanges& ranges, std::int32_t& first, std::int32_t& last, bool forced) {
  if (ranges.text.empty() || !ranges.needsNormalising) return false;
  if (!forced && ranges.text.size() < kNormaliseThreshold) return false;
  std::vector<NumberRange> entries;
  std::int32_t smallest = kMaxNumber;
  std::int32_t largest = -1;
  forEachEntry(ranges.text, [&](const ParsedEntry& e) {
    const bool leadingRangeFromOne = entries.empty() && e.written_as_range && e.range.first == 1;
    smallest = std::min(smallest, leadingRangeFromOne ? e.range.last : e.range.first);
    largest = std::max(largest, e.range.last);
    entries.push_back(e.range);
  });
  ranges.needsNormalising = false;
  if (entries.empty()) {
    ranges.text.clear();
    return true;
  }
  first = std::min(first, smallest);
  last = std::max(last, largest);
  ranges.text = textOfRuns(mergedRuns(std::move(entries), first, last), first, false);
  return true;
}

void MarkRead(ReadRanges& ranges, std::int32_t n) {
  if (!ranges.text.empty()) ranges.text += ',';
  ranges.text += std::to_string(n);
  ranges.needsNormalising = true;
}

void MarkUnread(ReadRanges& ranges, std::int32_t n, std::int32_t& first, std::int32_t& last) {
  if (ranges.needsNormalising) NormaliseRanges(ranges, first, last, true);
  std::string out;
  out.reserve(ranges.text.size() + 12);
  forEachEntry(ranges.text, [&](const ParsedEntry& e) {
    const NumberRange r = e.range;
    if (n < r.first || n > r.last) {
      if (e.written_as_range) {
        if (!out.empty()) out += ',';
        out += std::to_string(r.first) + '-' + std::to_string(r.last);
      } else {
        appendRun(out, r.first, r.last);
      }
      return;
    }
    if (n > r.first) appendRun(out, r.first, n - 1);
    if (n < r.last) appendRun(out, n + 1, r.last);
  });
  ranges.text = std::move(out);
}

}  // namespace orvel
