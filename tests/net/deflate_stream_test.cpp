// The compressed stream of a news connection: batches readable as soon as
// they are sent, any split of the received bytes, bounded output per call,
// broken streams reported.

#include "net/deflate_stream.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace orvel {
namespace {

// Feeds bytes and drains every pending output into out; false on failure.
bool inflateAll(Decompressor& d, std::string_view bytes, std::string& out, std::size_t maxOutput) {
  std::string_view chunk = d.feed(bytes);
  while (true) {
    EXPECT_LE(chunk.size(), maxOutput);
    out.append(chunk);
    if (!d.more()) return !d.failed();
    chunk = d.feed({});
  }
}

TEST(DeflateStream, RoundTripEveryBatchReadableAtOnceAnySplit) {
  std::mt19937 rng(20);
  constexpr std::size_t kMaxOutput = 777;
  Compressor c;
  Decompressor d(kMaxOutput);
  std::string sent, received;
  for (int batch = 0; batch < 40; ++batch) {
    std::string plain;
    const std::size_t size = rng() % 5000;
    for (std::size_t i = 0; i < size; ++i) {
      // Text-like for some batches, random bytes for others.
      plain.push_back(batch % 3 ? static_cast<char>('a' + rng() % 8) : static_cast<char>(rng()));
    }
    sent += plain;
    const std::string wire(c.compress(plain));
    ASSERT_FALSE(c.failed()) << c.error();
    for (std::size_t at = 0; at < wire.size();) {
      const std::size_t n = 1 + rng() % 300;
      ASSERT_TRUE(inflateAll(d, std::string_view(wire).substr(at, n), received, kMaxOutput))
          << d.error();
      at += n;
    }
    ASSERT_EQ(received, sent) << "batch " << batch;
  }
}

// Input used up in the middle of a long match: what zlib still holds comes
// out on the next calls without more input. Where the last match ends
// within the last byte depends on the length, hence the range.
TEST(DeflateStream, OutputHeldByZlibDrainsWithoutMoreInput) {
  constexpr std::size_t kMaxOutput = 1;
  for (std::size_t size = 2000; size < 2300; ++size) {
    Compressor c;
    const std::string zeros(size, '\0');
    const std::string wire(c.compress(zeros));
    Decompressor d(kMaxOutput);
    std::string out;
    // Byte by byte, everything but the flush marker (an empty stored
    // block: 00 00 FF FF).
    for (std::size_t i = 0; i + 4 < wire.size(); ++i) {
      ASSERT_TRUE(inflateAll(d, std::string_view(wire).substr(i, 1), out, kMaxOutput));
    }
    ASSERT_EQ(out.size(), size);
  }
}

struct CorruptCase {
  const char* name;
  std::string bytes;
};

void PrintTo(const CorruptCase& c, std::ostream* os) { *os << c.name; }

class Corrupt : public ::testing::TestWithParam<CorruptCase> {};

TEST_P(Corrupt, ReportedAndStaysFailed) {
  Decompressor d;
  std::string out;
  EXPECT_FALSE(inflateAll(d, GetParam().bytes, out, Decompressor::kDefaultMaxOutput));
  EXPECT_TRUE(d.failed());
  EXPECT_FALSE(d.error().empty());
  Compressor c;
  EXPECT_TRUE(d.feed(c.compress("more")).empty());
  EXPECT_TRUE(d.failed());
}

INSTANTIATE_TEST_SUITE_P(
    DeflateStream, Corrupt,
    ::testing::Values(CorruptCase{"ReservedBlockType", "\x07garbage"},
                      CorruptCase{"StoredLengthsDisagree", std::string("\x00\x05\x00\x00\x00", 5)},
                      CorruptCase{"DataAfterFinalBlock", std::string("\x03\x00x", 3)},
                      CorruptCase{"ZlibHeaderIsNotRaw", std::string("\x78\x9c\x4b\x04\x00", 5)}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orvel
