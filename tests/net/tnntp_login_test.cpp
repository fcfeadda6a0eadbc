// The connect and login sequence: greeting, MODE READER, AUTHINFO, and the
// password asked of the owner.

#include <gtest/gtest.h>

#include <ostream>

#include "net/socket_errors.h"
#include "nntp_harness.h"

namespace orvel::test {
namespace {

struct LoginCase {
  const char* name;
  std::string user;
  std::string password;
  std::string promptedBefore;
  std::vector<std::string> answers;  // to each OnPasswordWanted
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
  auto answer = c.answers.begin();

  h.conn->Connect();
  EXPECT_EQ(h.conn->state(), NNTPState::Connecting);
  h.transport().accept();
  EXPECT_EQ(h.conn->state(), NNTPState::AwaitingGreeting);
  for (const auto& r : c.replies) {
    h.transport().receive(r + "\r\n");
    if (h.log.back() != "password wanted") continue;
    // Asked, the connection waits without a time-out for the answer.
    h.clock.advance(120000);
    ASSERT_NE(answer, c.answers.end());
    h.conn->AnswerPassword(*answer++);
  }
  EXPECT_EQ(answer, c.answers.end());

  EXPECT_EQ(h.transport().takeSentLines(), c.sent);
  std::vector<std::string> expectedLog = {"connected"};
  expectedLog.insert(expectedLog.end(), c.log.begin(), c.log.end());
  EXPECT_EQ(h.log, expectedLog);
  EXPECT_EQ(h.conn->state(), c.state) << StateName(h.conn->state());
  EXPECT_EQ(h.conn->postingAllowed(), c.postingAllowed);
  EXPECT_EQ(h.profile->promptedPassword, c.promptedAfter);
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
    {"PasswordAnsweredLater", "tester", "", "", {"typed"},
     {"200 hi", "200 reader", "381 pass", "281 ok"},
     {"MODE READER", "AUTHINFO USER tester", "AUTHINFO PASS typed"},
     {"password wanted", "banner"}, NNTPState::Ready, true, ""},
    {"EmptyAnswerIsSentAndRefused", "tester", "", "", {""},
     {"200 hi", "200 reader", "381 pass", "481 Authentication failed"},
     {"MODE READER", "AUTHINFO USER tester", "AUTHINFO PASS "},
     {"password wanted", "error 481 481 Authentication failed"}, NNTPState::LoginFailed, true,
     ""},
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

// An answer that comes after the connection was closed or connected again
// belongs to a login that is gone: nothing is sent.
TEST(LoginPassword, LateAnswerToAnEndedLoginIsDropped) {
  for (const bool reconnect : {false, true}) {
    SCOPED_TRACE(reconnect ? "reconnected" : "closed");
    NNTPHarness h;
    h.profile->userName = "tester";
    h.conn->Connect();
    h.transport().accept();
    for (const char* r : {"200 hi\r\n", "200 reader\r\n", "381 pass\r\n"}) h.transport().receive(r);
    ASSERT_EQ(h.log.back(), "password wanted");
    h.transport().takeSent();
    h.conn->Close();
    if (reconnect) h.conn->Connect();
    h.conn->AnswerPassword("pw");
    EXPECT_EQ(h.transport().takeSent(), "");
    EXPECT_EQ(h.conn->state(), reconnect ? NNTPState::Connecting : NNTPState::Idle);
  }
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
