// AdvanceXover and the group numbers of the header download, by tables:
// which ranges a download asks for, given what is present, read and
// excluded, the gap settings and the limits.

#include <gtest/gtest.h>

#include <ostream>

#include "download_view.h"

namespace orvel::test {
namespace {

struct Marks {
  std::vector<std::pair<int, int>> present, read, excluded;
};

struct RangeCase {
  const char* name;
  int low, high;
  Marks marks;
  int start;
  XoverAction action = XoverAction::ReloadUnread;
  int gap = 20;
  int limit = 0;
  int endLimit = -1;
  std::vector<std::pair<int, int>> ranges;  // every range asked for, in order
};

void PrintTo(const RangeCase& c, std::ostream* os) { *os << c.name; }

// Read pairs 2-3, 5-6, ..., 44-45: gaps of two between single wanted numbers.
std::vector<std::pair<int, int>> pairsOfRead() {
  std::vector<std::pair<int, int>> runs;
  for (int k = 0; k < 15; ++k) runs.emplace_back(3 * k + 2, 3 * k + 3);
  return runs;
}

class AdvanceXoverTest : public testing::TestWithParam<RangeCase> {};

void mark(BitSet& set, int low, const std::vector<std::pair<int, int>>& runs) {
  for (auto [a, b] : runs) set.setRange(a - low, b - low);
}

// Walks a whole download as the range ends do, with every wanted number
// answered (so it becomes present).
TEST_P(AdvanceXoverTest, AsksForTheExpectedRanges) {
  const RangeCase& c = GetParam();
  DownloadSettings settings;
  settings.defragGapSize = c.gap;
  settings.gapBudget = c.gap >= 1 ? 10LL * c.gap : 100;
  DownloadView dv(settings);
  XoverView& view = dv.view;
  HeaderDownload& d = dv.download;
  d.TakeGroupNumbers(c.low, c.high, c.high - c.low + 1);
  mark(view.presentSet, c.low, c.marks.present);
  mark(view.readSet, c.low, c.marks.read);
  mark(view.excludedSet, c.low, c.marks.excluded);
  XoverChoice choice;
  choice.action = c.action;
  choice.limit = c.limit;
  choice.endLimit = c.endLimit;
  d.ApplyChoice(choice);

  std::vector<std::pair<int, int>> ranges;
  d.SetRange(c.start, -1);
  d.AdvanceXover();
  while (d.RangeEnd() >= 0 && ranges.size() < 50) {
    ranges.emplace_back(d.RangeStart(), d.RangeEnd());
    for (int n = d.RangeStart(); n <= d.RangeEnd(); ++n) {
      if (!d.Skip(n)) {
        view.presentSet.set(n - c.low);
        ++view.added;
      }
    }
    d.ExcludeMissing();
    if ((c.limit > 0 && view.added >= c.limit) || (c.endLimit >= 0 && d.RangeEnd() >= c.endLimit) ||
        d.RangeEnd() >= d.High()) {
      break;
    }
    d.SetRange(d.RangeEnd() + 1, -1);
    d.AdvanceXover();
  }
  EXPECT_EQ(ranges, c.ranges);
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, AdvanceXoverTest,
    testing::Values(
        RangeCase{"TwoRangesWhenTheReadGapIsWide", 100, 150, {{}, {{111, 139}}, {}}, 100,
                  XoverAction::ReloadUnread, 20, 0, -1, {{100, 110}, {140, 150}}},
        RangeCase{"OneRangeBridgesANarrowReadGap", 100, 150, {{}, {{111, 125}}, {}}, 100,
                  XoverAction::ReloadUnread, 20, 0, -1, {{100, 150}}},
        RangeCase{"EverythingPresentAsksNothing", 1, 40, {{{1, 40}}, {}, {}}, 1,
                  XoverAction::ReloadUnread, 20, 0, -1, {}},
        RangeCase{"ReadNumbersAreAskedWithAction2", 1, 30, {{}, {{5, 28}}, {}}, 1,
                  XoverAction::LoadWithRead, 20, 0, -1, {{1, 30}}},
        RangeCase{"ExcludedNumbersStaySkippedWithAction2", 1, 60, {{}, {}, {{11, 40}}}, 1,
                  XoverAction::LoadWithRead, 20, 0, -1, {{1, 10}, {41, 60}}},
        RangeCase{"TrailingGapIsNotAsked", 1, 30, {{{11, 30}}, {}, {}}, 1,
                  XoverAction::ReloadUnread, 20, 0, -1, {{1, 10}}},
        RangeCase{"BudgetEndsAChainOfSmallGaps", 1, 100, {{}, pairsOfRead(), {}}, 1,
                  XoverAction::ReloadUnread, 2, 0, -1, {{1, 31}, {34, 100}}},
        RangeCase{"NoGapSizeNoBridging", 1, 10, {{}, {{4, 4}}, {}}, 1, XoverAction::ReloadUnread,
                  0, 0, -1, {{1, 3}, {5, 10}}},
        RangeCase{"LimitCutsRanges", 1, 100, {}, 1, XoverAction::ReloadUnread, 20, 30, -1,
                  {{1, 30}}},
        RangeCase{"EndLimitStopsTheWalk", 1, 100, {{}, {{10, 50}}, {}}, 1,
                  XoverAction::ReloadUnread, 20, 0, 70, {{1, 9}, {51, 70}}},
        RangeCase{"StartAboveEverythingWanted", 1, 10, {{{1, 10}}, {}, {}}, 10,
                  XoverAction::ReloadUnread, 20, 0, -1, {}}),
    [](const testing::TestParamInfo<RangeCase>& info) { return std::string(info.param.name); });

// The walk when the server's low mark drops between two downloads.
TEST(HeaderDownloadNumbers, LowerLowMarkShiftsEverySetAndKeepsItsArticles) {
  DownloadView dv;
  XoverView& view = dv.view;
  HeaderDownload& d = dv.download;
  d.TakeGroupNumbers(100, 150, 51);
  view.presentSet.set(120 - 100);
  view.readSet.set(130 - 100);
  view.keptSet.set(140 - 100);
  view.excludedSet.set(110 - 100);
  d.TakeGroupNumbers(60, 150, 91);
  EXPECT_EQ(view.lowMark, 60);
  EXPECT_EQ(d.High(), 150);
  EXPECT_TRUE(view.presentSet.test(120 - 60));
  EXPECT_TRUE(view.readSet.test(130 - 60));
  EXPECT_TRUE(view.keptSet.test(140 - 60));
  EXPECT_TRUE(view.excludedSet.test(110 - 60));
  EXPECT_EQ(view.presentSet.count(), 1);
  EXPECT_EQ(view.presentSet.size(), 91);
  // The numbers below the old low mark are wanted now.
  d.SetRange(60, -1);
  d.AdvanceXover();
  EXPECT_EQ(d.RangeStart(), 60);
}

TEST(HeaderDownloadNumbers, HighMarkOnlyGrowsAndRisingLowMarkKeepsTheSets) {
  DownloadView dv;
  XoverView& view = dv.view;
  HeaderDownload& d = dv.download;
  d.TakeGroupNumbers(10, 50, 41);
  view.readSet.set(45 - 10);
  d.TakeGroupNumbers(20, 40, 21);
  EXPECT_EQ(view.lowMark, 10);
  EXPECT_EQ(d.High(), 50);
  EXPECT_EQ(d.ServerLow(), 20);
  EXPECT_TRUE(view.readSet.test(45 - 10));
}

TEST(HeaderDownloadNumbers, AWildSpanKeepsOnlyItsTop) {
  DownloadView dv;
  XoverView& view = dv.view;
  HeaderDownload& d = dv.download;
  d.TakeGroupNumbers(1, INT32_MAX, 5);
  EXPECT_EQ(static_cast<std::int64_t>(view.presentSet.size()), HeaderDownload::kLargestRange);
  EXPECT_EQ(d.High(), INT32_MAX);
  d.SetRange(d.High(), -1);
  d.AdvanceXover();
  EXPECT_EQ(d.RangeStart(), INT32_MAX);
  EXPECT_EQ(d.RangeEnd(), INT32_MAX);
}

}  // namespace
}  // namespace orvel::test
