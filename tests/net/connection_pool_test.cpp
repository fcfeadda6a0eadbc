// The connection pool: which connection AcquireConnection lends, what
// ReleaseConnection and CloseIdleConnections do, and the connection limit.

#include "net/connection_pool.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "core/null_prompter.h"
#include "nntp_harness.h"
#include "support/scripted_prompter.h"

namespace orvel::test {
namespace {

struct PoolHarness {
  FakeNetwork net;
  ManualClock clock;
  ScriptedPrompter prompter;
  ConnectionPool pool{net, clock, prompter};
  std::shared_ptr<TProfile> a = makeProfile("192.0.2.1");
  std::shared_ptr<TProfile> b = makeProfile("192.0.2.2");

  // Acquires a connection for profile and brings it to ready.
  TNNTP& ready(const std::shared_ptr<TProfile>& profile, const std::string& group = {}) {
    TNNTP& c = pool.AcquireConnection(profile);
    c.Connect();
    FakeTransport& t = connectingTransport();
    t.accept();
    t.receive("200 hi\r\n");
    t.receive("200 reader\r\n");
    if (!group.empty()) {
      c.Group(group);
      t.receive("211 1 1 1 " + group + "\r\n");
    }
    t.takeSent();
    return c;
  }

  FakeTransport& connectingTransport() {
    for (FakeTransport* t : net.transports()) {
      if (t->connecting()) return *t;
    }
    throw std::logic_error("no transport is connecting");
  }
};

FakeTransport& transportFor(FakeNetwork& net, std::size_t index) {
  return *net.transports().at(index);
}

TEST(Pool, PrefersSameGroupThenSameServerThenUnconnected) {
  PoolHarness h;
  TNNTP& inGroup = h.ready(h.a, "test.small");
  TNNTP& sameServer = h.ready(h.a);
  TNNTP& otherServer = h.ready(h.b);
  TNNTP& unconnected = h.pool.AcquireConnection(h.a);
  for (TNNTP* c : {&inGroup, &sameServer, &otherServer, &unconnected}) h.pool.ReleaseConnection(*c);

  EXPECT_EQ(&h.pool.AcquireConnection(h.a, "TEST.SMALL"), &inGroup);
  EXPECT_EQ(&h.pool.AcquireConnection(h.a, "test.small"), &sameServer);
  // Only the other server's and the unconnected one are left free.
  EXPECT_EQ(&h.pool.AcquireConnection(h.a), &unconnected);
  TNNTP& fresh = h.pool.AcquireConnection(h.a);
  EXPECT_NE(&fresh, &otherServer);
  EXPECT_EQ(h.pool.size(), 5u);
}

// A profile of the same server that asks for more protection never gets a
// plain connection opened for another one.
TEST(Pool, LiveConnectionServesOnlyProfilesOfTheSameProtection) {
  const std::pair<const char*, std::function<void(TProfile&)>> rows[] = {
      {"starttls", [](TProfile& p) { p.startTls = true; }},
      {"tls", [](TProfile& p) { p.tls = true; }},
  };
  for (const auto& [name, ask] : rows) {
    SCOPED_TRACE(name);
    PoolHarness h;
    TNNTP& plain = h.ready(h.a);
    h.pool.ReleaseConnection(plain);
    auto stricter = makeProfile("192.0.2.1");
    ask(*stricter);
    EXPECT_NE(&h.pool.AcquireConnection(stricter), &plain);
    EXPECT_EQ(&h.pool.AcquireConnection(makeProfile("192.0.2.1")), &plain);
  }
}

TEST(Pool, SearchesFromTheNewestConnection) {
  PoolHarness h;
  TNNTP& older = h.ready(h.a);
  TNNTP& newer = h.ready(h.a);
  h.pool.ReleaseConnection(older);
  h.pool.ReleaseConnection(newer);
  EXPECT_EQ(&h.pool.AcquireConnection(h.a), &newer);
}

TEST(Pool, ReleaseKeepsAReadyConnectionOpenWithoutEvents) {
  PoolHarness h;
  TNNTP& c = h.ready(h.a);
  c.OnGroup = [](TNNTP&) { FAIL() << "event kept after release"; };
  h.pool.ReleaseConnection(c);
  EXPECT_TRUE(c.IsConnected());
  EXPECT_FALSE(c.inUse);
  EXPECT_FALSE(c.OnGroup);
  EXPECT_EQ(h.net.last().takeSent(), "");
}

TEST(Pool, ReleaseAfterFailedLoginSendsQuit) {
  PoolHarness h;
  auto p = makeProfile("192.0.2.1", 0, "tester", "wrong");
  TNNTP& c = h.pool.AcquireConnection(p);
  c.Connect();
  FakeTransport& t = h.net.last();
  t.accept();
  t.receive("200 hi\r\n");
  t.receive("200 reader\r\n");
  t.receive("381 pass\r\n");
  t.receive("481 Authentication failed\r\n");
  ASSERT_EQ(c.state(), NNTPState::LoginFailed);
  t.takeSent();
  h.pool.ReleaseConnection(c);
  EXPECT_EQ(t.takeSentLines(), std::vector<std::string>{"QUIT"});
  t.receive("205 bye\r\n");
  EXPECT_FALSE(c.IsConnected());
}

TEST(Pool, ReleaseMidTransferCloses) {
  PoolHarness h;
  TNNTP& c = h.ready(h.a);
  c.Xover(1, 1000);
  h.net.last().receive("224 ok\r\n1\tx\r\n");
  h.pool.ReleaseConnection(c);
  EXPECT_FALSE(c.IsConnected());
  EXPECT_EQ(c.state(), NNTPState::Idle);
}

TEST(Pool, ReleaseWhileConnectingAbandonsTheConnect) {
  PoolHarness h;
  TNNTP& c = h.pool.AcquireConnection(h.a);
  c.Connect();
  h.pool.ReleaseConnection(c);
  EXPECT_EQ(c.state(), NNTPState::Idle);
  EXPECT_FALSE(h.net.last().connecting());
  h.clock.advance(60000);  // no time-out for nobody
  EXPECT_EQ(c.state(), NNTPState::Idle);
}

TEST(Pool, CloseIdleEndsOnlyFreeConnectionsOfThatServer) {
  PoolHarness h;
  TNNTP& busy = h.ready(h.a);
  TNNTP& idle = h.ready(h.a);
  TNNTP& other = h.ready(h.b);
  h.pool.ReleaseConnection(idle);
  h.pool.ReleaseConnection(other);
  FakeTransport& idleTransport = transportFor(h.net, 1);
  h.pool.CloseIdleConnections(*makeProfile("192.0.2.1"));
  EXPECT_EQ(idleTransport.takeSentLines(), std::vector<std::string>{"QUIT"});
  EXPECT_TRUE(busy.IsConnected());
  EXPECT_TRUE(other.IsConnected());
  EXPECT_EQ(transportFor(h.net, 0).sent(), "");
  EXPECT_EQ(transportFor(h.net, 2).sent(), "");
}

TEST(Pool, LimitTwoRefusesTheThirdWith9999) {
  PoolHarness h;
  h.pool.setOptions(NNTPOptions{2, 30});
  h.ready(h.a);
  h.ready(h.a);
  TNNTP& third = h.pool.AcquireConnection(h.a);
  std::vector<std::string> log;
  logEvents(third, log);
  third.Connect();
  EXPECT_EQ(log, std::vector<std::string>{"error 9999 Trop de connections simultanées;   Maximum=2"});
  EXPECT_EQ(third.LastErrorCode(), 9999);
  EXPECT_EQ(third.state(), NNTPState::Idle);
  // Another server is not limited by them.
  TNNTP& other = h.pool.AcquireConnection(h.b);
  other.Connect();
  EXPECT_EQ(other.state(), NNTPState::Connecting);
}

TEST(Pool, LimitWithoutErrorHandlerThrows) {
  PoolHarness h;
  h.pool.setOptions(NNTPOptions{1, 30});
  h.ready(h.a);
  TNNTP& second = h.pool.AcquireConnection(h.a);
  EXPECT_THROW(second.Connect(), ENNTPError);
}

TEST(Pool, ActiveCountAndTooltipText) {
  PoolHarness h;
  std::vector<int> counts;
  h.pool.onActiveCountChanged = [&](int n) { counts.push_back(n); };
  TNNTP& c1 = h.pool.AcquireConnection(h.a);
  h.pool.AcquireConnection(h.b);
  EXPECT_EQ(h.pool.ActiveConnectionsText(), "2 connexion/s active/s");
  h.pool.ReleaseConnection(c1);
  h.pool.ReleaseConnection(c1);  // twice: counted once
  EXPECT_EQ(counts, (std::vector<int>{1, 2, 1}));
  EXPECT_EQ(h.pool.ActiveConnectionsText(), "1 connexion/s active/s");
}

TEST(Pool, TooltipCountsConnectionsInUsePerServer) {
  PoolHarness h;
  h.a->alias = "home";
  h.b->alias.clear();  // shown by its host
  auto sameHost = makeProfile("192.0.2.1");
  sameHost->alias = "home2";
  EXPECT_EQ(h.pool.ActiveConnectionsToolTip(), "0 connexion/s active/s");
  TNNTP& first = h.pool.AcquireConnection(h.a);
  h.pool.AcquireConnection(h.b);
  h.pool.AcquireConnection(sameHost);
  EXPECT_EQ(h.pool.ActiveConnectionsToolTip(), "3 connexion/s active/s\nhome: 2\n192.0.2.2: 1");
  h.pool.ReleaseConnection(first);
  EXPECT_EQ(h.pool.ActiveConnectionsToolTip(),
            "2 connexion/s active/s\n192.0.2.2: 1\nhome2: 1");
}

// Brings a connection of the pool to the server's request for a password.
FakeTransport& toPassword(FakeNetwork& net, TNNTP& c) {
  c.Connect();
  FakeTransport& t = net.last();
  t.accept();
  for (const char* r : {"200 hi\r\n", "200 r\r\n"}) t.receive(r);
  t.takeSent();
  t.receive("381 p\r\n");
  return t;
}

TEST(PoolPassword, AskedFromTheEventLoopUntilNotBlank) {
  struct Row {
    const char* name;
    std::vector<std::optional<std::string>> answers;
    std::string sent;
    std::string kept;
  };
  const Row rows[] = {
      {"typed", {"typed"}, "AUTHINFO PASS typed", "typed"},
      {"blank answers are asked again", {"  ", "", "typed"}, "AUTHINFO PASS typed", "typed"},
      {"cancelled: an empty password", {std::nullopt}, "AUTHINFO PASS ", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    PoolHarness h;
    for (const auto& a : row.answers) h.prompter.answerText(a);
    auto p = makeProfile("192.0.2.1", 0, "tester");
    FakeTransport& t = toPassword(h.net, h.pool.AcquireConnection(p));
    // Never inside the read handler.
    EXPECT_TRUE(h.prompter.records().empty());
    h.clock.advance(0);
    EXPECT_EQ(t.takeSentLines(), std::vector<std::string>{row.sent});
    EXPECT_EQ(p->promptedPassword, row.kept);
    EXPECT_TRUE(h.prompter.scriptUsed());
    ASSERT_EQ(h.prompter.records().size(), row.answers.size());
    for (const auto& r : h.prompter.records()) {
      EXPECT_EQ(r.caption, "Le Mot de passe ?");
      EXPECT_EQ(r.text, "Mot de passe pour: 192.0.2.1");
      EXPECT_EQ(r.inputMode, InputMode::Masked);
    }
  }
}

TEST(PoolPassword, OnePromptServesEveryLoginToTheProfile) {
  PoolHarness h;
  auto p = makeProfile("192.0.2.1", 0, "tester");
  h.prompter.answerText("typed");
  FakeTransport& t1 = toPassword(h.net, h.pool.AcquireConnection(p));
  FakeTransport& t2 = toPassword(h.net, h.pool.AcquireConnection(p));
  h.clock.advance(0);
  EXPECT_EQ(t1.takeSentLines(), std::vector<std::string>{"AUTHINFO PASS typed"});
  EXPECT_EQ(t2.takeSentLines(), std::vector<std::string>{"AUTHINFO PASS typed"});
  // A later login takes it without a prompt.
  FakeTransport& t3 = toPassword(h.net, h.pool.AcquireConnection(p));
  EXPECT_EQ(t3.takeSentLines(), std::vector<std::string>{"AUTHINFO PASS typed"});
  EXPECT_EQ(h.prompter.records().size(), 1u);
}

// A password dialog that runs something first, as its event loop may.
class InterruptedPrompter final : public NullPrompter {
 public:
  std::function<void()> duringInput;
  std::vector<std::string> prompts;
  std::optional<std::string> inputText(std::string_view, std::string_view prompt,
                                       std::string_view, InputMode) override {
    prompts.emplace_back(prompt);
    if (duringInput) std::exchange(duringInput, nullptr)();
    return "pw";
  }
};

TEST(PoolPassword, ConnectionEndedDuringThePromptGetsNoPassword) {
  for (const bool movesToOtherServer : {false, true}) {
    SCOPED_TRACE(movesToOtherServer ? "lent to another server" : "closed");
    FakeNetwork net;
    ManualClock clock;
    InterruptedPrompter prompter;
    ConnectionPool pool{net, clock, prompter};
    auto a = makeProfile("192.0.2.1", 0, "tester");
    auto b = makeProfile("192.0.2.2", 0, "tester");
    TNNTP& c = pool.AcquireConnection(a);
    FakeTransport& t = toPassword(net, c);
    prompter.duringInput = [&] {
      pool.ReleaseConnection(c);  // closes a login under way
      if (movesToOtherServer) toPassword(net, pool.AcquireConnection(b));
    };
    clock.advance(0);
    // The answer for the first server never reaches the second: the second
    // login is asked for its own.
    const std::vector<std::string> sent(movesToOtherServer ? 1 : 0, "AUTHINFO PASS pw");
    EXPECT_EQ(t.takeSentLines(), sent);
    std::vector<std::string> prompts = {"Mot de passe pour: 192.0.2.1"};
    if (movesToOtherServer) prompts.emplace_back("Mot de passe pour: 192.0.2.2");
    EXPECT_EQ(prompter.prompts, prompts);
    EXPECT_EQ(b->promptedPassword, movesToOtherServer ? "pw" : "");
  }
}

}  // namespace
}  // namespace orvel::test
