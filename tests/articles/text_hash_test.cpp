#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "articles/string_pool.h"

namespace orvel {
namespace {

// Lengths around the hash's steps: the short form, one word, one and two
// lanes, and tails that overlap the last full step.
struct LengthCase {
  const char* name;
  std::size_t length;
};
void PrintTo(const LengthCase& c, std::ostream* os) { *os << c.name; }

class TextHashTest : public ::testing::TestWithParam<LengthCase> {};

std::string textOf(std::size_t n) {
  std::string s;
  for (std::size_t k = 0; k < n; ++k) s.push_back(static_cast<char>('a' + (k * 7) % 26));
  return s;
}

TEST_P(TextHashTest, EveryByteChangesTheHash) {
  const std::string text = textOf(GetParam().length);
  const std::uint64_t h = TextHash(text);
  for (std::size_t k = 0; k < text.size(); ++k) {
    std::string changed = text;
    changed[k] ^= 0x20;
    EXPECT_NE(TextHash(changed), h) << "byte " << k;
  }
}

TEST_P(TextHashTest, DependsOnTheTextNotItsAddress) {
  const std::string text = textOf(GetParam().length);
  const std::string padded = "xyz" + text + "xyz";
  EXPECT_EQ(TextHash(text), TextHash(std::string_view(padded).substr(3, text.size())));
}

TEST_P(TextHashTest, TrailingZeroBytesAreNotTheShorterText) {
  const std::string text = textOf(GetParam().length);
  EXPECT_NE(TextHash(text), TextHash(text + std::string(1, '\0')));
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, TextHashTest,
    ::testing::Values(LengthCase{"empty", 0}, LengthCase{"one", 1}, LengthCase{"seven", 7},
                      LengthCase{"eight", 8}, LengthCase{"nine", 9}, LengthCase{"fifteen", 15},
                      LengthCase{"sixteen", 16}, LengthCase{"seventeen", 17},
                      LengthCase{"twentyfour", 24}, LengthCase{"thirtythree", 33},
                      LengthCase{"messageId", 47}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orvel
