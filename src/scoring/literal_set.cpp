#include "scoring/literal_set.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace orvel {

namespace {

constexpr std::array<unsigned char, 256> kFold = [] {
  std::array<unsigned char, 256> fold{};
  for (int c = 0; c < 256; ++c) {
    fold[static_cast<std::size_t>(c)] =
        static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
  }
  return fold;
}();

// The bits set in x (std::popcount calls out without a popcount instruction).
unsigned popcount(std::uint64_t x) {
  x -= (x >> 1) & 0x5555555555555555ull;
  x = (x & 0x3333333333333333ull) + ((x >> 2) & 0x3333333333333333ull);
  x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Full;
  return static_cast<unsigned>((x * 0x0101010101010101ull) >> 56);
}

std::uint16_t pairAt(const char* at) {
  std::uint16_t pair;
  std::memcpy(&pair, at, sizeof pair);
  return pair;
}

bool hasHighByte(std::string_view text) {
  std::uint64_t any = 0;
  std::size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + i, sizeof word);
    any |= word;
  }
  for (; i < text.size(); ++i) any |= static_cast<unsigned char>(text[i]);
  return (any & 0x8080808080808080ull) != 0;
}

}  // namespace

std::uint16_t LiteralSet::keyOf(const char* at) const { return pairAt(at) | fold_; }

void LiteralSet::Add(std::string_view literal, std::size_t bit) {
  if (literal.size() < 2) return;
  const bool known = std::any_of(literals_.begin(), literals_.end(),
                                 [&](const Literal& l) { return l.bit == bit; });
  if (known) return;
  literals_.push_back({std::string(literal), bit});
  index();
}

void LiteralSet::index() {
  std::size_t shortest = literals_.front().text.size();
  for (const Literal& literal : literals_) shortest = std::min(shortest, literal.text.size());
  step_ = std::min(shortest - 1, kMaxStep);
  keys_.clear();
  for (std::size_t i = 0; i < literals_.size(); ++i) {
    const std::string& text = literals_[i].text;
    // Copied byte by byte, so that the mask covers the first bytes
    // whatever the byte order.
    std::uint64_t prefix = 0, mask = 0;
    const std::size_t n = std::min(text.size(), sizeof prefix);
    std::memcpy(&prefix, text.data(), n);
    std::memset(&mask, 0xFF, n);
    for (std::size_t offset = 0; offset < step_; ++offset) {
      keys_.push_back({keyOf(text.data() + offset), static_cast<std::uint16_t>(offset),
                       static_cast<std::uint32_t>(i), (prefix | fold8_) & mask, mask});
    }
  }
  std::stable_sort(keys_.begin(), keys_.end(),
                   [](const Key& a, const Key& b) { return a.key < b.key; });
  keyBits_.assign(65536 / 64, 0);
  starts_.clear();
  for (std::size_t i = 0; i < keys_.size(); ++i) {
    if (i == 0 || keys_[i].key != keys_[i - 1].key) {
      SetBit(keyBits_, keys_[i].key);
      starts_.push_back(static_cast<std::uint32_t>(i));
    }
  }
  starts_.push_back(static_cast<std::uint32_t>(keys_.size()));
  rankBase_.assign(keyBits_.size(), 0);
  std::uint32_t rank = 0;
  for (std::size_t w = 0; w < keyBits_.size(); ++w) {
    rankBase_[w] = rank;
    rank += static_cast<std::uint32_t>(std::popcount(keyBits_[w]));
  }
}

bool LiteralSet::compare(std::string_view text, std::size_t at, const Literal& literal) const {
  if (text.size() - at < literal.text.size()) return false;
  if (!caseless_) return text.compare(at, literal.text.size(), literal.text) == 0;
  for (std::size_t i = 0; i < literal.text.size(); ++i) {
    if (kFold[static_cast<unsigned char>(text[at + i])] !=
        static_cast<unsigned char>(literal.text[i])) {
      return false;
    }
  }
  return true;
}

void LiteralSet::compareAt(std::string_view text, std::size_t at, std::uint16_t key,
                           BitWords& found, BitWords& sure) const {
  const std::size_t word = key / 64;
  const std::uint64_t below = keyBits_[word] & ((std::uint64_t{1} << (key % 64)) - 1);
  const std::size_t rank = rankBase_[word] + static_cast<std::size_t>(popcount(below));
  for (std::uint32_t i = starts_[rank]; i < starts_[rank + 1]; ++i) {
    const Key& k = keys_[i];
    if (at < k.offset) continue;
    const std::size_t start = at - k.offset;
    if (start + 8 <= text.size()) {
      std::uint64_t prefix;
      std::memcpy(&prefix, text.data() + start, sizeof prefix);
      if (((prefix | fold8_) & k.mask) != k.prefix) continue;
    }
    const Literal& literal = literals_[k.literal];
    if (!TestBit(sure, literal.bit) && compare(text, start, literal)) {
      SetBit(found, literal.bit);
      SetBit(sure, literal.bit);
    }
  }
}

void LiteralSet::findAll(BitWords& bits) const {
  for (const Literal& literal : literals_) SetBit(bits, literal.bit);
}

void LiteralSet::Find(std::string_view text, BitWords& found, BitWords& sure) const {
  if (literals_.empty() || text.size() < 2) return;
  const std::uint64_t* bits = keyBits_.data();
  const std::uint16_t fold = fold_;
  const std::size_t step = step_;
  for (std::size_t i = 0; i + 1 < text.size(); i += step) {
    const std::uint16_t key = pairAt(text.data() + i) | fold;
    if ((bits[key / 64] >> (key % 64)) & 1) compareAt(text, i, key, found, sure);
  }
  if (caseless_ && hasHighByte(text) && FoldsIntoAscii(text)) findAll(found);
}

bool MayContain(std::string_view text, std::string_view literal, bool caseless) {
  if (literal.empty()) return true;
  if (!caseless) return text.find(literal) != std::string_view::npos;
  if (FoldsIntoAscii(text)) return true;
  const auto it = std::search(text.begin(), text.end(), literal.begin(), literal.end(),
                              [](char a, char b) {
                                return kFold[static_cast<unsigned char>(a)] ==
                                       static_cast<unsigned char>(b);
                              });
  return it != text.end();
}

bool FoldsIntoAscii(std::string_view text) {
  // U+017F (long s) and U+212A (Kelvin sign): the only characters outside
  // ASCII a caseless match takes for ASCII letters.
  return text.find("\xC5\xBF") != std::string_view::npos ||
         text.find("\xE2\x84\xAA") != std::string_view::npos;
}

}  // namespace orvel
