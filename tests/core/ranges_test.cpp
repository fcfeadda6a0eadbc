#include "core/ranges.h"

#include <gtest/gtest.h>

#include <string>

namespace orvel {
namespace {

struct CountCase {
  const char* name;
  const char* ranges;
  std::int32_t first;
  std::int32_t last;
  std::int32_t unread;
  const char* readBack;  // RangesFromBits(bits, first, last, fromOne = true)
};
void PrintTo(const CountCase& c, std::ostream* os) { *os << c.name; }

class CountUnreadTest : public testing::TestWithParam<CountCase> {};

TEST_P(CountUnreadTest, CountsUncoveredNumbersAndBuildsBits) {
  const auto& c = GetParam();
  EXPECT_EQ(CountUnread(c.ranges, c.first, c.last), c.unread);
  BitSet bits;
  EXPECT_EQ(CountUnread(c.ranges, c.first, c.last, bits), c.unread);
  EXPECT_EQ(bits.size(), c.last < c.first ? 0 : c.last - c.first + 1);
  EXPECT_EQ(RangesFromBits(bits, c.first, c.last, true), c.readBack);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CountUnreadTest,
    testing::Values(
        CountCase{"Empty", "", 100, 199, 100, ""},
        CountCase{"ReadBelowAndInside", "1-150", 100, 199, 49, "100-150"},
        CountCase{"SingleAndRange", "1-5,7", 1, 10, 4, "1-5,7"},
        CountCase{"OverlapCountsOnce", "3-8,5-10,4", 1, 10, 2, "3-10"},
        CountCase{"Unsorted", "9,1-3,5", 1, 10, 5, "1-3,5,9"},
        CountCase{"OutsideIgnored", "1-50,500-600", 100, 199, 100, ""},
        CountCase{"GarbageSeparates", "x1-2;;4 a 6-x8", 1, 10, 4, "1-2,4,6-8"},
        CountCase{"EndBelowStartIgnored", "8-3,2", 1, 10, 9, "2"},
        CountCase{"HugeNumberClipped", "5-99999999999999", 1, 10, 4, "5-10"},
        CountCase{"DashAtEndIsSingle", "4-", 1, 10, 9, "4"},
        CountCase{"EmptyInterval", "1-10", 10, 9, 0, ""}),
    [](const auto& info) { return std::string(info.param.name); });

struct BitsCase {
  const char* name;
  const char* ranges;
  std::int32_t first;
  std::int32_t last;
  bool fromOne;
  const char* expected;
};
void PrintTo(const BitsCase& c, std::ostream* os) { *os << c.name; }

class RangesFromBitsTest : public testing::TestWithParam<BitsCase> {};

TEST_P(RangesFromBitsTest, WritesRunsOfSetBits) {
  const auto& c = GetParam();
  BitSet bits;
  CountUnread(c.ranges, c.first, c.last, bits);
  EXPECT_EQ(RangesFromBits(bits, c.first, c.last, c.fromOne), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, RangesFromBitsTest,
    testing::Values(BitsCase{"RunTouchingFirstStartsAtOne", "100-120,130", 100, 199, false,
                             "1-120,130"},
                    BitsCase{"ClearFirstBitReadsBelowFirst", "110-120", 100, 199, false,
                             "1-99,110-120"},
                    BitsCase{"NothingSetStillReadsBelowFirst", "", 100, 199, false, "1-99"},
                    BitsCase{"FirstOfOneAddsNothing", "5", 1, 10, false, "5"},
                    BitsCase{"FromOneKeepsNumbersAsTheyAre", "100-120", 100, 199, true, "100-120"},
                    BitsCase{"RunToTheLastBit", "195-300", 100, 199, true, "195-199"}),
    [](const auto& info) { return std::string(info.param.name); });

struct NormaliseCase {
  const char* name;
  const char* text;
  std::int32_t first;
  std::int32_t last;
  const char* expected;
  std::int32_t newFirst;
  std::int32_t newLast;
};
void PrintTo(const NormaliseCase& c, std::ostream* os) { *os << c.name; }

class NormaliseTest : public testing::TestWithParam<NormaliseCase> {};

TEST_P(NormaliseTest, SortsMergesAndWidens) {
  const auto& c = GetParam();
  ReadRanges r{c.text, true};
  std::int32_t first = c.first, last = c.last;
  EXPECT_TRUE(NormaliseRanges(r, first, last, true));
  EXPECT_EQ(r.text, c.expected);
  EXPECT_FALSE(r.needsNormalising);
  EXPECT_EQ(first, c.newFirst);
  EXPECT_EQ(last, c.newLast);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, NormaliseTest,
    testing::Values(
        NormaliseCase{"AppendedMarksMerge", "1-10,12,11", 1, 20, "1-12", 1, 20},
        NormaliseCase{"LastWidened", "1-10,250", 1, 200, "1-10,250", 1, 250},
        NormaliseCase{"LeadingRangeFromOneKeepsFirst", "1-120,125,122", 100, 199,
                      "1-120,122,125", 100, 199},
        NormaliseCase{"LeadingLoneOneLowersFirst", "1,150-160", 100, 199, "1,150-160", 1, 199},
        NormaliseCase{"ClearFirstGetsPrefix", "150-160,140", 100, 199, "1-99,140,150-160", 100,
                      199},
        NormaliseCase{"FirstLoweredBySmallest", "90-95,150", 100, 199, "1-95,150", 90, 199},
        NormaliseCase{"OnlyGarbageEmpties", "abc", 1, 10, "", 1, 10}),
    [](const auto& info) { return std::string(info.param.name); });

struct MergeCase {
  const char* name;
  const char* text;   // the record's marks now
  std::int32_t first;
  std::int32_t last;  // the view's interval
  const char* taken;  // the marks the view took over first..last
  const char* now;    // the view's marks at hand-back
  const char* expected;
};
void PrintTo(const MergeCase& c, std::ostream* os) { *os << c.name; }

class MergeChangedMarksTest : public testing::TestWithParam<MergeCase> {};

TEST_P(MergeChangedMarksTest, OnlyTheViewsChangesReachTheText) {
  const auto& c = GetParam();
  BitSet taken, now;
  CountUnread(c.taken, c.first, c.last, taken);
  CountUnread(c.now, c.first, c.last, now);
  EXPECT_EQ(MergeChangedMarks(c.text, c.first, taken, now), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, MergeChangedMarksTest,
    testing::Values(
        MergeCase{"MarksAboveTheViewStay", "1-3,10-30", 1, 12, "1-3,10-12", "1-3,10-12",
                  "1-3,10-30"},
        MergeCase{"MarksBelowTheViewStay", "5,7-9,100-110", 100, 120, "100-110", "100-110",
                  "5,7-9,100-110"},
        MergeCase{"NothingBelowTheViewIsInvented", "", 100, 120, "", "100-104", "100-104"},
        MergeCase{"ReadInTheViewJoinsItsNeighbours", "1-3,10-30", 1, 12, "1-3,10-12",
                  "1-3,4,10-12", "1-4,10-30"},
        MergeCase{"UnreadInTheViewSplitsARun", "1-3,10-30", 1, 12, "1-3,10-12", "1-3,10,12",
                  "1-3,10,12-30"},
        MergeCase{"UnreadAtTheViewsLastSplitsTheRunAbove", "10-30", 1, 12, "10-12", "10-11",
                  "10-11,13-30"},
        MergeCase{"MarksMadeElsewhereMeanwhileStay", "1-8", 1, 12, "1-3", "1-3", "1-8"},
        MergeCase{"TheViewsChangeWinsOverAnOlderMark", "1-8", 1, 12, "1-3", "1,3", "1,3-8"},
        MergeCase{"UnsortedTextComesBackSorted", "20-25,1-2,4", 1, 3, "1-2", "1-3", "1-4,20-25"},
        MergeCase{"EmptyViewKeepsEverything", "7,2-3", 5, 4, "", "", "2-3,7"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RangesTest, NormaliseWaitsFor30001CharactersUnlessForced) {
  std::string text;
  for (int n = 1; text.size() < kNormaliseThreshold - 1; n += 2) {
    text += (text.empty() ? "" : ",") + std::to_string(n);
  }
  text.resize(kNormaliseThreshold - 1);
  std::int32_t first = 1, last = 100000;
  ReadRanges shortText{text, true};
  EXPECT_FALSE(NormaliseRanges(shortText, first, last, false));
  EXPECT_TRUE(shortText.needsNormalising);
  ReadRanges longText{text + "9", true};
  EXPECT_TRUE(NormaliseRanges(longText, first, last, false));
  ReadRanges unflagged{text, false};
  EXPECT_FALSE(NormaliseRanges(unflagged, first, last, true));
  ReadRanges empty{"", true};
  EXPECT_FALSE(NormaliseRanges(empty, first, last, true));
}

TEST(RangesTest, MarkReadAppendsAndSaveMergesTwelveAndEleven) {
  ReadRanges r{"1-10", false};
  MarkRead(r, 12);
  EXPECT_EQ(r.text, "1-10,12");
  EXPECT_TRUE(r.needsNormalising);
  MarkRead(r, 11);
  std::int32_t first = 1, last = 20;
  NormaliseRanges(r, first, last, true);
  EXPECT_EQ(r.text, "1-12");
  ReadRanges empty;
  MarkRead(empty, 7);
  EXPECT_EQ(empty.text, "7");
}

struct UnreadCase {
  const char* name;
  const char* text;
  bool flagged;
  std::int32_t n;
  const char* expected;
};
void PrintTo(const UnreadCase& c, std::ostream* os) { *os << c.name; }

class MarkUnreadTest : public testing::TestWithParam<UnreadCase> {};

TEST_P(MarkUnreadTest, RemovesTheNumber) {
  const auto& c = GetParam();
  ReadRanges r{c.text, c.flagged};
  std::int32_t first = 1, last = 20;
  MarkUnread(r, c.n, first, last);
  EXPECT_EQ(r.text, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, MarkUnreadTest,
    testing::Values(UnreadCase{"MiddleOfRange", "1-10", false, 5, "1-4,6-10"},
                    UnreadCase{"StartOfTwo", "1-2", false, 1, "2"},
                    UnreadCase{"EndOfTwo", "1-2", false, 2, "1"},
                    UnreadCase{"SingleEntryGoes", "1-4,7,9", false, 7, "1-4,9"},
                    UnreadCase{"OnlyEntryGoes", "7", false, 7, ""},
                    UnreadCase{"NotPresentKeepsText", "1-4,9", false, 6, "1-4,9"},
                    UnreadCase{"FlaggedIsNormalisedFirst", "1-10,12,11", true, 11, "1-10,12"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RangesTest, LargeSparseUnsortedTextNormalises) {
  // 200000 odd numbers appended from the highest down: about 1.3 MB of text.
  ReadRanges r;
  for (std::int32_t n = 399999; n >= 1; n -= 2) MarkRead(r, n);
  std::int32_t first = 1, last = 400000;
  EXPECT_EQ(CountUnread(r.text, first, last), 200000);
  ASSERT_TRUE(NormaliseRanges(r, first, last, false));
  EXPECT_EQ(r.text.substr(0, 12), "1,3,5,7,9,11");
  EXPECT_EQ(r.text.substr(r.text.size() - 13), "399997,399999");
  EXPECT_EQ(CountUnread(r.text, first, last), 200000);
  // Filling the even numbers makes one run.
  for (std::int32_t n = 2; n <= 400000; n += 2) MarkRead(r, n);
  NormaliseRanges(r, first, last, true);
  EXPECT_EQ(r.text, "1-400000");
}

TEST(RangesTest, HugeNumbersAllocateNothingLarge) {
  ReadRanges r{"5,2000000000,1-3", true};
  std::int32_t first = 1, last = 10;
  NormaliseRanges(r, first, last, true);
  EXPECT_EQ(r.text, "1-3,5,2000000000");
  EXPECT_EQ(last, 2000000000);
}

TEST(BitSetTest, RangesCountsAndShifts) {
  BitSet bits(130);
  EXPECT_EQ(bits.setRange(3, 70), 68);
  EXPECT_EQ(bits.setRange(60, 129), 59);
  EXPECT_EQ(bits.count(), 127);
  EXPECT_EQ(bits.findClear(0), 0);
  EXPECT_EQ(bits.findClear(3), -1);
  bits.reset(100);
  EXPECT_EQ(bits.findClear(3), 100);
  bits.prependClear(5);
  EXPECT_EQ(bits.size(), 135);
  EXPECT_FALSE(bits.test(7));
  EXPECT_TRUE(bits.test(8));
  EXPECT_FALSE(bits.test(105));
  EXPECT_EQ(bits.findSet(0), 8);
  bits.resize(10);
  EXPECT_EQ(bits.count(), 2);
  bits.resize(200);
  EXPECT_EQ(bits.count(), 2) << "growing must not bring back dropped bits";
  bits.set(500);
  EXPECT_FALSE(bits.test(500));
}

}  // namespace
}  // namespace orvel
