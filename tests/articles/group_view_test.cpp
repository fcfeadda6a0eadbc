// The group view's header download over the fake network: ranges and
// limits, reopening, the dialog, the store and the read state, and servers
// that answer more, less or other than they were asked.

#include <algorithm>
#include <filesystem>
#include <set>

#include "articles/marking.h"
#include "articles/store_io.h"
#include "group_view_fixture.h"

namespace orvel::test {
namespace {

// Refreshes the view and lets the server answer.
void refresh(TGroupView& v, FakeNewsServer& s) {
  v.Refresh();
  s.pump();
}

TEST_F(GroupViewTest, DownloadsTheGroupThenSavesTheStoreAndTheReadState) {
  server.groups["alt.test"] = MakeGroup(1, 50);
  record().read.text = "1-10";
  open();
  EXPECT_EQ(server.commandsStarting("XOVER"), (std::vector<std::string>{"XOVER 11-50"}));
  EXPECT_EQ(numbers().size(), 40u);
  EXPECT_EQ(prompter.lastStatus(), kReadyText);
  EXPECT_EQ(observer.downloads, 1);
  EXPECT_FALSE(view->Slots().AnyTaken());
  close();
  EXPECT_TRUE(std::filesystem::exists(base.path() + "data/[fake] alt.test.hdr"));
  EXPECT_EQ(record().read.text, "1-10");
  EXPECT_EQ(record().last, 50);
  EXPECT_EQ(record().first, 1);
  EXPECT_FALSE(list->IsOpenInView(record()));
}

TEST_F(GroupViewTest, ScoreSettingsReachTheView) {
  Settings settings;
  settings.keptScore = 500;
  settings.threadScoreOpt = 2;
  options = GroupViewOptions::FromSettings(settings);
  server.groups["alt.test"] = MakeGroup(1, 3);
  open();
  view->MasterList()[1]->Set(NodeFlag::Kept);
  const ScoreOptions& score = view->View().options.score;
  EXPECT_EQ(score.KeptScore, 500);
  EXPECT_EQ(score.ThreadScoreOpt, 2);
  EXPECT_EQ(view->MasterList()[1]->EffectiveScore(score.KeptScore), 500);
}

TEST_F(GroupViewTest, TheGroupListSavesTheViewsReadStateAndClosesIt) {
  server.groups["alt.test"] = MakeGroup(1, 20);
  open();
  EXPECT_TRUE(list->IsOpenInView(record()));
  view->View().readSet.setRange(0, 4);  // 1-5 read in the view
  ASSERT_TRUE(list->SaveReadState());
  EXPECT_EQ(base.read("fake.newsrc"), "alt.test: 1-5\r\n");
  ASSERT_TRUE(list->Close());
  EXPECT_TRUE(view->Closed());
  EXPECT_TRUE(std::filesystem::exists(base.path() + "data/[fake] alt.test.hdr"));
}

TEST_F(GroupViewTest, AViewOutlivingItsGroupListClosesWhileTheListIsThere) {
  server.groups["alt.test"] = MakeGroup(1, 20);
  open();
  list.reset();  // a window torn down without closing: the list goes first
  EXPECT_TRUE(view->Closed());
  view.reset();  // nothing reaches the freed list (the sanitizers watch)
}

TEST_F(GroupViewTest, ReopeningAsksOnlyForNewHeadersAndShowsStoredOnesFirst) {
  server.groups["alt.test"] = MakeGroup(1, 30);
  open();
  close();
  server.groups["alt.test"].high = 45;
  server.commands.clear();
  observer.rowsChangedCount = 0;
  open();
  EXPECT_EQ(server.commandsStarting("XOVER"), (std::vector<std::string>{"XOVER 31-45"}));
  EXPECT_EQ(numbers().size(), 45u);
  EXPECT_EQ(numberSet().size(), 45u);
  // Threaded once when the store was loaded, once at the end.
  EXPECT_EQ(observer.rowsChangedCount, 2);
  const TArticle* stored = view->MasterList().front();
  EXPECT_TRUE(stored->Has(NodeFlag::Old));
}

TEST_F(GroupViewTest, UnchangedGroupSendsNoXover) {
  server.groups["alt.test"] = MakeGroup(1, 20);
  open();
  close();
  server.commands.clear();
  open();
  EXPECT_TRUE(server.commandsStarting("XOVER").empty());
  EXPECT_EQ(prompter.lastStatus(), kGroupUnchangedText);
  EXPECT_EQ(numbers().size(), 20u);
  EXPECT_EQ(observer.downloads, 2);
}

TEST_F(GroupViewTest, EmptyGroupAsksNothingUntilItsFirstArticle) {
  server.groups["alt.test"] = MakeGroup(1, 0);
  open();
  EXPECT_TRUE(server.commandsStarting("XOVER").empty());
  EXPECT_EQ(prompter.lastStatus(), kGroupUnchangedText);
  server.groups["alt.test"].high = 1;
  refresh(*view, server);
  EXPECT_EQ(server.commandsStarting("XOVER"), (std::vector<std::string>{"XOVER 1"}));
  EXPECT_EQ(numbers(), (std::vector<std::int32_t>{1}));
}

TEST_F(GroupViewTest, ThresholdOpensTheDialogBeforeAnyXoverAndTheLimitCutsRanges) {
  server.groups["alt.test"] = MakeGroup(1, 100);
  options.download.promptThreshold = 50;
  dialog.inspect = [&](TfmXOVER& form) {
    EXPECT_TRUE(server.commandsStarting("XOVER").empty());
    EXPECT_EQ(form.Start(), 1);
    EXPECT_EQ(form.End(), 100);
    EXPECT_EQ(form.Estimate(), 100);
  };
  dialog.choice = XoverChoice{40, 1, -1, XoverAction::ReloadUnread};
  open();
  EXPECT_EQ(dialog.modes, (std::vector<int>{4}));
  EXPECT_EQ(server.commandsStarting("XOVER"), (std::vector<std::string>{"XOVER 1-40"}));
  // Refreshing with the limit in force offers to free the old headers.
  for (int k = 0; k < 2; ++k) {
    prompter.answer(Button::No);
    refresh(*view, server);
  }
  EXPECT_EQ(server.commandsStarting("XOVER"),
            (std::vector<std::string>{"XOVER 1-40", "XOVER 41-80", "XOVER 81-100"}));
  EXPECT_EQ(numbers().size(), 100u);
  EXPECT_TRUE(prompter.scriptUsed());
}

TEST_F(GroupViewTest, CancelledDialogStopsAndLeavesTheLists) {
  server.groups["alt.test"] = MakeGroup(1, 100);
  options.download.promptThreshold = 10;
  dialog.confirm = false;
  open();
  EXPECT_TRUE(server.commandsStarting("XOVER").empty());
  EXPECT_TRUE(numbers().empty());
  EXPECT_EQ(view->Download().Mode(), DownloadMode::Normal);
  EXPECT_FALSE(view->Slots().AnyTaken());
}

TEST_F(GroupViewTest, CleanOnlyMarksReadBelowTheStartAndNeverAsksForHeaders) {
  server.groups["alt.test"] = MakeGroup(1, 60);
  record().read.text = "1-5,40-50";
  options.download.promptThreshold = 10;
  dialog.choice = XoverChoice{0, 30, -1, XoverAction::CleanOnly};
  open();
  EXPECT_TRUE(server.commandsStarting("XOVER").empty());
  close();
  EXPECT_EQ(record().read.text, "1-29");
}

TEST_F(GroupViewTest, CleanAndLoadClearsReadMarksFromTheStart) {
  server.groups["alt.test"] = MakeGroup(1, 60);
  record().read.text = "1-60";
  dialog.choice = XoverChoice{0, 51, -1, XoverAction::CleanAndLoad};
  open(OpenMode::StoredOnly);
  view->Refresh(RefreshKind::Extended);
  server.pump();
  EXPECT_EQ(dialog.modes, (std::vector<int>{3}));
  EXPECT_EQ(server.commandsStarting("XOVER"), (std::vector<std::string>{"XOVER 51-60"}));
  for (const TArticle* a : view->MasterList()) EXPECT_FALSE(a->Has(NodeFlag::Read)) << a->Number;
  close();
  EXPECT_EQ(record().read.text, "1-50");
}

TEST_F(GroupViewTest, MissingNumbersBecomeExcludedAndAreNotAskedAgain) {
  server.groups["alt.test"] = MakeGroup(1, 30);
  server.groups["alt.test"].missing = {5, 6, 7, 30};
  open();
  EXPECT_TRUE(excluded(5) && excluded(6) && excluded(7) && excluded(30));
  EXPECT_FALSE(excluded(8));
  server.groups["alt.test"].high = 40;
  server.groups["alt.test"].missing.clear();
  refresh(*view, server);
  EXPECT_EQ(server.commandsStarting("XOVER"),
            (std::vector<std::string>{"XOVER 1-30", "XOVER 31-40"}));
  EXPECT_EQ(numbers().size(), 36u);
}

TEST_F(GroupViewTest, ExtraHeadersComeByXhdrBeforeTheXoverOfTheRange) {
  server.groups["alt.test"] = MakeGroup(1, 12);
  server.headers["X-One:3"] = "three";
  TGroupView& v = open(OpenMode::StoredOnly);
  v.View().extraNames = {"X-One", "X-Two"};
  refresh(v, server);
  EXPECT_EQ(server.commands.back(), "XOVER 1-12");
  EXPECT_EQ(server.commandsStarting("X"),
            (std::vector<std::string>{"XHDR X-One 1-12", "XHDR X-Two 1-12", "XOVER 1-12"}));
  ASSERT_TRUE(v.View().extraValues);
  const auto* values = v.View().extraValues->Find("3");
  ASSERT_NE(values, nullptr);
  EXPECT_EQ((*values)[0], "three");
}

TEST_F(GroupViewTest, AFollowUpToTheUserIsNoticedOnce) {
  server.groups["alt.test"] = MakeGroup(1, 3);
  server.hook = [](FakeTransport&, const std::string& line) {
    if (line != "XOVER 1-3") return FakeNewsServer::Action{};
    std::string reply = "224 follows\r\n";
    reply += FakeOverviewLine("alt.test", 1) + "\r\n";
    reply += "2\tRe: mine\tX <x@y.z>\tFri, 15 Jan 2027 07:00:00 +0000\t<r@y.z>\t"
             "<post.Me42@home.invalid>\t100\t3\tXref: h alt.test:2\r\n.\r\n";
    return FakeNewsServer::Action::Answer(reply);
  };
  profile->identity.IDToken = "Me42";
  open();
  EXPECT_EQ(observer.replies, 1);
  EXPECT_TRUE(view->MasterList().back()->Has(NodeFlag::ReplyToMe));
  refresh(*view, server);
  EXPECT_EQ(observer.replies, 1);
}

TEST_F(GroupViewTest, StoreReadFlagsGiveWayToTheGroupRecord) {
  server.groups["alt.test"] = MakeGroup(1, 10);
  record().read.text = "1-10";
  open();
  close();
  // The group list reset the group meanwhile.
  record().read.text.clear();
  open();
  for (const TArticle* a : view->MasterList()) EXPECT_FALSE(a->Has(NodeFlag::Read)) << a->Number;
}

// ---------------------------------------------------------------- marks outside the view

// What the view does between opening and closing.
enum class MarksStep {
  None,
  ReadFifteenInTheView,       // the person reads article 15
  ReadSevenInTheList,         // a cross-post of 7 is marked read through the group list
  RefreshAfterTheServerGrew,  // the refresh's GROUP reply reaches beyond the store
};

struct MarksCase {
  const char* name;
  std::int32_t low, high;
  std::set<std::int32_t> missing;  // numbers the server lacks
  std::int32_t storedHigh;         // > 0: a first run stored the headers up to it
  const char* read;                // the record's marks when the view opens
  const char* toFetch;
  OpenMode mode;
  MarksStep step;
  const char* expectedRead;
  const char* expectedToFetch;
  const char* lastXover;  // the last XOVER sent after opening; "" none
};
void PrintTo(const MarksCase& c, std::ostream* os) { *os << c.name; }

class MarksOutsideTheViewTest : public GroupViewTest,
                                public testing::WithParamInterface<MarksCase> {};

TEST_P(MarksOutsideTheViewTest, ComeBackUnchanged) {
  const MarksCase& c = GetParam();
  server.groups["alt.test"] = MakeGroup(c.low, c.storedHigh > 0 ? c.storedHigh : c.high);
  server.groups["alt.test"].missing = c.missing;
  if (c.storedHigh > 0) {
    open();
    close();
    server.groups["alt.test"].high = c.high;
  }
  record().read.text = c.read;
  record().toFetch = c.toFetch;
  server.commands.clear();
  open(c.mode);
  switch (c.step) {
    case MarksStep::None: break;
    case MarksStep::ReadFifteenInTheView:
      view->View().readSet.set(15 - view->View().lowMark);
      break;
    case MarksStep::ReadSevenInTheList: ASSERT_TRUE(list->MarkRead("alt.test", 7)); break;
    case MarksStep::RefreshAfterTheServerGrew:
      refresh(*view, server);
      break;
  }
  const auto xovers = server.commandsStarting("XOVER");
  EXPECT_EQ(xovers.empty() ? "" : xovers.back(), c.lastXover);
  close();
  EXPECT_EQ(record().read.text, c.expectedRead);
  EXPECT_EQ(record().toFetch, c.expectedToFetch);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MarksOutsideTheViewTest,
    testing::Values(
        MarksCase{"AboveTheStoredHeaders", 1, 12, {}, 12, "1-3,10-30", "20-25",
                  OpenMode::StoredOnly, MarksStep::None, "1-3,10-30", "20-25", ""},
        MarksCase{"BelowTheLowMark", 100, 120, {}, 0, "5,7-9,100-110", "50", OpenMode::Download,
                  MarksStep::None, "5,7-9,100-110", "50", "XOVER 111-120"},
        MarksCase{"InAGapTheServerLacks", 1, 20, {5, 6, 7, 8}, 0, "1-3,6", "7",
                  OpenMode::Download, MarksStep::None, "1-3,6", "7", "XOVER 4-20"},
        MarksCase{"BesideAMarkTheViewMade", 1, 20, {}, 0, "1-3,30-40", "", OpenMode::Download,
                  MarksStep::ReadFifteenInTheView, "1-3,15,30-40", "", "XOVER 4-20"},
        MarksCase{"MadeThroughTheListWhileTheViewIsOpen", 1, 20, {}, 0, "", "",
                  OpenMode::Download, MarksStep::ReadSevenInTheList, "7", "", "XOVER 1-20"},
        MarksCase{"ReachedByALaterGroupReply", 1, 30, {}, 12, "1-3,10-30", "",
                  OpenMode::StoredOnly, MarksStep::RefreshAfterTheServerGrew, "1-3,10-30", "",
                  ""}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- bad servers

struct BadServerCase {
  const char* name;
  // Rewrites the reply to an XOVER command a-b.
  std::function<std::string(FakeNewsServer&, std::int32_t a, std::int32_t b)> reply;
  std::set<std::int32_t> expected;  // numbers loaded after the download
};
void PrintTo(const BadServerCase& c, std::ostream* os) { *os << c.name; }

std::string lines(const std::vector<std::int32_t>& numbers) {
  std::string out = "224 follows\r\n";
  for (auto n : numbers) out += FakeOverviewLine("alt.test", n) + "\r\n";
  return out + ".\r\n";
}

std::set<std::int32_t> span(std::int32_t a, std::int32_t b) {
  std::set<std::int32_t> s;
  for (auto n = a; n <= b; ++n) s.insert(n);
  return s;
}

class BadServerTest : public GroupViewTest, public testing::WithParamInterface<BadServerCase> {};

TEST_P(BadServerTest, NeverCorruptsTheSetsOrTheList) {
  const BadServerCase& c = GetParam();
  server.groups["alt.test"] = MakeGroup(1, 20);
  server.hook = [&](FakeTransport&, const std::string& line) {
    std::int32_t a = 0, b = 0;
    if (std::sscanf(line.c_str(), "XOVER %d-%d", &a, &b) == 2) {
      return FakeNewsServer::Action::Answer(c.reply(server, a, b));
    }
    return FakeNewsServer::Action{};
  };
  open();
  EXPECT_EQ(numbers().size(), numberSet().size()) << "a number came twice";
  EXPECT_EQ(numberSet(), c.expected);
  const XoverView& v = view->View();
  EXPECT_EQ(v.presentSet.count(), static_cast<std::int32_t>(c.expected.size()));
  for (auto n : c.expected) EXPECT_FALSE(excluded(n)) << n;
  // The next download still works on the same connection.
  server.hook = nullptr;
  server.groups["alt.test"].high = 25;
  refresh(*view, server);
  EXPECT_EQ(server.commands.back(), "XOVER 21-25");
  EXPECT_TRUE(numberSet().count(25));
}

INSTANTIATE_TEST_SUITE_P(
    Replies, BadServerTest,
    testing::Values(
        BadServerCase{"LinesOutsideTheRange",
                      [](FakeNewsServer&, int, int) { return lines({0, 3, 4, 21, 500, 2}); },
                      {2, 3, 4}},
        BadServerCase{"DuplicateNumbers",
                      [](FakeNewsServer&, int, int) { return lines({1, 1, 2, 2, 1, 3}); },
                      {1, 2, 3}},
        BadServerCase{"MoreLinesThanAsked",
                      [](FakeNewsServer& s, int a, int b) {
                        return s.overviewReply("alt.test", a, b + 5);
                      },
                      span(1, 20)},
        BadServerCase{"GarbageAfterTheTerminator",
                      [](FakeNewsServer& s, int a, int b) {
                        return s.overviewReply("alt.test", a, b) + "garbage\r\n17\tjunk\r\n.\r\n";
                      },
                      span(1, 20)},
        BadServerCase{"GarbageLines",
                      [](FakeNewsServer&, int, int) {
                        return std::string("224 x\r\nnot a number\tx\r\n\r\n-4\tneg\r\n") +
                               FakeOverviewLine("alt.test", 9) + "\r\n\t\t\t\r\n.\r\n";
                      },
                      {9}}),
    [](const testing::TestParamInfo<BadServerCase>& info) { return std::string(info.param.name); });

TEST_F(GroupViewTest, MoreLinesThanTheLimitAskedLeaveTheRestToTheNextDownload) {
  server.groups["alt.test"] = MakeGroup(1, 20);
  options.download.promptThreshold = 5;
  dialog.choice = XoverChoice{5, 1, -1, XoverAction::ReloadUnread};
  server.hook = [&](FakeTransport&, const std::string& line) {
    if (line == "XOVER 1-5") return FakeNewsServer::Action::Answer(server.overviewReply("alt.test", 1, 20));
    return FakeNewsServer::Action{};
  };
  open();
  EXPECT_EQ(numberSet(), span(1, 5));
  EXPECT_FALSE(excluded(6));
  prompter.answer(Button::No);
  refresh(*view, server);
  EXPECT_EQ(server.commands.back(), "XOVER 6-10");
}

TEST_F(GroupViewTest, LowMarkGoingBackKeepsEveryMarkOnItsArticle) {
  server.groups["alt.test"] = MakeGroup(100, 120);
  record().read.text = "100-110";
  open();
  EXPECT_EQ(numberSet(), span(111, 120));
  server.groups["alt.test"].low = 90;
  refresh(*view, server);
  EXPECT_EQ(view->View().lowMark, 90);
  // 100-110 stay read, the numbers below the old mark are new.
  EXPECT_EQ(server.commands.back(), "XOVER 90-99");
  close();
  EXPECT_EQ(record().read.text, "100-110");
}

TEST_F(GroupViewTest, HighMarkDroppingLosesNothing) {
  server.groups["alt.test"] = MakeGroup(1, 30);
  record().read.text = "1-5";
  open();
  server.groups["alt.test"].high = 20;
  refresh(*view, server);
  EXPECT_EQ(prompter.lastStatus(), kGroupUnchangedText);
  EXPECT_EQ(view->Download().High(), 30);
  EXPECT_EQ(numberSet().size(), 25u);
  close();
  EXPECT_EQ(record().read.text, "1-5");
  EXPECT_EQ(record().last, 30);
}

// ---------------------------------------------------------------- refresh

struct FreeAnswerCase {
  const char* name;
  Button answer;
  bool discarded;
  bool downloaded;
};
void PrintTo(const FreeAnswerCase& c, std::ostream* os) { *os << c.name; }

class RefreshQuestionTest : public GroupViewTest,
                            public testing::WithParamInterface<FreeAnswerCase> {};

TEST_P(RefreshQuestionTest, FreeingOldHeadersFollowsTheAnswer) {
  const FreeAnswerCase& c = GetParam();
  server.groups["alt.test"] = MakeGroup(1, 20);
  options.download.promptThreshold = 5;
  dialog.choice = XoverChoice{10, 1, -1, XoverAction::ReloadUnread};
  open();
  ASSERT_EQ(numbers().size(), 10u);
  const auto xovers = server.commandsStarting("XOVER").size();
  prompter.answer(c.answer);
  refresh(*view, server);
  EXPECT_EQ(prompter.questions().back(),
            "Confirmez la suppression des En-têtes obsolètes...          ");
  EXPECT_EQ(server.commandsStarting("XOVER").size() - xovers, c.downloaded ? 1u : 0u);
  const std::size_t expected = (c.discarded ? 0u : 10u) + (c.downloaded ? 10u : 0u);
  EXPECT_EQ(numbers().size(), expected);
  EXPECT_EQ(yesToAll, c.answer == Button::YesToAll);
  if (c.answer == Button::YesToAll) {
    // Not asked again while the program runs.
    refresh(*view, server);
  }
  EXPECT_TRUE(prompter.scriptUsed());
}

INSTANTIATE_TEST_SUITE_P(
    Answers, RefreshQuestionTest,
    testing::Values(FreeAnswerCase{"Yes", Button::Yes, true, true},
                    FreeAnswerCase{"No", Button::No, false, true},
                    FreeAnswerCase{"YesToAll", Button::YesToAll, true, true},
                    FreeAnswerCase{"Cancel", Button::Cancel, false, false}),
    [](const testing::TestParamInfo<FreeAnswerCase>& info) { return std::string(info.param.name); });

struct RejectAll : ArticleFilter {
  bool Pass(const TArticle&) const override { return false; }
};

TEST_F(GroupViewTest, RefreshAsksWhetherTheHeaderFilterStays) {
  server.groups["alt.test"] = MakeGroup(1, 10);
  RejectAll filter;
  TGroupView& v = open(OpenMode::StoredOnly);
  v.View().headerFilter = &filter;
  prompter.answer(Button::No);
  refresh(v, server);
  EXPECT_EQ(prompter.questions().back(),
            "Vous avez un filtre Xover en place. Le conserver ?        ");
  EXPECT_EQ(v.View().headerFilter, nullptr);
  EXPECT_EQ(numbers().size(), 10u);
}

TEST_F(GroupViewTest, DiscardedHeadersLeaveTheStoreButStayPresent) {
  server.groups["alt.test"] = MakeGroup(1, 10);
  open();
  view->MasterList()[3]->Set(NodeFlag::Kept);
  DiscardAll(*view);
  EXPECT_EQ(numbers().size(), 1u);
  EXPECT_EQ(view->View().presentSet.count(), 10);
  close();
  // Reopened, the group asks again only above the highest stored number.
  open();
  EXPECT_EQ(numberSet(), span(4, 10));
}

// A large view keeps its threads beside the store when closed, and the next
// opening places its articles from them instead of threading. A view under
// the size leaves none.
TEST_F(GroupViewTest, ALargeViewOpensAgainFromTheThreadsItKept) {
  server.groups["alt.test"] = MakeGroup(1, 40);
  options.threadLayoutMinimum = 40;
  const std::string layout = base.path() + "data/[fake] alt.test.thl";
  auto subjects = [&] {
    std::vector<std::string> out;
    for (const TNode* row : view->Rows()) out.emplace_back(row->Subject.view());
    return out;
  };
  auto threadings = [&] {
    const auto texts = prompter.statuses();
    return std::count(texts.begin(), texts.end(), "Classement..");
  };
  open();
  const auto rows = subjects();
  close();
  EXPECT_TRUE(std::filesystem::exists(layout));
  const auto before = threadings();
  open(OpenMode::StoredOnly);
  EXPECT_EQ(subjects(), rows);
  EXPECT_EQ(threadings(), before);
  close();

  options.threadLayoutMinimum = 41;
  open(OpenMode::StoredOnly);
  close();
  EXPECT_FALSE(std::filesystem::exists(layout));
}

}  // namespace
}  // namespace orvel::test
