#include "content/group_session.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "articles/marking.h"
#include "scoring/score_eval.h"
#include "scoring/scoring_state.h"
#include "content/group_reader.h"
#include "group_content_fixture.h"
#include "viewer_test_support.h"
#include "../articles/thread_builder.h"

namespace orvel::test {
namespace {

// Two threads and a lone article: A (1, 2 reply to 1, 3 reply to 2),
// B (4, 5 reply to 4), 6 alone; dated in number order.
std::string ThreadedOverview(std::int32_t first, std::int32_t last) {
  struct Line {
    const char* subject;
    const char* references;
  };
  const Line lines[] = {{"Topic A", ""},
                        {"Re: Topic A", "<1.alt.test@example.invalid>"},
                        {"Re: Topic A", "<1.alt.test@example.invalid> <2.alt.test@example.invalid>"},
                        {"Topic B", ""},
                        {"Re: Topic B", "<4.alt.test@example.invalid>"},
                        {"Lone", ""}};
  std::string out = "224 Overview information follows\r\n";
  for (std::int32_t n = std::max(first, 1); n <= std::min(last, 6); ++n) {
    const Line& l = lines[n - 1];
    out += std::to_string(n) + "\t" + l.subject + "\tPoster <poster@example.invalid>\tFri, 15 Jan 2027 0" +
           std::to_string(n) + ":00:00 +0000\t<" + std::to_string(n) + ".alt.test@example.invalid>\t" +
           l.references + "\t1000\t2\tXref: fake.invalid alt.test:" + std::to_string(n) + "\r\n";
  }
  return out + ".\r\n";
}

struct Events : GroupSessionListener {
  std::vector<std::int32_t> selected;
  std::vector<std::pair<std::int32_t, std::int32_t>> inserted, removed;
  std::vector<TArticle*> shown;
  std::set<const TNode*> redrawn;
  int beeps = 0;
  int switches = 0;
  void selectRow(std::int32_t row) override { selected.push_back(row); }
  void rowsAboutToBeInserted(std::int32_t first, std::int32_t count) override {
    inserted.emplace_back(first, count);
  }
  void rowsAboutToBeRemoved(std::int32_t first, std::int32_t count) override {
    removed.emplace_back(first, count);
  }
  void currentArticleChanged(TArticle* a) override { shown.push_back(a); }
  void rowChanged(const TNode& row) override { redrawn.insert(&row); }
  void beep() override { ++beeps; }
  void switchView() override { ++switches; }
  bool findInViewer(const FindOptions& options) override {
    viewerSearches.push_back(options.pattern);
    return viewerHasHit;
  }
  void selectInViewer(const FindOptions&, std::string_view matched) override {
    viewerSelections.emplace_back(matched);
  }
  std::vector<std::string> viewerSearches;
  std::vector<std::string> viewerSelections;
  bool viewerHasHit = false;
};

class GroupSessionTest : public GroupContentTest {
 protected:
  GroupSessionTest() {
    server.groups["alt.test"] = MakeGroup(1, 6);
    for (std::int32_t n = 1; n <= 6; ++n) texts[std::to_string(n)] = PlainArticle(n);
    const auto articles = server.hook;
    server.hook = [articles](FakeTransport& t, const std::string& line) {
      if (line.rfind("XOVER ", 0) == 0 || line.rfind("OVER ", 0) == 0) {
        const std::string range = line.substr(line.find(' ') + 1);
        const std::size_t dash = range.find('-');
        const int first = std::stoi(range.substr(0, dash));
        const int last = dash + 1 < range.size() ? std::stoi(range.substr(dash + 1)) : 6;
        return FakeNewsServer::Action::Answer(ThreadedOverview(first, last));
      }
      return articles(t, line);
    };
  }

  GroupSession& openSession(SessionOptions sessionOptions = {}, ScoringState* scoring = nullptr) {
    GroupViewServices services{pool,  clock,        prompter, main,     base.path(),
                               list.get(), &dialog, &prefs,   &yesToAll};
    session = std::make_unique<GroupSession>(services, profile, record(), options, sessionOptions,
                                             scoring);
    session->SetListener(&events);
    session->Open();
    server.pump();
    session->AttachContent(SessionContent{viewer, BatchSettings{}, {}, &launcher});
    return *session;
  }

  TArticle* article(std::int32_t n) const {
    for (TArticle* a : session->View().MasterList()) {
      if (a->Number == n) return a;
    }
    return nullptr;
  }
  std::int32_t row(const TNode* node) const { return session->RowOf(node); }
  CommandContext listAt(const TNode* node) const {
    CommandContext c;
    c.focusedRow = row(node);
    return c;
  }
  CommandContext inViewer() const {
    CommandContext c;
    c.focus = Pane::Viewer;
    return c;
  }
  void showAndWait(TArticle* a) {
    session->ShowArticle(a);
    server.pump();
    clock.advance(0);
    server.pump();
  }

  // A scoring state over base's "score.ini" holding text (not loaded yet).
  ScoringState& scoreFile(const std::string& text) {
    base.write("score.ini", text);
    ScoringSettings settings;
    settings.scoreFile = base.file("score.ini");
    settings.plonkFile = base.file("plonker.ini");
    scoring = std::make_unique<ScoringState>(settings, prompter);
    return *scoring;
  }

  RecordingLauncher launcher;
  ArticleView viewer{ViewerSettings{}, ViewerServices{prompter, launcher, {}}};
  Events events;
  std::unique_ptr<ScoringState> scoring;  // outlives the session that scores with it
  std::unique_ptr<GroupSession> session;
};

TEST_F(GroupSessionTest, NextUnreadFromTheListSelectsOpensAndRemembers) {
  GroupSession& s = openSession();
  ASSERT_EQ(s.View().MasterList().size(), 6u);
  showAndWait(article(1));
  ASSERT_TRUE(s.Execute("acaNextUnread", listAt(article(1))));
  server.pump();
  EXPECT_EQ(events.selected.back(), row(article(2)));
  EXPECT_EQ(events.switches, 1);
  EXPECT_EQ(s.Current(), article(2));
  EXPECT_TRUE(article(2)->Has(NodeFlag::Read));
  EXPECT_TRUE(s.History().CanGoBack());
  ASSERT_TRUE(s.Execute("acaBack"));
  server.pump();
  EXPECT_EQ(s.Current(), article(1));
  EXPECT_TRUE(s.History().CanGoForward());
}

TEST_F(GroupSessionTest, ArticleChosenWhileTheReaderFetchesIsShownAfterIt) {
  GroupSession& s = openSession();
  s.ShowArticle(article(4));
  s.ShowArticle(article(5));  // the reader is still waiting for 4
  EXPECT_EQ(s.Current(), article(4));
  server.pump();
  clock.advance(0);
  server.pump();
  EXPECT_EQ(s.Current(), article(5));
  EXPECT_EQ(s.Reader()->Current(), article(5));
  EXPECT_TRUE(article(5)->Has(NodeFlag::Read));
}

TEST_F(GroupSessionTest, MarkingTheReadArticleInTheViewerTakesItsThreadAndMovesOn) {
  GroupSession& s = openSession();
  showAndWait(article(2));
  events.redrawn.clear();
  s.Execute("acaMarkRead", inViewer());
  server.pump();
  for (std::int32_t n : {1, 2, 3}) {
    EXPECT_TRUE(article(n)->Has(NodeFlag::Read)) << n;
    EXPECT_TRUE(events.redrawn.count(article(n))) << n;
  }
  EXPECT_EQ(s.Current(), article(4));
}

TEST_F(GroupSessionTest, OpeningAndClosingAThreadMovesOnlyItsRows) {
  GroupSession& s = openSession();
  TAThread* a = article(1)->Thread;
  ASSERT_NE(a, nullptr);
  TNode* lone = article(6);
  const std::int32_t loneRow = row(lone);
  s.SetExpanded(*a, false);
  ASSERT_EQ(events.removed.size(), 1u);
  EXPECT_EQ(events.removed[0], std::make_pair(row(a) + 1, 3));
  EXPECT_EQ(row(lone), loneRow - 3);
  EXPECT_EQ(article(2)->SourceIndex, -1);
  s.SetExpanded(*a, true);
  EXPECT_EQ(events.inserted.back(), std::make_pair(row(a) + 1, 3));
  EXPECT_EQ(row(lone), loneRow);
  EXPECT_EQ(row(article(3)), row(a) + 3);
}

TEST_F(GroupSessionTest, TaggingAClosedThreadOpensQueuesAndPassesIt) {
  SessionOptions o;
  o.expandWhenTag = true;
  GroupSession& s = openSession(o);
  TAThread* a = article(1)->Thread;
  s.SetExpanded(*a, false);
  s.Tag(listAt(a));
  EXPECT_TRUE(a->Expanded);
  for (std::int32_t n : {1, 2, 3}) EXPECT_TRUE(article(n)->IsQueued()) << n;
  EXPECT_EQ(prompter.statuses().back(), " 3 tagged");
  EXPECT_EQ(events.selected.back(), row(a) + 4);
  s.Tag(listAt(a));  // again: out of the queue
  EXPECT_FALSE(article(1)->IsQueued());
  EXPECT_EQ(prompter.statuses().back(), " 0 tagged");
}

TEST_F(GroupSessionTest, ScrollLockMovesWithoutOpeningAndTheEndBeeps) {
  GroupSession& s = openSession();
  CommandContext c = listAt(article(5));
  c.scrollLock = true;
  ASSERT_TRUE(s.Execute("acaNextUnread", c));
  EXPECT_EQ(events.selected.back(), row(article(6)));
  EXPECT_TRUE(events.shown.empty());
  EXPECT_FALSE(article(6)->Has(NodeFlag::Read));
  EXPECT_FALSE(s.Execute("acaNextUnread", listAt(article(6))));
  EXPECT_EQ(events.beeps, 1);
}

TEST_F(GroupSessionTest, ThreadEndSwitchesBackToTheList) {
  SessionOptions o;
  o.switchViewAtThreadEnd = true;
  GroupSession& s = openSession(o);
  showAndWait(article(3));
  CommandContext c = inViewer();
  c.fullScreen = true;
  EXPECT_FALSE(s.Execute("acaNext", c));
  EXPECT_EQ(events.switches, 1);
  EXPECT_EQ(s.Current(), article(3));
}

TEST_F(GroupSessionTest, DiscardedArticlesLeaveTheHistory) {
  GroupSession& s = openSession();
  showAndWait(article(6));
  showAndWait(article(5));
  ASSERT_TRUE(s.History().CanGoBack());
  s.Execute("acaDiscard", listAt(article(6)));
  EXPECT_EQ(article(6), nullptr);
  EXPECT_FALSE(s.History().CanGoBack());
}

TEST_F(GroupSessionTest, ScoresAsItLoadsExplainsAndRescoresAfterAPlonk) {
  ScoringState& state = scoreFile("[alt\\.test]\r\nScore: 500\r\nSubject: Topic B\r\n");
  state.Load();
  GroupSession& s = openSession({}, &state);
  EXPECT_EQ(article(4)->Score, 500);
  EXPECT_EQ(article(5)->Score, 500);
  EXPECT_EQ(article(1)->Score, 0);
  const auto why = s.ExplainScore(*article(4));
  ASSERT_TRUE(why);
  ASSERT_EQ(why->rules.size(), 1u);
  EXPECT_EQ(why->rules[0].ruleLine, 2);
  EXPECT_EQ(why->total, 500);

  prompter.answerNumber(0);  // plonked for good
  EXPECT_TRUE(s.Execute("acaKill", listAt(article(1))));
  s.Rescore();
  for (std::int32_t n : {1, 4, 6}) EXPECT_EQ(article(n)->Score, -9999) << n;
  EXPECT_EQ(s.ExplainScore(*article(4))->kill, "plonked");
}

struct RecordingSound : SoundPlayer {
  std::vector<std::string>& played;
  explicit RecordingSound(std::vector<std::string>& played) : played(played) {}
  void Play(const std::string& path) override { played.push_back(path); }
};

TEST_F(GroupSessionTest, MatchingRulesPlayTheSoundsThatExist) {
  base.write("ding.wav", "RIFF");
  ScoringState& state =
      scoreFile("[alt\\.test]\r\nScore: 5\r\naction: play " + base.file("ding.wav") +
                "\r\nSubject: ^Topic B\r\nScore: 7\r\naction: play " + base.file("missing.wav") +
                "\r\nSubject: Lone\r\n");
  std::vector<std::string> played;
  state.SetSoundPlayer(std::make_unique<RecordingSound>(played));
  state.Load();
  openSession({}, &state);
  EXPECT_EQ(article(6)->Score, 7);
  EXPECT_EQ(played, (std::vector<std::string>{base.file("ding.wav")}));  // article 4 only
}

TEST_F(GroupSessionTest, AScoreRegexThatGivesUpWhileLoadingIsSaidOnce) {
  ScoringState& state =
      scoreFile("[alt\\.test]\r\nScore: 5\r\nMessage-ID: ^<([a-z@]+|\\.|\\d)+$\r\n");
  state.Load();
  openSession({}, &state);
  EXPECT_EQ(article(4)->Score, 0);
  const auto& statuses = prompter.statuses();
  EXPECT_EQ(std::count_if(statuses.begin(), statuses.end(),
                          [](const std::string& s) { return s.starts_with("Expression abandonn"); }),
            1);
}

TEST_F(GroupSessionTest, FilterCommandsByNameAndUndo) {
  GroupSession& s = openSession();
  showAndWait(article(6));
  ASSERT_TRUE(s.Execute("acvShowUnread"));
  EXPECT_EQ(row(article(6)), -1);
  EXPECT_GE(row(article(5)), 0);
  ASSERT_TRUE(s.Execute("acvUndoFilter"));
  EXPECT_GE(row(article(6)), 0);
}

TEST_F(GroupSessionTest, FindFromTheViewerSearchesItsTextAndABodyHitSelectsTheMatch) {
  openSession();
  session->View().Store()->ApplyStorageChoice(kStoreHeadersAndBodies);
  showAndWait(article(4));
  ASSERT_GE(article(4)->BodyOffset, 0);
  ASSERT_EQ(session->Finder().SetOptions({"body OF \\d", false, false, FindIn::Bodies}), std::nullopt);

  const struct {
    const char* name;
    bool viewerHasHit;
    int beeps;
  } rows[] = {{"hit in the viewer", true, 0}, {"nothing after the caret", false, 1}};
  for (const auto& r : rows) {
    events.viewerHasHit = r.viewerHasHit;
    events.beeps = 0;
    events.shown.clear();
    EXPECT_EQ(session->FindNext(inViewer()), r.viewerHasHit) << r.name;
    EXPECT_EQ(events.beeps, r.beeps) << r.name;
    EXPECT_TRUE(events.shown.empty()) << r.name;
  }
  EXPECT_EQ(events.viewerSearches, (std::vector<std::string>{"body OF \\d", "body OF \\d"}));
  EXPECT_TRUE(events.viewerSelections.empty());

  EXPECT_TRUE(session->FindNext(listAt(article(1))));
  EXPECT_EQ(events.shown, (std::vector<TArticle*>{article(4)}));
  EXPECT_EQ(events.viewerSelections, (std::vector<std::string>{"Body of 4"}));
}

TEST_F(GroupSessionTest, QuickFilterShowsOnlyTheArrivalsThatMatchIt) {
  server.groups["alt.test"] = MakeGroup(1, 4);
  GroupSession& s = openSession();
  ASSERT_EQ(s.Filter().SetQuickText("^topic b"), QuickFilter::Outcome::Built);
  // A bad regex typed next leaves the last valid one in force.
  ASSERT_EQ(s.Filter().SetQuickText("topic ("), QuickFilter::Outcome::BadRegex);
  server.groups["alt.test"] = MakeGroup(1, 6);
  ASSERT_TRUE(s.Execute("acaRefresh"));
  server.pump();

  ASSERT_EQ(s.View().MasterList().size(), 6u);
  std::vector<std::int32_t> shown;
  for (const TNode* node : s.View().Rows()) {
    shown.push_back(node->AsArticle() ? node->AsArticle()->Number : -1);
  }
  EXPECT_EQ(shown, (std::vector<std::int32_t>{4, 5}));  // flat: "Re: Topic B" is 5
  EXPECT_EQ(s.Filter().Quick().List().size(), 2u);
  ASSERT_EQ(s.Filter().SetQuickText(""), QuickFilter::Outcome::Emptied);
  EXPECT_GE(row(article(6)), 0);
}

TEST_F(GroupSessionTest, FolderSessionReadsItsFilesAndRefusesServerCommands) {
  std::filesystem::create_directories(base.file("folders"));
  {
    TFolder folder(base.file("folders/F.mbx"), kStoreArchive);
    ThreadBuilder b;
    const std::string text = "Subject: Kept\r\n\r\nstored body\r\n";
    const std::string_view view = text;
    ASSERT_TRUE(folder.AddArticle(*b.Add("Kept", "<k@x>"), &view, "nowhere:alt.x"));
    ASSERT_TRUE(folder.AddArticle(*b.Add("Gone", "<g@x>"), nullptr, "nowhere:alt.x"));
  }
  GroupViewServices services{pool, clock, prompter, main, base.path()};
  session = std::make_unique<GroupSession>(
      services, FolderSource{"F", base.file("folders/F.mbx"), kStoreArchive}, options,
      SessionOptions{});
  session->SetListener(&events);
  session->Open();
  session->AttachContent(SessionContent{viewer, BatchSettings{}, {}, &launcher});
  const auto& master = session->View().MasterList();
  ASSERT_EQ(master.size(), 2u);
  session->ShowArticle(master[0]);
  EXPECT_EQ(session->Current(), master[0]);
  session->ShowArticle(master[1]);
  EXPECT_EQ(prompter.lastStatus(), kArticleAbsentText);
  for (const char* action : {"acaCatchUp", "acaReConsThread", "acaRefreshEx"}) {
    EXPECT_FALSE(session->Execute(action)) << action;
  }
  EXPECT_TRUE(session->Execute("acaMarkAllRead"));
  prompter.answer(Button::Yes);
  EXPECT_TRUE(session->Execute("acaPurge"));
  EXPECT_FALSE(std::filesystem::exists(base.file("folders/F.mbx")));
}

TEST_F(GroupSessionTest, PurgeLeavesANewsgroupStoreAlone) {
  GroupSession& s = openSession();
  s.View().Store()->ApplyStorageChoice(kStoreHeadersAndBodies);
  showAndWait(article(4));
  EXPECT_FALSE(s.Execute("acaPurge"));
  EXPECT_TRUE(prompter.questions().empty());
  EXPECT_TRUE(std::filesystem::exists(s.View().Store()->path));
}

}  // namespace
}  // namespace orvel::test
