// PendingCrc against one Crc32Update over all the bytes added: spans joined
// in memory or apart, across the fold size, and a buffer reused from its
// start after foldUnlessNext.

#include "content/pending_crc.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "content/crc32.h"
#include "content_test_support.h"

namespace orvel {
namespace {

constexpr std::size_t kFold = PendingCrc::kFoldBytes;

struct SpanCase {
  const char* name;
  std::vector<std::size_t> sizes;  // spans in order
  std::size_t gap;                 // bytes left between spans in memory
  friend void PrintTo(const SpanCase& c, std::ostream* os) { *os << c.name; }
};

class PendingCrcSpans : public ::testing::TestWithParam<SpanCase> {};

TEST_P(PendingCrcSpans, EqualsOneCrcOverTheBytesAdded) {
  const SpanCase& c = GetParam();
  std::size_t room = 0;
  for (std::size_t size : c.sizes) room += size + c.gap;
  const std::string memory = test::RandomBytes(room, 3);
  std::string added;
  PendingCrc crc;
  std::size_t at = 0;
  for (std::size_t size : c.sizes) {
    crc.add(memory.data() + at, size);
    added.append(memory, at, size);
    at += size + c.gap;
  }
  EXPECT_EQ(crc.value(), Crc32Update(0, added.data(), added.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Table, PendingCrcSpans,
    ::testing::Values(SpanCase{"Nothing", {}, 0}, SpanCase{"EmptySpans", {0, 0}, 1},
                      SpanCase{"LinesJoined", std::vector<std::size_t>(3000, 128), 0},
                      SpanCase{"LinesApart", std::vector<std::size_t>(3000, 128), 5},
                      SpanCase{"ExactlyTheFoldSize", {kFold / 2, kFold / 2, 1}, 0},
                      SpanCase{"OneSpanOverTheFoldSize", {3 * kFold + 7}, 0},
                      SpanCase{"EmptyBetweenJoined", {100, 0, 100}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// A buffer written again from its start, as after a flush: the bytes added
// before are counted as they were, not as they are overwritten.
TEST(PendingCrc, FoldsBeforeTheBufferIsOverwritten) {
  std::string buffer = test::RandomBytes(1000, 5);
  const std::string first = buffer;
  PendingCrc crc;
  crc.add(buffer.data(), 600);
  crc.add(buffer.data() + 600, 400);
  crc.foldUnlessNext(buffer.data());
  buffer = test::RandomBytes(1000, 6);
  crc.add(buffer.data(), 300);
  const std::string expected = first + buffer.substr(0, 300);
  EXPECT_EQ(crc.value(), Crc32Update(0, expected.data(), expected.size()));
  crc.reset();
  EXPECT_EQ(crc.value(), 0u);
}

}  // namespace
}  // namespace orvel
