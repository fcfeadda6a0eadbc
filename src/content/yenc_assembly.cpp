#include "content/yenc_assembly.h"

#include <algorithm>

#include "content/crc32.h"

namespace orvel {

std::int64_t YEncAssembly::total() const {
  if (total_ > 0) return total_;
  for (const auto& [first, piece] : pieces_) {
    if (piece.end == size_) return piece.lastPart;
  }
  return 0;
}

void YEncAssembly::setTotal(std::int64_t total) {
  if (total > 0 && total <= kMaxYEncParts) total_ = total;
}

bool YEncAssembly::holdsGoodPart(std::int64_t part) const {
  auto it = pieces_.upper_bound(part);
  if (it == pieces_.begin()) return false;
  --it;
  return part <= it->second.lastPart && it->second.crcOk;
}

bool YEncAssembly::add(const YEncPiece& piece) {
  if (piece.firstPart < 1 || piece.lastPart < piece.firstPart || piece.lastPart > kMaxYEncParts ||
      piece.begin < 0 || piece.end <= piece.begin || piece.end > size_) {
    return false;
  }
  const auto it = pieces_.find(piece.firstPart);
  if (it == pieces_.end()) {
    pieces_.emplace(piece.firstPart, piece);
    failed_ += piece.crcOk ? 0 : 1;
    cover(piece.begin, piece.end);
    return true;
  }
  // Another copy of a part: its bytes were written over the earlier ones.
  const bool sameRange = it->second.begin == piece.begin && it->second.end == piece.end;
  it->second = piece;
  if (sameRange) {
    failed_ = 0;
    for (const auto& [first, p] : pieces_) failed_ += p.crcOk ? 0 : 1;
  } else {
    recount();
  }
  return true;
}

void YEncAssembly::recount() {
  covered_.clear();
  coveredBytes_ = 0;
  failed_ = 0;
  for (const auto& [first, p] : pieces_) {
    cover(p.begin, p.end);
    failed_ += p.crcOk ? 0 : 1;
  }
}

// Adds [begin, end) to the merged ranges.
void YEncAssembly::cover(std::int64_t begin, std::int64_t end) {
  auto it = covered_.upper_bound(begin);
  if (it != covered_.begin() && std::prev(it)->second >= begin) --it;
  while (it != covered_.end() && it->first <= end) {
    begin = std::min(begin, it->first);
    end = std::max(end, it->second);
    coveredBytes_ -= it->second - it->first;
    it = covered_.erase(it);
  }
  covered_.emplace(begin, end);
  coveredBytes_ += end - begin;
}

// Parts are cut to one length but the last: the longest part tells how
// many there are when no total was given and the last part is missing.
std::int64_t YEncAssembly::estimatedTotal() const {
  std::int64_t longest = 0;
  for (const auto& [first, p] : pieces_) {
    if (p.firstPart == p.lastPart) longest = std::max(longest, p.end - p.begin);
  }
  if (longest == 0) return 0;
  return std::min((size_ + longest - 1) / longest, kMaxYEncParts);
}

std::vector<std::int64_t> YEncAssembly::missingParts() const {
  if (complete()) return {};
  std::int64_t total = this->total();
  if (total == 0) total = estimatedTotal();
  std::vector<std::int64_t> missing;
  std::int64_t next = 1;
  for (const auto& [first, p] : pieces_) {
    for (; next < first && next <= total; ++next) missing.push_back(next);
    next = std::max(next, p.lastPart + 1);
  }
  for (; next <= total; ++next) missing.push_back(next);
  return missing;
}

std::optional<std::uint32_t> YEncAssembly::combinedCrc() const {
  std::uint32_t crc = 0;
  std::int64_t position = 0;
  for (const auto& [first, p] : pieces_) {
    if (p.begin != position || !p.crc) return std::nullopt;
    crc = Crc32Combine(crc, *p.crc, p.end - p.begin);
    position = p.end;
  }
  if (position != size_) return std::nullopt;
  return crc;
}

}  // namespace orvel
