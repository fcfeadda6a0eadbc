// The ledger of a yEnc file's parts (which bytes arrived, which parts are
// missing, the whole file's CRC from the parts' CRCs) and the CRC
// combination it rests on.

#include "content/yenc_assembly.h"

#include <gtest/gtest.h>

#include "content/crc32.h"
#include "content_test_support.h"

namespace orvel {
namespace {

using Parts = std::vector<std::int64_t>;

// A 1000-byte file in parts of 300 bytes (the last of 100).
YEncPiece part(std::int64_t k, bool sound = true) {
  const std::int64_t begin = (k - 1) * 300;
  return {k, k, begin, std::min<std::int64_t>(begin + 300, 1000), std::nullopt, sound};
}

struct ArrivalCase {
  const char* name;
  std::vector<int> arrivals;
  std::int64_t total;    // given by "total=", 0 when not
  Parts missing;         // after the arrivals
  friend void PrintTo(const ArrivalCase& c, std::ostream* os) { *os << c.name; }
};

class Arrivals : public ::testing::TestWithParam<ArrivalCase> {};

TEST_P(Arrivals, CompleteExactlyWhenNoPartIsMissing) {
  YEncAssembly parts(1000);
  parts.setTotal(GetParam().total);
  for (int k : GetParam().arrivals) ASSERT_TRUE(parts.add(part(k)));
  EXPECT_EQ(parts.missingParts(), GetParam().missing);
  EXPECT_EQ(parts.complete(), GetParam().missing.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, Arrivals,
    ::testing::Values(ArrivalCase{"AllInOrder", {1, 2, 3, 4}, 0, {}},
                      ArrivalCase{"AllReversed", {4, 3, 2, 1}, 0, {}},
                      ArrivalCase{"Duplicates", {2, 1, 2, 4, 3, 1}, 0, {}},
                      ArrivalCase{"MiddleMissing", {1, 2, 4}, 0, {3}},
                      ArrivalCase{"FirstMissing", {4, 2, 3}, 0, {1}},
                      // Without a total, the part that ends the file says how
                      // many there are, else the parts' length.
                      ArrivalCase{"LastMissingEstimated", {1, 2}, 0, {3, 4}},
                      ArrivalCase{"LastMissingWithTotal", {1, 2, 3}, 4, {4}},
                      ArrivalCase{"OnlyTheLast", {4}, 0, {1, 2, 3}},
                      ArrivalCase{"UnbelievableTotalIgnored", {1}, 1000000000, {2, 3, 4}}),
    [](const auto& info) { return std::string(info.param.name); });

struct PieceCase {
  const char* name;
  YEncPiece piece;
  friend void PrintTo(const PieceCase& c, std::ostream* os) { *os << c.name; }
};

class RefusedPieces : public ::testing::TestWithParam<PieceCase> {};

TEST_P(RefusedPieces, AreNotRecorded) {
  YEncAssembly parts(1000);
  EXPECT_FALSE(parts.add(GetParam().piece));
  EXPECT_TRUE(parts.pieces().empty());
  EXPECT_FALSE(parts.complete());
}

INSTANTIATE_TEST_SUITE_P(
    Table, RefusedPieces,
    ::testing::Values(PieceCase{"EndPastTheSize", {1, 1, 900, 1001, std::nullopt, true}},
                      PieceCase{"NegativeBegin", {1, 1, -1, 10, std::nullopt, true}},
                      PieceCase{"Empty", {1, 1, 10, 10, std::nullopt, true}},
                      PieceCase{"PartZero", {0, 0, 0, 1000, std::nullopt, true}},
                      PieceCase{"PartsBackwards", {3, 2, 0, 1000, std::nullopt, true}},
                      PieceCase{"TooManyParts", {1, kMaxYEncParts + 1, 0, 1000, std::nullopt, true}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(YEncAssembly, FailedPartIsReplacedByASoundCopy) {
  YEncAssembly parts(1000);
  for (int k : {1, 3, 4}) parts.add(part(k));
  parts.add(part(2, false));
  EXPECT_TRUE(parts.complete());
  EXPECT_TRUE(parts.anyFailed());
  EXPECT_FALSE(parts.holdsGoodPart(2));
  EXPECT_TRUE(parts.holdsGoodPart(3));
  parts.add(part(2));
  EXPECT_FALSE(parts.anyFailed());
  EXPECT_TRUE(parts.holdsGoodPart(2));
}

TEST(YEncAssembly, PrefixOfAnOlderRecordHoldsItsParts) {
  YEncAssembly parts(1000);
  ASSERT_TRUE(parts.add({1, 2, 0, 600, std::nullopt, true}));
  EXPECT_TRUE(parts.holdsGoodPart(1));
  EXPECT_TRUE(parts.holdsGoodPart(2));
  EXPECT_FALSE(parts.holdsGoodPart(3));
  parts.setTotal(4);
  EXPECT_EQ(parts.missingParts(), (Parts{3, 4}));
}

TEST(YEncAssembly, WholeCrcFromThePartsInAnyArrivalOrder) {
  const std::string data = test::RandomBytes(1000, 21);
  YEncAssembly parts(1000);
  for (int k : {3, 1, 4, 2}) {
    YEncPiece p = part(k);
    p.crc = Crc32Update(0, data.data() + p.begin, static_cast<std::size_t>(p.end - p.begin));
    parts.add(p);
    EXPECT_EQ(parts.combinedCrc().has_value(), parts.complete());
  }
  EXPECT_EQ(parts.combinedCrc(), Crc32Update(0, data.data(), data.size()));
  // A piece without its CRC leaves the answer to the file itself.
  parts.add({5, 5, 0, 10, std::nullopt, true});
  EXPECT_FALSE(parts.combinedCrc().has_value());
}

TEST(Crc32, CombineEqualsTheCrcOfTheJoinedBytes) {
  const std::string data = test::RandomBytes(100000, 3);
  for (std::size_t cut : {std::size_t{0}, std::size_t{1}, std::size_t{7}, std::size_t{4096},
                          std::size_t{65537}, data.size()}) {
    const std::uint32_t a = Crc32Update(0, data.data(), cut);
    const std::uint32_t b = Crc32Update(0, data.data() + cut, data.size() - cut);
    EXPECT_EQ(Crc32Combine(a, b, static_cast<std::int64_t>(data.size() - cut)),
              Crc32Update(0, data.data(), data.size()))
        << "cut at " << cut;
  }
}

}  // namespace
}  // namespace orvel
