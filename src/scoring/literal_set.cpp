#include "scoring/literal_set.h"

#include <algorithm>
#include <array>

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

std::uint16_t pairOf(unsigned char first, unsigned char second) {
  return static_cast<std::uint16_t>(first << 8 | second);
}

}  // namespace

void LiteralSet::Add(std::string_view literal, std::size_t bit) {
  if (literal.size() < 2) return;
  const bool known = std::any_of(literals_.begin(), literals_.end(),
                                 [&](const Literal& l) { return l.bit == bit; });
  if (known) return;
  if (pairs_.empty()) pairs_.assign(65536 / 64, 0);
  const auto pair = pairOf(static_cast<unsigned char>(literal[0]),
                           static_cast<unsigned char>(literal[1]));
  SetBit(pairs_, pair);
  const auto at = std::upper_bound(literals_.begin(), literals_.end(), pair,
                                   [](std::uint16_t p, const Literal& l) { return p < l.pair; });
  literals_.insert(at, Literal{pair, std::string(literal), bit});
}

bool LiteralSet::compare(std::string_view text, std::size_t at, const Literal& literal) const {
  if (text.size() - at < literal.text.size()) return false;
  if (!caseless_) return text.compare(at, literal.text.size(), literal.text) == 0;
  for (std::size_t i = 2; i < literal.text.size(); ++i) {
    if (kFold[static_cast<unsigned char>(text[at + i])] !=
        static_cast<unsigned char>(literal.text[i])) {
      return false;
    }
  }
  return true;
}

void LiteralSet::findAll(BitWords& bits) const {
  for (const Literal& literal : literals_) SetBit(bits, literal.bit);
}

void LiteralSet::Find(std::string_view text, BitWords& found, BitWords& sure) const {
  if (literals_.empty()) return;
  if (caseless_ && FoldsIntoAscii(text)) return findAll(found);
  if (text.size() < 2) return;
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const auto fold = [&](std::size_t i) { return caseless_ ? kFold[bytes[i]] : bytes[i]; };
  unsigned char previous = fold(0);
  for (std::size_t i = 1; i < text.size(); ++i) {
    const unsigned char current = fold(i);
    const std::uint16_t pair = pairOf(previous, current);
    previous = current;
    if (!TestBit(pairs_, pair)) continue;
    auto it = std::lower_bound(literals_.begin(), literals_.end(), pair,
                               [](const Literal& l, std::uint16_t p) { return l.pair < p; });
    for (; it != literals_.end() && it->pair == pair; ++it) {
      if (!TestBit(sure, it->bit) && compare(text, i - 1, *it)) {
        SetBit(found, it->bit);
        SetBit(sure, it->bit);
      }
    }
  }
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
