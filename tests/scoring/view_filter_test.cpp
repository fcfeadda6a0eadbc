// The view filter's modes on a small hand-built group: which articles each
// mode shows, the previous list and undo, the inversion and the rebuilt
// thread.

#include "scoring/view_filter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "../articles/thread_builder.h"

namespace orvel::test {
namespace {

constexpr DateTime kToday = 45000.5;

class ListHost : public ViewFilterHost {
 public:
  explicit ListHost(ThreadBuilder& b) : b_(b) {}
  void ThreadViewList(bool unthreaded) override {
    ThreadOptions options;
    options.threaded = !unthreaded;
    lastUnthreaded = unthreaded;
    b_.Thread(options);
  }
  bool BeingProcessed(const TArticle& a) const override { return &a == processing; }
  DateTime Today() const override { return kToday; }
  TArticle* CurrentArticle() const override { return current; }

  TArticle* current = nullptr;
  TArticle* processing = nullptr;
  bool lastUnthreaded = false;

 private:
  ThreadBuilder& b_;
};

// a1 "Hello" (read, old) <- a2; a3, a4 a complete two-part post; a5 one
// part of three; a6 "Other" (queued, stored) <- a7 (scored); a8 alone.
class ViewFilterTest : public testing::Test {
 protected:
  void SetUp() override {
    Add("Hello", "<a1>", "")->SetRead(true);
    b.ById("<a1>")->Set(NodeFlag::Old);
    Add("Re: Hello", "<a2>", "<a1>")->Score = 5;
    Add("Pics (1/2) x.jpg", "<a3>", "");
    Add("Pics (2/2) x.jpg", "<a4>", "");
    Add("Set (1/3) y.zip", "<a5>", "");
    TArticle* a6 = Add("Other", "<a6>", "");
    a6->QueuePosition = 0;
    a6->BodyOffset = 100;
    a6->Score = -5;
    Add("Re: Other", "<a7>", "<a6>")->Score = 10000;
    Add("Alone", "<a8>", "")->SetRead(true);
    b.ById("<a8>")->Set(NodeFlag::Old);
    b.Thread();
  }
  TArticle* Add(std::string subject, std::string id, std::string refs) {
    return b.Add(std::move(subject), std::move(id), std::move(refs));
  }
  // The Message-IDs of the current view list, sorted.
  std::vector<std::string> Shown() const {
    std::vector<std::string> ids;
    for (const TArticle* a : filter.Current()) ids.emplace_back(a->MessageID.view());
    std::sort(ids.begin(), ids.end());
    return ids;
  }

  ThreadBuilder b;
  ListHost host{b};
  ViewFilter filter{b.lists, host};
};

using Ids = std::vector<std::string>;
const Ids kAll = {"<a1>", "<a2>", "<a3>", "<a4>", "<a5>", "<a6>", "<a7>", "<a8>"};

struct ModeCase {
  const char* name;
  std::int32_t mode;
  Ids shown;
};
void PrintTo(const ModeCase& c, std::ostream* os) { *os << c.name; }

class FilterModeTest : public ViewFilterTest, public testing::WithParamInterface<ModeCase> {};

TEST_P(FilterModeTest, ShowsTheArticlesOfTheMode) {
  const ModeCase& c = GetParam();
  filter.SetScoreThreshold(1);
  filter.SetSearchScore(10000);
  host.processing = b.ById("<a8>");
  host.current = b.ById("<a2>");
  ASSERT_TRUE(filter.Apply(c.mode));
  EXPECT_EQ(Shown(), c.shown);
  EXPECT_EQ(filter.Mode(), c.mode == kFilterRebuildThread ? kFilterAll : c.mode);
  // The threading pass ran on the new list.
  EXPECT_EQ(b.stats.articles, static_cast<std::int64_t>(c.shown.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Modes, FilterModeTest,
    testing::Values(
        ModeCase{"All", kFilterAll, kAll},
        ModeCase{"HideNonBinaries", kFilterHideNonBinaries, {"<a3>", "<a4>", "<a5>"}},
        ModeCase{"HideIncomplete", kFilterHideIncomplete,
                 {"<a1>", "<a2>", "<a3>", "<a4>", "<a6>", "<a7>", "<a8>"}},
        ModeCase{"Multipart", kFilterMultipart, {"<a3>", "<a4>", "<a5>"}},
        ModeCase{"CompleteMultipart", kFilterCompleteMultipart, {"<a3>", "<a4>"}},
        ModeCase{"ScoreAtLeastOne", kFilterScore, {"<a2>", "<a7>"}},
        ModeCase{"ServerSearchScore", kFilterServerSearch, {"<a7>"}},
        ModeCase{"New", kFilterNew, {"<a2>", "<a3>", "<a4>", "<a5>", "<a6>", "<a7>"}},
        ModeCase{"QueuedOrProcessed", kFilterQueued, {"<a6>", "<a8>"}},
        ModeCase{"Unread", kFilterUnread, {"<a2>", "<a3>", "<a4>", "<a5>", "<a6>", "<a7>"}},
        ModeCase{"Stored", kFilterStored, {"<a6>"}},
        ModeCase{"RebuildThreadKeepsEverything", kFilterRebuildThread, kAll},
        ModeCase{"ThreadsWithNew", kFilterThreadsNew,
                 {"<a1>", "<a2>", "<a3>", "<a4>", "<a5>", "<a6>", "<a7>"}},
        ModeCase{"ThreadsScored", kFilterThreadsScored, {"<a1>", "<a2>", "<a6>", "<a7>"}},
        ModeCase{"ThreadsUnread", kFilterThreadsUnread,
                 {"<a1>", "<a2>", "<a3>", "<a4>", "<a5>", "<a6>", "<a7>"}},
        ModeCase{"ThreadsQueued", kFilterThreadsQueued, {"<a6>", "<a7>", "<a8>"}}),
    [](const testing::TestParamInfo<ModeCase>& info) { return std::string(info.param.name); });

TEST_F(ViewFilterTest, FiltersNarrowTheCurrentListAndUndoGoesBackOneStep) {
  EXPECT_FALSE(filter.Apply(kFilterUndo));  // nothing to undo yet
  ASSERT_TRUE(filter.Apply(kFilterUnread));
  ASSERT_TRUE(filter.Apply(kFilterMultipart));
  EXPECT_EQ(Shown(), (Ids{"<a3>", "<a4>", "<a5>"}));
  ASSERT_TRUE(filter.Apply(kFilterCompleteMultipart));
  EXPECT_EQ(Shown(), (Ids{"<a3>", "<a4>"}));
  ASSERT_TRUE(filter.Apply(kFilterUndo));
  EXPECT_EQ(Shown(), (Ids{"<a3>", "<a4>", "<a5>"}));
  // One step only: the undo cleared the previous list.
  EXPECT_FALSE(filter.HasPrevious());
  EXPECT_FALSE(filter.Apply(kFilterUndo));
  ASSERT_TRUE(filter.Apply(kFilterAll));
  EXPECT_EQ(Shown(), kAll);
  EXPECT_EQ(b.lists.viewList, nullptr);
  EXPECT_FALSE(filter.HasPrevious());  // the master list has no previous
}

TEST_F(ViewFilterTest, InvertShowsTheMasterArticlesNotShown) {
  ASSERT_TRUE(filter.Apply(kFilterUnread));
  ASSERT_TRUE(filter.Apply(kFilterInvert));
  EXPECT_EQ(Shown(), (Ids{"<a1>", "<a8>"}));
  ASSERT_TRUE(filter.Apply(kFilterInvert));
  EXPECT_EQ(Shown(), (Ids{"<a2>", "<a3>", "<a4>", "<a5>", "<a6>", "<a7>"}));
}

TEST_F(ViewFilterTest, RebuildThreadBringsBackTheCurrentThreadOnly) {
  ASSERT_TRUE(filter.Apply(kFilterStored));  // <a6> alone
  host.current = b.ById("<a2>");
  ASSERT_TRUE(filter.Apply(kFilterRebuildThread));
  EXPECT_EQ(Shown(), (Ids{"<a1>", "<a2>", "<a6>"}));
  EXPECT_EQ(filter.Mode(), kFilterStored);
  host.current = nullptr;
  EXPECT_FALSE(filter.Apply(kFilterRebuildThread));
}

TEST_F(ViewFilterTest, DialogFilterTakesTheMasterListOrNarrowsTheCurrentOne) {
  FilterForm form;
  form.linesEnabled = true;
  form.lines = 100;  // every article has 20 lines
  form.linesTest = FilterLinesTest::LessThan;
  ASSERT_FALSE(filter.Dialog().Apply(form));
  ASSERT_TRUE(filter.Apply(kFilterStored));
  ASSERT_TRUE(filter.Apply(kFilterDialog));
  EXPECT_EQ(Shown(), kAll);
  form.addToCurrent = true;
  ASSERT_TRUE(filter.Apply(kFilterStored));
  ASSERT_FALSE(filter.Dialog().Apply(form));
  ASSERT_TRUE(filter.Apply(kFilterDialog));
  EXPECT_EQ(Shown(), Ids{"<a6>"});
}

TEST_F(ViewFilterTest, QuickFilterShowsAFlatListAndEmptyingBringsThePreviousBack) {
  ASSERT_TRUE(filter.Apply(kFilterUnread));
  EXPECT_EQ(filter.SetQuickText("^h"), QuickFilter::Outcome::Built);
  EXPECT_TRUE(host.lastUnthreaded);
  EXPECT_EQ(Shown(), (Ids{"<a1>", "<a2>"}));  // from the full list
  EXPECT_EQ(filter.SetQuickText("^he"), QuickFilter::Outcome::Built);
  EXPECT_EQ(filter.SetQuickText("("), QuickFilter::Outcome::BadRegex);
  EXPECT_THAT(filter.Quick().Error(), testing::StartsWith("Perlre: "));
  EXPECT_EQ(Shown(), (Ids{"<a1>", "<a2>"}));  // the last valid list stays
  EXPECT_EQ(filter.SetQuickText(""), QuickFilter::Outcome::Emptied);
  EXPECT_FALSE(host.lastUnthreaded);
  EXPECT_EQ(Shown(), (Ids{"<a2>", "<a3>", "<a4>", "<a5>", "<a6>", "<a7>"}));
  // Another filter empties the box.
  filter.SetQuickText("o");
  ASSERT_TRUE(filter.Apply(kFilterStored));
  EXPECT_FALSE(filter.Quick().Active());
}

TEST_F(ViewFilterTest, WithoutRefilterOnlyAnEmptyListBecomesTheMasterList) {
  ASSERT_TRUE(filter.Apply(kFilterStored));
  ASSERT_TRUE(filter.Apply(kFilterUnread, false));
  EXPECT_EQ(Shown(), Ids{"<a6>"});
  ASSERT_TRUE(filter.Apply(kFilterThreadsScored));  // <a6> is not: nothing left
  EXPECT_EQ(Shown(), Ids{});
  ASSERT_TRUE(filter.Apply(kFilterUnread, false));
  EXPECT_EQ(Shown(), kAll);
}

TEST_F(ViewFilterTest, FreedArticlesLeaveTheFilteredLists) {
  ASSERT_TRUE(filter.Apply(kFilterMultipart));
  std::vector<TArticle*> freed = {b.ById("<a3>")};
  filter.ArticlesFreed(freed);
  EXPECT_EQ(Shown(), (Ids{"<a4>", "<a5>"}));
}

}  // namespace
}  // namespace orvel::test
