// Crc32Stream against one Crc32Update over the same bytes: every length up
// to 4096 from unaligned starts in one span, the same bytes cut into spans
// of many sizes, and a buffer overwritten after its bytes were added.

#include "content/crc32_stream.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "content/crc32.h"
#include "content_test_support.h"

namespace orvel {
namespace {

// Both foldings, the widest the processor runs and the 128-bit one.
TEST(Crc32Stream, EveryLengthFromUnalignedStartsInOneSpan) {
  const std::string memory = test::RandomBytes(4096 + 16, 11);
  for (const bool narrow : {false, true}) {
    detail::Crc32StreamFoldNarrow(narrow);
    for (std::size_t start : {0, 1, 7, 15}) {
      for (std::size_t size = 0; size <= 4096; ++size) {
        Crc32Stream crc;
        crc.add(memory.data() + start, size);
        ASSERT_EQ(crc.value(), Crc32Update(0, memory.data() + start, size))
            << start << "+" << size << (narrow ? " narrow" : "");
      }
    }
  }
  detail::Crc32StreamFoldNarrow(false);
}

struct SpanCase {
  const char* name;
  std::vector<std::size_t> sizes;  // spans in order
  friend void PrintTo(const SpanCase& c, std::ostream* os) { *os << c.name; }
};

class Crc32StreamSpans : public ::testing::TestWithParam<SpanCase> {};

// Spans from one buffer with a gap after each, and the value read after
// every span: reading it changes nothing.
TEST_P(Crc32StreamSpans, EqualsOneCrcOverTheBytesAdded) {
  const SpanCase& c = GetParam();
  std::size_t room = 0;
  for (std::size_t size : c.sizes) room += size + 3;
  const std::string memory = test::RandomBytes(room, 3);
  std::string added;
  Crc32Stream crc;
  std::size_t at = 0;
  for (std::size_t size : c.sizes) {
    crc.add(memory.data() + at, size);
    added.append(memory, at, size);
    at += size + 3;
    ASSERT_EQ(crc.value(), Crc32Update(0, added.data(), added.size())) << added.size();
  }
  EXPECT_EQ(crc.value(), Crc32Update(0, added.data(), added.size()));
}

std::vector<std::size_t> cycle(std::vector<std::size_t> sizes, std::size_t times) {
  std::vector<std::size_t> out;
  for (std::size_t t = 0; t < times; ++t) out.insert(out.end(), sizes.begin(), sizes.end());
  return out;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Crc32StreamSpans,
    ::testing::Values(SpanCase{"Nothing", {}}, SpanCase{"EmptySpans", {0, 0}},
                      SpanCase{"Lines", cycle({128}, 300)},
                      SpanCase{"LinesShortenedByEscapes", cycle({126, 127, 125, 128, 1}, 100)},
                      SpanCase{"ByteAtATime", cycle({1}, 300)},
                      SpanCase{"AroundOneBlock", {63, 1, 64, 65, 0, 127, 129}},
                      SpanCase{"LargeAfterSmall", {5, 70000, 3, 64 * 1024}}),
    [](const auto& info) { return std::string(info.param.name); });

// A buffer written again from its start, as after a flush: the bytes added
// before are counted as they were; a reset starts over.
TEST(Crc32Stream, CountsBytesAsAddedThoughTheBufferIsOverwritten) {
  std::string buffer = test::RandomBytes(1000, 5);
  const std::string first = buffer;
  Crc32Stream crc;
  crc.add(buffer.data(), 600);
  crc.add(buffer.data() + 600, 400);
  buffer = test::RandomBytes(1000, 6);
  crc.add(buffer.data(), 300);
  const std::string expected = first + buffer.substr(0, 300);
  EXPECT_EQ(crc.value(), Crc32Update(0, expected.data(), expected.size()));
  crc.reset();
  EXPECT_EQ(crc.value(), 0u);
}

}  // namespace
}  // namespace orvel
