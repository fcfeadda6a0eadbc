// The two slots of a group view over the fake network and the manual clock:
// which slot a request takes, when GROUP comes first, what each failure does
// per purpose, the alternative servers, the resumption countdown and the
// stop command.

#include <gtest/gtest.h>

#include "articles/article.h"
#include "articles/connection_slots.h"
#include "articles/group_view_observer.h"
#include "articles/progress_texts.h"
#include "config/main_state.h"
#include "fake_news_server.h"
#include "net/nntp_data.h"
#include "support/manual_clock.h"
#include "support/scripted_prompter.h"

namespace orvel::test {
namespace {

std::string name(Purpose p) { return std::to_string(static_cast<int>(p)); }

struct FakeOwner : SlotOwner {
  ConnectionSlots* slots = nullptr;
  std::vector<std::string> log;
  bool batchRunning = false;
  bool batchRetrieving = false;
  bool quiet = false;
  bool headerResume = true;
  Purpose resumePurpose = Purpose::Headers;
  std::function<void(Purpose, TArticle*)> reissue;

  void RequestDataBegin(TNNTP&, const SlotRequest& r) override { log.push_back("begin " + name(r.purpose)); }
  void RequestData(TNNTP& c, const SlotRequest& r) override {
    if (c.dataEnded()) {
      log.push_back("data " + name(r.purpose));
      slots->ReleaseSocket(c, {});
    }
  }
  void RequestBeginPost(TNNTP&, const SlotRequest& r) override { log.push_back("post " + name(r.purpose)); }
  void RequestEndPost(TNNTP&, const SlotRequest& r) override { log.push_back("posted " + name(r.purpose)); }
  void RequestReleased(const SlotRequest& r) override { log.push_back("released " + name(r.purpose)); }
  void RequestRefused(Purpose p) override { log.push_back("refused " + name(p)); }
  bool BatchRunning() const override { return batchRunning; }
  bool BatchRetrieving() const override { return batchRetrieving; }
  bool QuietMode(Purpose) const override { return quiet; }
  void QuietFailureNext() override { log.push_back("quiet next"); }
  bool HeaderResumeAllowed() const override { return headerResume; }
  Purpose HeaderResumePurpose() const override { return resumePurpose; }
  void ArticleMissing(const SlotRequest& r) override { log.push_back("missing " + name(r.purpose)); }
  void ResumptionNextStep(TNNTP&) override { log.push_back("next step"); }
  void BatchForgetConnection() override { log.push_back("batch forgets"); }
  void BatchStopForRestart() override { log.push_back("batch stops"); }
  void CloseOnError() override { log.push_back("close"); }
  void ReissueArticle(Purpose p, TArticle* a) override { reissued(p, a); }
  void ReissueHeaders(Purpose p) override { reissued(p, nullptr); }
  void ReissueBatch() override { reissued(Purpose::Batch, nullptr); }
  void reissued(Purpose p, TArticle* a) {
    log.push_back("reissue " + name(p));
    if (reissue) reissue(p, a);
  }
  void BatchStopAfterFile() override { log.push_back("stop after file"); }
  void BatchPauseAfterPart() override { log.push_back("pause after part"); }
};

struct Observer : GroupViewObserver {
  std::vector<std::string> progress;
  std::vector<std::string> transfer;
  std::vector<std::string> failures;  // "code text"
  std::string lastProgress() const { return progress.empty() ? "" : progress.back(); }
  void progressText(std::string_view t) override { progress.emplace_back(t); }
  void transferText(std::string_view t) override { transfer.emplace_back(t); }
  void connectionFailed(int code, std::string_view text) override {
    failures.push_back(std::to_string(code) + " " + std::string(text));
  }
};

std::shared_ptr<TProfile> server(const char* alias, const char* host) {
  auto p = std::make_shared<TProfile>();
  p->alias = alias;
  p->host = host;
  p->extensions = false;  // the scripted server plays the plain login
  return p;
}

class SlotsTest : public ::testing::Test {
 protected:
  SlotsTest() {
    main.profiles = {own, server("alt1", "192.0.2.2"), server("alt2", "192.0.2.3")};
    slots.SetView(own, "alt.test", &main);
    owner.slots = &slots;
    news.groups["alt.test"] = MakeGroup(1, 20);
    news.groups["alt.other"] = MakeGroup(1, 5);
  }

  // A header request whose connection the server resets.
  void headersReset() {
    news.hook = FakeNewsServer::On({"XOVER"}, FakeNewsServer::Action::Reset);
    slots.GetFreeSocket(Purpose::Headers, nullptr, sending("XOVER 1-5"));
    news.pump();
  }

  // A routine that sends one command.
  static RequestRoutine sending(std::string command) {
    return [command](TNNTP& c) {
      if (command.rfind("ARTICLE ", 0) == 0) {
        c.Article(command.substr(8));
      } else if (command.rfind("XOVER ", 0) == 0) {
        c.Xover(1, 5);
      } else if (command == "POST") {
        c.Post();
      } else {
        c.Xpat(command);
      }
    };
  }

  // The host the command went to.
  static std::string hostOf(FakeTransport& t) {
    return t.connects().empty() ? "" : t.connects().back().address;
  }

  // An article request the servers at the lacking addresses refuse, asked
  // again whenever the slots say so; alt1 and alt2 are the alternatives.
  void articleThroughAlternatives(std::set<std::string> lacking) {
    main.settings.altServers = "alt1|alt2";
    news.hook = [lacking](FakeTransport& t, const std::string& line) {
      if (line.rfind("ARTICLE", 0) == 0 && lacking.count(hostOf(t))) {
        return FakeNewsServer::Action::Answer("430 No such article\r\n");
      }
      return FakeNewsServer::Action{};
    };
    owner.reissue = [this](Purpose p, TArticle* a) { slots.GetFreeSocket(p, a, sending("ARTICLE <a@b>")); };
    slots.GetFreeSocket(Purpose::Article, &article, sending("ARTICLE <a@b>"));
    news.pump();
  }

  // Leaves a ready pool connection in group.
  void pooledIn(const std::string& group) {
    TNNTP& c = pool.AcquireConnection(own);
    c.OnBanner = [&group](TNNTP& n) { n.Group(group); };
    c.Connect();
    news.pump();
    pool.ReleaseConnection(c);
    news.commands.clear();
  }

  FakeNetwork net;
  ManualClock clock;
  ScriptedPrompter prompter;
  ConnectionPool pool{net, clock, prompter};
  MainState main;
  std::shared_ptr<TProfile> own = server("fake", "192.0.2.1");
  FakeOwner owner;
  Observer observer;
  ConnectionSlots slots{pool, clock, prompter, owner, observer};
  FakeNewsServer news{net};
  TArticle article;
};

TEST_F(SlotsTest, ASecondPurposeTakesSlotTwoAndAThirdIsRefused) {
  news.hook = FakeNewsServer::On({"XOVER", "ARTICLE"}, FakeNewsServer::Action::Silence);
  slots.GetFreeSocket(Purpose::Headers, nullptr, sending("XOVER 1-5"));
  news.pump();
  slots.GetFreeSocket(Purpose::Article, &article, sending("ARTICLE 3"));
  news.pump();
  EXPECT_EQ(slots.RequestOf(*slots.Connection(0))->purpose, Purpose::Headers);
  EXPECT_EQ(slots.RequestOf(*slots.Connection(1))->purpose, Purpose::Article);
  slots.GetFreeSocket(Purpose::Head, &article, sending("ARTICLE 4"));
  EXPECT_EQ(prompter.messages(), (std::vector<std::string>{"Pas de connexion valide"}));
  EXPECT_EQ(owner.log.back(), "refused 10");
  EXPECT_EQ(news.commandsStarting("XOVER").size(), 1u);
  EXPECT_EQ(news.commandsStarting("ARTICLE").size(), 1u);
}

TEST_F(SlotsTest, TheSamePurposeTwiceIsRefused) {
  news.hook = FakeNewsServer::On({"ARTICLE"}, FakeNewsServer::Action::Silence);
  slots.GetFreeSocket(Purpose::Article, &article, sending("ARTICLE 3"));
  news.pump();
  EXPECT_FALSE(slots.GetFreeSocket(Purpose::Article, &article, sending("ARTICLE 4")));
  EXPECT_EQ(owner.log.back(), "refused 3");
  EXPECT_FALSE(slots.Taken(1));
}

struct GroupFirstCase {
  const char* name;
  Purpose purpose;
  const char* pooledGroup;  // group of the ready pool connection, "" for none
  bool groupSent;
};
void PrintTo(const GroupFirstCase& c, std::ostream* os) { *os << c.name; }

class GroupFirstTest : public SlotsTest, public testing::WithParamInterface<GroupFirstCase> {};

TEST_P(GroupFirstTest, SelectsTheGroupOnlyWhenNeeded) {
  const GroupFirstCase& c = GetParam();
  if (*c.pooledGroup) pooledIn(c.pooledGroup);
  const bool atOnce = slots.GetFreeSocket(c.purpose, &article, sending("ARTICLE 2"));
  news.pump();
  EXPECT_EQ(news.commandsStarting("GROUP").size(), c.groupSent ? 1u : 0u);
  EXPECT_EQ(atOnce, *c.pooledGroup && !c.groupSent);
  EXPECT_EQ(news.commandsStarting("ARTICLE").size(), 1u);
  EXPECT_TRUE(slots.GroupAccepted());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GroupFirstTest,
    testing::Values(GroupFirstCase{"ArticleOnAReusedConnectionInTheGroup", Purpose::Article, "alt.test", false},
                    GroupFirstCase{"ArticleOnAConnectionInAnotherGroup", Purpose::Article, "alt.other", true},
                    GroupFirstCase{"HeadersAlwaysSelectTheGroup", Purpose::Headers, "alt.test", true},
                    GroupFirstCase{"SearchInTheGroupRunsAtOnce", Purpose::Search, "alt.test", false},
                    GroupFirstCase{"NewConnectionSelectsTheGroupAfterLogin", Purpose::Article, "", true}),
    [](const testing::TestParamInfo<GroupFirstCase>& info) { return std::string(info.param.name); });

TEST_F(SlotsTest, ProgressShowsConnectingThenTheSlotAndItsAction) {
  news.hook = FakeNewsServer::On({"ARTICLE"}, FakeNewsServer::Action::Silence);
  slots.GetFreeSocket(Purpose::Article, &article, sending("ARTICLE 2"));
  EXPECT_EQ(observer.lastProgress(), "Se connecte à fake (192.0.2.1)");
  news.pump();
  EXPECT_EQ(observer.lastProgress(), "1. fake GROUP alt.test");
  slots.SetAction(*slots.Connection(0), "Article en cours..");
  EXPECT_EQ(observer.lastProgress(), "1. fake Article en cours..");
}

TEST_F(SlotsTest, DataShowsTheTransferRate) {
  news.hook = [&](FakeTransport& t, const std::string& line) {
    if (line.rfind("ARTICLE", 0) != 0) return FakeNewsServer::Action{};
    clock.advance(2000);
    t.receive("220 2 <a@b> article\r\n" + std::string(998, 'x') + "\r\n");
    return FakeNewsServer::Action::Answer(".\r\n");
  };
  slots.GetFreeSocket(Purpose::Article, &article, sending("ARTICLE 2"));
  news.pump();
  ASSERT_FALSE(observer.transfer.empty());
  EXPECT_EQ(observer.transfer.front(), " 1000/2=500 B/s");
  EXPECT_EQ(owner.log.back(), "released 3");
}

// ---------------------------------------------------------------- failures

enum class Failure { Reply, Socket, Timeout, Disconnect };

struct FailureCase {
  const char* name;
  Purpose purpose;
  Failure failure;
  const char* reply;  // the status line for Reply, the command to fail on otherwise
  bool autoResume;
  bool quiet;
  // Expected:
  const char* messageBox;  // "" for none
  const char* progressLine;  // "" when the text is not on the progress line
  std::vector<Purpose> pending;
  int counter;
  const char* ownerEvent;  // last owner event besides release, "" for none
};
void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class FailureTest : public SlotsTest, public testing::WithParamInterface<FailureCase> {};

TEST_P(FailureTest, EachFailureEndsAsItsPurposeWants) {
  const FailureCase& c = GetParam();
  slots.SetSettings(SlotSettings{c.autoResume, 20});
  owner.quiet = c.quiet;
  owner.batchRetrieving = c.purpose == Purpose::Batch;
  const std::string command = c.purpose == Purpose::Headers || c.purpose == Purpose::ResumeHeaders
                                  ? "XOVER"
                                  : "ARTICLE";
  news.hook = [&](FakeTransport&, const std::string& line) {
    if (line.rfind(command, 0) != 0) return FakeNewsServer::Action{};
    switch (c.failure) {
      case Failure::Reply: return FakeNewsServer::Action::Answer(std::string(c.reply) + "\r\n");
      case Failure::Socket: return FakeNewsServer::Action{FakeNewsServer::Action::Reset, {}};
      case Failure::Timeout: return FakeNewsServer::Action{FakeNewsServer::Action::Silence, {}};
      case Failure::Disconnect: return FakeNewsServer::Action{FakeNewsServer::Action::Close, {}};
    }
    return FakeNewsServer::Action{};
  };
  slots.GetFreeSocket(c.purpose, &article, sending(command == "XOVER" ? "XOVER 1-5" : "ARTICLE 7"));
  news.pump();
  if (c.failure == Failure::Timeout) clock.advance(30000);
  EXPECT_EQ(prompter.messages(), *c.messageBox ? std::vector<std::string>{c.messageBox}
                                               : std::vector<std::string>{});
  if (*c.progressLine) {
    EXPECT_NE(std::find(observer.progress.begin(), observer.progress.end(), c.progressLine),
              observer.progress.end());
  }
  std::uint16_t pending = 0;
  for (Purpose p : c.pending) pending |= PurposeBit(p);
  EXPECT_EQ(slots.PendingSet(), pending);
  if (pending) {
    EXPECT_EQ(slots.ResumeCounter(), c.counter);
    EXPECT_TRUE(slots.ResumptionRunning());
  } else {
    EXPECT_FALSE(slots.ResumptionRunning());
  }
  if (*c.ownerEvent) {
    EXPECT_NE(std::find(owner.log.begin(), owner.log.end(), c.ownerEvent), owner.log.end());
  }
  EXPECT_EQ(slots.AnyTaken(), c.purpose == Purpose::ResumeHeaders);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FailureTest,
    testing::Values(
        FailureCase{"HeaderResetWaitsTheDelay", Purpose::Headers, Failure::Socket, "", true, false,
                    "", "", {Purpose::Headers}, -20, "released 2"},
        FailureCase{"HeaderTimeoutResumesAtOnce", Purpose::Headers, Failure::Timeout, "", true,
                    false, "", "Transfer timeout", {Purpose::Headers}, 0, "released 2"},
        FailureCase{"DisconnectionResumesAfterTheDelay", Purpose::Headers, Failure::Disconnect, "",
                    true, false, "", "", {Purpose::Headers}, -20, "released 2"},
        FailureCase{"NoAutoResumeNoResumption", Purpose::Headers, Failure::Socket, "", false, false,
                    "", "", {}, 0, "released 2"},
        FailureCase{"HeaderRefusalIsOnlyReported", Purpose::Headers, Failure::Reply,
                    "503 overview unavailable", true, false, "503 overview unavailable", "", {}, 0,
                    "released 2"},
        FailureCase{"ArticleTheServerLacks", Purpose::Article, Failure::Reply, "430 No such article",
                    true, false, "", "430 No such article", {}, 0, "missing 3"},
        FailureCase{"ArticleOtherRefusal", Purpose::Article, Failure::Reply, "503 busy", true,
                    false, "503 busy", "", {}, 0, "released 3"},
        FailureCase{"ArticleResetResumes", Purpose::Article, Failure::Socket, "", true, false, "",
                    "", {Purpose::Article}, -20, "released 3"},
        FailureCase{"SearchResetDoesNotResume", Purpose::Search, Failure::Socket, "", true, false,
                    "", "", {}, 0, "released 6"},
        FailureCase{"QuietSearchRefusalGoesOn", Purpose::Search, Failure::Reply, "502 no", true,
                    true, "", "502 no", {}, 0, "quiet next"},
        FailureCase{"BatchRefusalMarksMissing", Purpose::Batch, Failure::Reply, "500 what", true,
                    false, "", "500 what", {}, 0, "missing 8"},
        FailureCase{"BatchResetStopsForARestart", Purpose::Batch, Failure::Socket, "", true, false,
                    "", "", {Purpose::Batch}, -20, "batch stops"},
        FailureCase{"ResumptionRefusalGoesOn", Purpose::ResumeHeaders, Failure::Reply, "500 what",
                    true, false, "", "", {}, 0, "next step"},
        FailureCase{"GroupListRefusalClosesTheView", Purpose::GroupList, Failure::Reply, "500 what",
                    true, false, "500 what", "", {}, 0, "close"}),
    [](const testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

TEST_F(SlotsTest, CountdownFromTheDelayShowsEverySecondThenResumes) {
  slots.SetSettings(SlotSettings{true, 5});
  headersReset();
  EXPECT_EQ(slots.ResumeCounter(), -5);
  for (int s = 5; s >= 1; --s) {
    EXPECT_EQ(observer.lastProgress(), CountdownText(s));
    EXPECT_NE(owner.log.back(), "reissue 2");
    clock.advance(1000);
  }
  EXPECT_EQ(CountdownText(3), "Tentative dans 3 secs.  Echap. pour arréter.");
  EXPECT_EQ(observer.lastProgress(), "Reprise....");
  EXPECT_EQ(owner.log.back(), "reissue 2");
  EXPECT_FALSE(slots.ResumptionRunning());
  EXPECT_EQ(slots.PendingSet(), 0);
}

TEST_F(SlotsTest, StopCancelsTheCountdown) {
  headersReset();
  ASSERT_TRUE(slots.ResumptionRunning());
  EXPECT_EQ(slots.ResumeCounter(), -20) << "the default delay";
  slots.Stop();
  clock.advance(60000);
  EXPECT_EQ(std::count(owner.log.begin(), owner.log.end(), "reissue 2"), 0);
  EXPECT_EQ(slots.PendingSet(), 0);
}

TEST_F(SlotsTest, ANewRequestLeavesThePendingSet) {
  headersReset();
  ASSERT_TRUE(slots.Pending(Purpose::Headers));
  news.hook = nullptr;
  slots.GetFreeSocket(Purpose::Headers, nullptr, sending("XOVER 1-5"));
  EXPECT_FALSE(slots.Pending(Purpose::Headers));
}

// ---------------------------------------------------------------- alternatives

TEST_F(SlotsTest, RefusedArticleMovesThroughTheAlternativesThenGoesMissing) {
  articleThroughAlternatives({"192.0.2.1", "192.0.2.2", "192.0.2.3"});
  EXPECT_EQ(observer.lastProgress(), "430 No such article; trying alt1");
  EXPECT_EQ(slots.ResumeCounter(), 0);
  clock.advance(1000);
  news.pump();
  EXPECT_EQ(observer.lastProgress(), "430 No such article; trying alt2");
  clock.advance(1000);
  news.pump();
  EXPECT_EQ(owner.log.back(), "missing 3");
  EXPECT_EQ(news.commandsStarting("ARTICLE").size(), 3u);
  // An alternative connection runs the request without GROUP.
  EXPECT_EQ(news.commandsStarting("GROUP").size(), 1u);
}

TEST_F(SlotsTest, TheAlternativeThatHasTheArticleServesIt) {
  articleThroughAlternatives({"192.0.2.1", "192.0.2.2"});
  for (int k = 0; k < 2; ++k) {
    clock.advance(1000);
    news.pump();
  }
  EXPECT_EQ(owner.log.back(), "released 3");
  EXPECT_NE(std::find(owner.log.begin(), owner.log.end(), "data 3"), owner.log.end());
  EXPECT_EQ(slots.AltServers()->CurrentServer()->alias, "alt2");
  // A header download switches the alternatives off.
  slots.GetFreeSocket(Purpose::Headers, nullptr, sending("XOVER 1-5"));
  EXPECT_FALSE(slots.AlternativesInUse());
}

TEST_F(SlotsTest, ConnectionFailureWrapsAroundTheAlternatives) {
  main.settings.altServers = "alt1";
  owner.reissue = [&](Purpose p, TArticle* a) { slots.GetFreeSocket(p, a, sending("ARTICLE <a@b>")); };
  slots.GetFreeSocket(Purpose::Article, &article, sending("ARTICLE <a@b>"));
  // The own server refuses the connection.
  FakeTransport& first = net.last();
  ASSERT_TRUE(first.connecting());
  first.fail(10061, "refused");
  EXPECT_NE(observer.lastProgress().find("; trying alt1"), std::string::npos);
  clock.advance(1000);
  ASSERT_EQ(hostOf(net.last()), "192.0.2.2");
  // alt1 fails too: the list wraps to the own server.
  net.last().fail(10061, "refused");
  EXPECT_NE(observer.lastProgress().find("; trying fake"), std::string::npos);
  clock.advance(1000);
  news.pump();
  EXPECT_NE(std::find(owner.log.begin(), owner.log.end(), "data 3"), owner.log.end());
}

TEST_F(SlotsTest, AGroupTheServerLacksIsNeverAccepted) {
  slots.SetView(own, "alt.none", &main);
  slots.GetFreeSocket(Purpose::Article, &article, sending("ARTICLE 2"));
  news.pump();
  EXPECT_EQ(news.commandsStarting("GROUP"), (std::vector<std::string>{"GROUP alt.none"}));
  EXPECT_TRUE(news.commandsStarting("ARTICLE").empty());
  EXPECT_FALSE(slots.GroupAccepted());
}

// ---------------------------------------------------------------- retries

struct RetryCase {
  const char* name;
  Purpose purpose;
  bool alternatives;  // alt1 shares the requests (the failures wrap around)
  bool autoResume;
  int maxRetries;
  int attempts;  // refused connections before the request stays given up
  bool exhausted;
};
void PrintTo(const RetryCase& c, std::ostream* os) { *os << c.name; }

class RetryTest : public SlotsTest, public testing::WithParamInterface<RetryCase> {};

// Every connection is refused; the owner asks again whenever the
// resumption says so, as a view does.
TEST_P(RetryTest, RefusedConnectionsAreRetriedAtMostMaxRetriesTimes) {
  const RetryCase& c = GetParam();
  constexpr int kEnough = 12;  // what "no limit" is checked up to
  slots.SetSettings(SlotSettings{c.autoResume, 2, c.maxRetries});
  if (c.alternatives) main.settings.altServers = "alt1";
  owner.reissue = [&](Purpose p, TArticle* a) { slots.GetFreeSocket(p, a, sending("ARTICLE 2")); };
  slots.GetFreeSocket(c.purpose, &article, sending("ARTICLE 2"));
  int attempts = 0;
  for (int second = 0; second < 60 && attempts < kEnough; ++second) {
    for (FakeTransport* t : net.transports()) {
      if (!t->connecting()) continue;
      ++attempts;
      t->fail(10061);
      break;  // the failure may end transports: look again next second
    }
    clock.advance(1000);
  }
  EXPECT_EQ(attempts, c.attempts);
  EXPECT_EQ(observer.failures,
            std::vector<std::string>(static_cast<std::size_t>(attempts),
                                     "10061 connexion refusée!"));
  EXPECT_EQ(slots.RetriesExhausted(), c.exhausted);
  const bool givenUp = c.attempts < kEnough;
  EXPECT_EQ(!slots.AnyTaken() && !slots.ResumptionRunning(), givenUp);
  if (givenUp) {
    EXPECT_EQ(slots.Retries(), c.attempts - 1);
  }
  EXPECT_FALSE(slots.GroupAccepted());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RetryTest,
    testing::Values(
        RetryCase{"WithoutALimitTheWindowKeepsTrying", Purpose::Headers, false, true, -1, 12,
                  false},
        RetryCase{"HeadersTwoRetries", Purpose::Headers, false, true, 2, 3, true},
        RetryCase{"NoRetryAllowed", Purpose::Headers, false, true, 0, 1, true},
        RetryCase{"NoAutoResumeNeverRetries", Purpose::Headers, false, false, 2, 1, false},
        RetryCase{"ArticleTwoRetries", Purpose::Article, false, true, 2, 3, true},
        RetryCase{"BatchTwoRetries", Purpose::Batch, false, true, 2, 3, true},
        RetryCase{"OtherServersCountAsRetries", Purpose::Article, true, true, 3, 4, true},
        RetryCase{"OtherServersWithoutALimitWrapAround", Purpose::Article, true, true, -1, 12,
                  false}),
    [](const testing::TestParamInfo<RetryCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- stop

struct StopCase {
  const char* name;
  std::vector<Button> answers;
  bool slot1Killed, slot2Killed;
};
void PrintTo(const StopCase& c, std::ostream* os) { *os << c.name; }

class StopTest : public SlotsTest, public testing::WithParamInterface<StopCase> {};

TEST_P(StopTest, AsksForEachSlot) {
  const StopCase& c = GetParam();
  news.hook = FakeNewsServer::On({"XOVER", "ARTICLE"}, FakeNewsServer::Action::Silence);
  slots.GetFreeSocket(Purpose::Headers, nullptr, sending("XOVER 1-5"));
  slots.GetFreeSocket(Purpose::Article, &article, sending("ARTICLE 2"));
  news.pump();
  for (Button b : c.answers) prompter.answer(b);
  slots.Stop();
  EXPECT_TRUE(prompter.scriptUsed());
  EXPECT_EQ(prompter.questions().front(), "Tuer la connexion 2?");
  EXPECT_EQ(!slots.Taken(0), c.slot1Killed);
  EXPECT_EQ(!slots.Taken(1), c.slot2Killed);
  EXPECT_EQ(slots.PendingSet(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, StopTest,
    testing::Values(StopCase{"YesYes", {Button::Yes, Button::Yes}, true, true},
                    StopCase{"NoYes", {Button::No, Button::Yes}, true, false},
                    StopCase{"YesNo", {Button::Yes, Button::No}, false, true},
                    StopCase{"All", {Button::All}, true, true},
                    StopCase{"Cancel", {Button::Cancel}, false, false}),
    [](const testing::TestParamInfo<StopCase>& info) { return std::string(info.param.name); });

TEST_F(SlotsTest, StopWithCtrlOrShiftAsksTheBatch) {
  owner.batchRunning = true;
  prompter.answer(Button::Yes);
  slots.Stop(StopKeys{true, false});
  prompter.answer(Button::Yes);
  slots.Stop(StopKeys{false, true});
  EXPECT_EQ(prompter.questions(), (std::vector<std::string>{"Arrêter après ce fichier ?       ",
                                                            "Pause après la partie de fichier ?"}));
  EXPECT_EQ(owner.log, (std::vector<std::string>{"stop after file", "pause after part"}));
}

TEST_F(SlotsTest, StopDuringAPostingAsksWhetherToFinishIt) {
  news.hook = FakeNewsServer::On({"POST"}, FakeNewsServer::Action::Silence);
  slots.GetFreeSocket(Purpose::Cancel, nullptr, sending("POST"));
  news.pump();
  prompter.answer(Button::Yes);
  slots.Stop();
  EXPECT_TRUE(slots.Taken(0));
  prompter.answer(Button::No);
  slots.Stop();
  EXPECT_FALSE(slots.Taken(0));
  EXPECT_EQ(prompter.questions().back(), "Finir d'envoyer l'article en cours ?");
}

TEST_F(SlotsTest, ReleaseAllClosesBothSlotsWithoutResumption) {
  news.hook = FakeNewsServer::On({"XOVER"}, FakeNewsServer::Action::Silence);
  slots.GetFreeSocket(Purpose::Headers, nullptr, sending("XOVER 1-5"));
  news.pump();
  slots.ReleaseAll();
  EXPECT_FALSE(slots.AnyTaken());
  EXPECT_FALSE(slots.ResumptionRunning());
  EXPECT_FALSE(net.last().isConnected());
}

}  // namespace
}  // namespace orvel::test
