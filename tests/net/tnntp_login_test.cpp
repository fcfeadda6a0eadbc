// The connect and login sequence: greeting, MODE READER, AUTHINFO, prompt.

#include <gtest/gtest.h>

#include <optional>
#include <ostream>

#include "core/null_prompter.h"
#include "net/socket_errors.h"
#include "nntp_harness.h"

namespace orvel::test {
namespace {

struct LoginCase {
  const char* name;
  std::string user;
  std::string password;
  std::string promptedBefore;
  std::vector<std::optional<std::string>> answers;  // at the password prompt
  std::vector<std::string> replies;                  // server lines, one read each
  std::vector<std::string> sent;
  std::vector<std::string> log;
  NNTPState state;
  bool postingAllowed;
  std::string promptedAfter;
};

void PrintTo(const LoginCase& c, std::ostream* os) { *os << c.name; }

class Login : public ::testing::TestWithParam<LoginCase> {};

TEST_P(Login, SendsAndRaisesInOrder) {
  const LoginCase& c = GetParam();
  NNTPHarness h;
  h.profile->userName = c.user;
  h.profile->password = c.password;
  h.profile->promptedPassword = c.promptedBefore;
  for (const auto& a : c.answers) h.prompter.answerText(a);

  h.conn->Connect();
  EXPECT_EQ(h.conn->state(), NNTPState::Connecting);
  h.transport().accept();
  EXPECT_EQ(h.conn->state(), NNTPState::AwaitingGreeting);
  for (const auto& r : c.replies) {
    h.transport().receive(r + "\r\n");
    h.clock.advance(0);  // the prompt comes once the read handler returned
  }

  EXPECT_EQ(h.transport().takeSentLines(), c.sent);
  std::vector<std::string> expectedLog = {"connected"};
  expectedLog.insert(expectedLog.end(), c.log.begin(), c.log.end());
  EXPECT_EQ(h.log, expectedLog);
  EXPECT_EQ(h.conn->state(), c.state) << StateName(h.conn->state());
  EXPECT_EQ(h.conn->postingAllowed(), c.postingAllowed);
  EXPECT_EQ(h.profile->promptedPassword, c.promptedAfter);
  EXPECT_TRUE(h.prompter.scriptUsed());
  // Every password prompt names the host and masks the typing.
  EXPECT_EQ(h.prompter.records().size(), c.answers.size());
  for (const auto& r : h.prompter.records()) {
    EXPECT_EQ(r.caption, "Le Mot de passe ?");
    EXPECT_EQ(r.text, "Mot de passe pour: 192.0.2.1");
    EXPECT_EQ(r.inputMode, InputMode::Masked);
  }
}

const LoginCase kLoginCases[] = {
    {"NoUserPostingAllowed", "", "", "", {}, {"200 news.example ready", "200 reader"},
     {"MODE READER"}, {"banner"}, NNTPState::Ready, true, ""},
    {"Greeting201NoPosting", "", "", "", {}, {"201 no posting", "201 reader"},
     {"MODE READER"}, {"banner"}, NNTPState::Ready, false, ""},
    {"Greeting502LoginFailed", "", "", "", {}, {"502 go away"}, {},
     {"error 502 502 go away"}, NNTPState::LoginFailed, false, ""},
    {"ModeReader500StillReady", "", "", "", {}, {"200 hi", "500 What?"}, {"MODE READER"},
     {"banner"}, NNTPState::Ready, true, ""},
    {"StoredPassword", "tester", "secret", "", {},
     {"200 hi", "200 reader", "381 Enter password", "281 Authentication succeeded"},
     {"MODE READER", "AUTHINFO USER tester", "AUTHINFO PASS secret"}, {"banner"},
     NNTPState::Ready, true, ""},
    {"PromptedPasswordReused", "tester", "", "kept", {},
     {"200 hi", "200 reader", "381 pass", "281 ok"},
     {"MODE READER", "AUTHINFO USER tester", "AUTHINFO PASS kept"}, {"banner"},
     NNTPState::Ready, true, "kept"},
    {"PromptAgainWhileBlank", "tester", "", "", {"  ", "", "typed"},
     {"200 hi", "200 reader", "381 pass", "281 ok"},
     {"MODE READER", "AUTHINFO USER tester", "AUTHINFO PASS typed"}, {"banner"},
     NNTPState::Ready, true, "typed"},
    {"PromptCancelledSendsEmpty", "tester", "", "", {std::nullopt},
     {"200 hi", "200 reader", "381 pass", "481 Authentication failed"},
     {"MODE READER", "AUTHINFO USER tester", "AUTHINFO PASS "},
     {"error 481 481 Authentication failed"}, NNTPState::LoginFailed, true, ""},
    {"WrongPasswordClearsPrompted", "tester", "", "old", {},
     {"200 hi", "200 reader", "381 pass", "481 Authentication failed"},
     {"MODE READER", "AUTHINFO USER tester", "AUTHINFO PASS old"},
     {"error 481 481 Authentication failed"}, NNTPState::LoginFailed, true, ""},
    {"UserRefused", "tester", "secret", "", {},
     {"200 hi", "200 reader", "483 Encryption required"},
     {"MODE READER", "AUTHINFO USER tester"}, {"error 483 483 Encryption required"},
     NNTPState::LoginFailed, true, ""},
    {"ReplyWithoutCode", "", "", "", {}, {"hello there"}, {}, {"error 0 hello there"},
     NNTPState::LoginFailed, false, ""},
};

INSTANTIATE_TEST_SUITE_P(All, Login, ::testing::ValuesIn(kLoginCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A prompter whose password dialog runs something first, as a nested event
// loop may: the connection can be closed before the person answers. The
// prompt itself waits until the read handler returned.
class InterruptedPrompter final : public NullPrompter {
 public:
  std::function<void()> duringInput;
  std::optional<std::string> inputText(std::string_view, std::string_view, std::string_view,
                                       InputMode) override {
    duringInput();
    return "pw";
  }
};

// A connection of user "tester" waiting for the reply to AUTHINFO USER.
struct AwaitingUserReply {
  FakeNetwork net;
  ManualClock clock;
  InterruptedPrompter prompter;
  std::unique_ptr<TNNTP> conn = std::make_unique<TNNTP>(net, clock, prompter);
  FakeTransport* transport = nullptr;

  AwaitingUserReply() {
    conn->setProfile(makeProfile("192.0.2.1", 0, "tester"));
    conn->Connect();
    transport = &net.last();
    transport->accept();
    transport->receive("200 hi\r\n");
    transport->receive("200 reader\r\n");
    transport->takeSent();
  }
};

TEST(LoginPrompt, ConnectionClosedDuringPromptSendsNoPassword) {
  AwaitingUserReply a;
  a.prompter.duringInput = [&] { a.conn->Close(); };
  a.transport->receive("381 pass\r\n");
  a.clock.advance(0);
  EXPECT_EQ(a.conn->state(), NNTPState::Idle);
  EXPECT_EQ(a.transport->takeSent(), "");
}

TEST(LoginPrompt, ConnectionDestroyedDuringPromptIsNotTouched) {
  AwaitingUserReply a;
  a.prompter.duringInput = [&] { a.conn.reset(); };
  a.transport->receive("381 pass\r\n");
  a.clock.advance(0);
  EXPECT_EQ(a.conn, nullptr);
}

TEST(Connect, NameIsLookedUpThenConnectedWithTlsOptions) {
  NNTPHarness h;
  h.profile->host = " news.example.com ";
  h.profile->port = 563;
  h.profile->tls = true;
  h.profile->caFile = "/tmp/ca.pem";
  h.conn->Connect();
  ASSERT_EQ(h.net.fakeResolver().hostsLookedUp(), std::vector<std::string>{"news.example.com"});
  EXPECT_TRUE(h.transport().connects().empty());
  h.net.fakeResolver().complete(0, "203.0.113.7");
  ASSERT_EQ(h.transport().connects().size(), 1u);
  const auto& call = h.transport().connects()[0];
  EXPECT_EQ(call.address, "203.0.113.7");
  EXPECT_EQ(call.port, 563);
  EXPECT_TRUE(call.tls.enabled);
  EXPECT_EQ(call.tls.peerName, "news.example.com");
  EXPECT_EQ(call.tls.caFile, "/tmp/ca.pem");
}

TEST(Connect, OnlyNumericAddressesSkipTheLookup) {
  const std::pair<const char*, bool> rows[] = {
      {"192.0.2.1", false}, {"::1", false}, {"[2001:db8::1]", false}, {"1.news.example.com", true}};
  for (const auto& [host, lookedUp] : rows) {
    NNTPHarness h;
    h.profile->host = host;
    h.conn->Connect();
    EXPECT_EQ(h.net.fakeResolver().hostsLookedUp().size(), lookedUp ? 1u : 0u) << host;
    if (lookedUp) continue;
    ASSERT_EQ(h.transport().connects().size(), 1u) << host;
    EXPECT_EQ(h.transport().connects()[0].port, 119) << host;
  }
}

TEST(Connect, LookupFailureIsOneErrorNamingTheHost) {
  NNTPHarness h;
  h.profile->host = "nowhere.invalid";
  h.conn->Connect();
  h.net.fakeResolver().complete(neterr::kHostNotFound, "");
  EXPECT_EQ(h.takeLog(), (std::vector<std::string>{
                             "error 11001 Hôte nonTrouvé while looking up nowhere.invalid"}));
  EXPECT_EQ(h.conn->LastErrorCode(), 11001);
  // The connect time-out is over with the lookup.
  h.clock.advance(60000);
  EXPECT_TRUE(h.takeLog().empty());
}

TEST(Connect, SocketErrorsCarryTheTableTextAndEndTheTimeout) {
  struct Row {
    int error;
    const char* detail;
    const char* logged;
  };
  const Row rows[] = {
      {neterr::kConnectionRefused, "", "error 10061 connexion refusée!"},
      {neterr::kTlsFailure, "The certificate is self-signed, and untrusted",
       "error 12000 Connexion TLS refusée par 192.0.2.1 : The certificate is self-signed, and "
       "untrusted"}};
  for (const Row& row : rows) {
    NNTPHarness h;
    h.profile->host = "192.0.2.1";
    h.conn->Connect();
    h.transport().fail(row.error, row.detail);
    EXPECT_EQ(h.takeLog(), std::vector<std::string>{row.logged});
    h.clock.advance(60000);
    EXPECT_TRUE(h.takeLog().empty());
  }
}

TEST(Connect, ConnectTimeoutAppliesEvenWithoutTransferTimeout) {
  NNTPHarness h(NNTPOptions{4, 0});
  h.conn->Connect();
  h.clock.advance(44999);
  EXPECT_TRUE(h.log.empty());
  h.clock.advance(1);
  EXPECT_EQ(h.takeLog(), (std::vector<std::string>{"error 11111 Transfer timeout"}));
  EXPECT_EQ(h.conn->LastErrorCode(), 11111);
}

TEST(Connect, LoginStallTimesOut) {
  // A server that greets and never answers MODE READER.
  NNTPHarness h;
  h.conn->Connect();
  h.transport().accept();
  h.clock.advance(30000);
  h.transport().receive("200 hi\r\n");
  h.clock.advance(44999);
  EXPECT_EQ(h.takeLog(), (std::vector<std::string>{"connected"}));
  h.clock.advance(1);
  EXPECT_EQ(h.takeLog(), (std::vector<std::string>{"error 11111 Transfer timeout"}));
}

TEST(Connect, PeerClosingMidGreetingIsADisconnect) {
  NNTPHarness h;
  h.conn->Connect();
  h.transport().accept();
  h.transport().receive("200 news.exa");
  h.transport().peerClose();
  EXPECT_EQ(h.takeLog(), (std::vector<std::string>{"connected", "disconnected"}));
  EXPECT_FALSE(h.conn->IsConnected());
  h.clock.advance(60000);
  EXPECT_TRUE(h.takeLog().empty());
  // The next connect starts afresh.
  h.conn->Connect();
  h.transport().accept();
  h.transport().receive("200 hi\r\n");
  EXPECT_EQ(h.transport().takeSentLines(), std::vector<std::string>{"MODE READER"});
}

TEST(Connect, ResetMidGreetingWithoutHandlersLeavesItIdle) {
  NNTPHarness h;
  h.conn->RemoveEvents();
  h.conn->Connect();
  h.transport().accept();
  h.transport().receive("20");
  h.transport().fail(neterr::kConnectionReset);
  EXPECT_EQ(h.conn->state(), NNTPState::Idle);
}

}  // namespace
}  // namespace orvel::test
