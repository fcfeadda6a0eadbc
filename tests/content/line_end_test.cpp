// FindLineEnd against a byte-at-a-time search: each line end at every
// position of texts around the block size, alone, with a later one, and
// among bytes that differ from it by one bit.

#include "content/line_end.h"

#include <gtest/gtest.h>

#include <string>

namespace orvel {
namespace {

std::size_t naiveLineEnd(const std::string& text) {
  const std::size_t at = text.find_first_of(std::string("\r\n\0", 3));
  return at == std::string::npos ? text.size() : at;
}

class FindLineEndAt : public ::testing::TestWithParam<char> {};

TEST_P(FindLineEndAt, EveryPosition) {
  const char end = GetParam();
  for (std::size_t size = 0; size <= 70; ++size) {
    // Neighbours of the line ends in the filler, so a loose compare shows.
    std::string text(size, static_cast<char>(end ^ 0x20));
    for (std::size_t i = 0; i < size; ++i) {
      if (i % 3 == 0) text[i] = static_cast<char>(end ^ 1);
    }
    EXPECT_EQ(FindLineEnd(text.data(), size), size) << "size " << size;
    for (std::size_t at = 0; at < size; ++at) {
      std::string with = text;
      with[at] = end;
      if (at + 17 < size) with[at + 17] = '\n';
      EXPECT_EQ(FindLineEnd(with.data(), size), naiveLineEnd(with)) << "size " << size << " at " << at;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Table, FindLineEndAt, ::testing::Values('\r', '\n', '\0'),
                         [](const auto& info) {
                           return std::string(info.param == '\r' ? "CR" : info.param == '\n' ? "LF" : "NUL");
                         });

}  // namespace
}  // namespace orvel
