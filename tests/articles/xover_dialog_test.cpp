// TfmXOVER as a model, and the texts of the slots and captions.

#include "articles/xover_dialog.h"

#include <gtest/gtest.h>

#include "articles/progress_texts.h"
#include "download_view.h"

namespace orvel::test {
namespace {

class XoverDialogTest : public testing::Test {
 protected:
  XoverDialogTest() { download.TakeGroupNumbers(101, 200, 100); }
  DownloadView dv;
  ArticleArena& arena = dv.arena;
  ViewLists& lists = dv.lists;
  XoverView& view = dv.view;
  HeaderDownload& download = dv.download;
  XoverDialogPrefs prefs;
};

TEST_F(XoverDialogTest, StartsAtTheFirstUnreadNumberAndEndsAtTheHighMark) {
  view.readSet.setRange(0, 29);  // 101-130 read
  TfmXOVER form(view, download, prefs, 3);
  EXPECT_EQ(form.Start(), 131);
  EXPECT_EQ(form.End(), 200);
  EXPECT_EQ(form.Estimate(), 70);
  EXPECT_TRUE(form.Title().empty());
  EXPECT_TRUE(form.ActionsShown());
}

TEST_F(XoverDialogTest, WithALimitTheEndFollowsTheStart) {
  download.SetLimits(25, -1);
  prefs.limitPerGet = 25;
  TfmXOVER form(view, download, prefs, 4);
  EXPECT_TRUE(form.LimitChecked());
  EXPECT_EQ(form.Start(), 101);
  EXPECT_EQ(form.End(), 125);
}

TEST_F(XoverDialogTest, EstimateFollowsTheAction) {
  view.readSet.setRange(0, 49);      // 101-150 read
  view.excludedSet.setRange(90, 99);  // 191-200 excluded
  view.presentSet.setRange(50, 59);   // 151-160 loaded
  TfmXOVER form(view, download, prefs, 3);
  form.SetStart(101);
  const std::pair<XoverAction, std::int64_t> cases[] = {{XoverAction::ReloadUnread, 30},
                                                       {XoverAction::LoadWithRead, 80},
                                                       {XoverAction::CleanAndLoad, 90},
                                                       {XoverAction::CleanOnly, 0}};
  for (auto [action, expected] : cases) {
    form.SetAction(action);
    EXPECT_EQ(form.Estimate(), expected) << static_cast<int>(action);
  }
  form.SetLimitChecked(true);
  form.SetLimitValue(12);
  form.SetAction(XoverAction::LoadWithRead);
  EXPECT_EQ(form.Estimate(), 12);
}

TEST_F(XoverDialogTest, TrackBarsStayInsideTheMarks) {
  TfmXOVER form(view, download, prefs, 3);
  form.SetStart(5);
  EXPECT_EQ(form.Start(), 101);
  form.SetEnd(150);
  form.SetStart(170);
  EXPECT_EQ(form.End(), 170);
  form.MoveBoth(100);
  EXPECT_EQ(form.Start(), 200);
  EXPECT_EQ(form.End(), 200);
  form.SetStart(120);
  form.SetEnd(140);
  form.MoveBoth(-50);
  EXPECT_EQ(form.Start(), 101);
  EXPECT_EQ(form.End(), 121);
}

TEST_F(XoverDialogTest, OkStoresTheChoiceAndThePrefsOutliveTheDialog) {
  {
    TfmXOVER form(view, download, prefs, 3);
    form.SetStart(120);
    form.SetEnd(180);
    form.SetAction(XoverAction::LoadWithRead);
    form.SetLimitChecked(true);
    form.SetLimitValue(40);
    form.SetAutoFree(false);
    const XoverChoice c = form.Ok();
    EXPECT_EQ(c.startNumber, 120);
    EXPECT_EQ(c.endLimit, 180);
    EXPECT_EQ(c.limit, 40);
    EXPECT_EQ(c.action, XoverAction::LoadWithRead);
    form.SetEnd(200);
    form.SetLimitChecked(false);
    EXPECT_EQ(form.Ok().endLimit, -1);
    EXPECT_EQ(form.Ok().limit, 0);
  }
  EXPECT_FALSE(prefs.autoFree);
  EXPECT_EQ(prefs.limitPerGet, 40);
  TfmXOVER again(view, download, prefs, 3);
  EXPECT_FALSE(again.AutoFree());
  EXPECT_EQ(again.LimitValue(), 40);
}

TEST_F(XoverDialogTest, BarsShowWhereTheSetsHaveNumbers) {
  view.presentSet.setRange(0, 9);    // 101-110
  view.excludedSet.setRange(95, 95);  // 196
  TfmXOVER form(view, download, prefs, kStatisticsForm);
  EXPECT_EQ(form.Title(), "Statistics");
  EXPECT_FALSE(form.ActionsShown());
  const auto present = form.Bar(XoverBar::Present, 10);
  EXPECT_EQ(present, (std::vector<bool>{true, false, false, false, false, false, false, false, false, false}));
  const auto excluded = form.Bar(XoverBar::Excluded, 4);
  EXPECT_EQ(excluded, (std::vector<bool>{false, false, false, true}));
  EXPECT_EQ(form.Bar(XoverBar::Read, 3), (std::vector<bool>{false, false, false}));
}

TEST_F(XoverDialogTest, ClearingThePresentSetKeepsTheLoadedArticles) {
  TArticle* a = arena.New();
  a->Number = 105;
  lists.masterList.push_back(a);
  view.presentSet.setRange(0, 20);
  view.readSet.setRange(0, 20);
  a->SetRead(true);
  TfmXOVER form(view, download, prefs, kStatisticsForm);
  form.ClearSet(XoverBar::Present);
  EXPECT_EQ(view.presentSet.count(), 1);
  EXPECT_TRUE(view.presentSet.test(4));
  form.ClearSet(XoverBar::Read);
  EXPECT_EQ(view.readSet.count(), 0);
  EXPECT_FALSE(a->Has(NodeFlag::Read));
  EXPECT_TRUE(form.ReadMarksCleared());
}

TEST(XoverStatsTexts, CompleteCountsWithTheirShare) {
  ThreadStats s;
  s.articles = 120;
  s.unread = 7;
  s.multiPart = 8;
  s.completeMultiPart = 3;
  const XoverStatsTexts t = StatsTexts(s);
  EXPECT_EQ(t.total, "120");
  EXPECT_EQ(t.unread, "7");
  EXPECT_EQ(t.multiPart, "8");
  EXPECT_EQ(t.complete, "3 (37.5%)");
  EXPECT_EQ(StatsTexts(ThreadStats{}).complete, "0");
}

TEST(ProgressTexts, SlotsRatesAndCaptions) {
  EXPECT_EQ(SlotBarText(2, "home", "XOVER 1-50"), "2. home XOVER 1-50");
  EXPECT_EQ(ConnectingText("home", "news.example.org"), "Se connecte à home (news.example.org)");
  EXPECT_EQ(TransferRateText(3000, 1500), " 3000/2=2000 B/s");
  EXPECT_EQ(TransferRateText(3000, 0), "");
  EXPECT_EQ(ServerCaption("alt.test", "home"), "alt.test :: home");
  EXPECT_EQ(FolderCaption("Archive"), "/Archive/");
  EXPECT_EQ(ClockText(3723), "01:02:03");
  EXPECT_EQ(BatchCaption("home", "alt.bin", 1024 * 300, 1024 * 700, 60000),
            "home::alt.bin | 30% done 300K in 00:01:00 (5.00K/s) | 700K 00:02:20 left");
}

}  // namespace
}  // namespace orvel::test
