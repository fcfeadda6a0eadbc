// TNNTP and the connection pool against the real INN 2 that
// scripts/test-servers runs on loopback: reading, login, posting and TLS.

#include <gtest/gtest.h>

#include <chrono>

#include "net/connection_pool.h"
#include "net/nntp_data.h"
#include "net/qt/qt_clock.h"
#include "net/qt/qt_network.h"
#include "net/socket_errors.h"
#include "support/qt_event_loop.h"
#include "support/scripted_prompter.h"
#include "support/test_servers.h"

namespace orvel::test {
namespace {

using Lines = std::vector<std::string>;

// One pool over Qt, and what the last exchange produced.
class InnTest : public ::testing::Test {
 protected:
  void SetUp() override { qtApp(); }

  std::shared_ptr<TProfile> profile(const TestServers& s, const char* portKey,
                                    std::string user = {}, std::string password = {}) {
    auto p = std::make_shared<TProfile>();
    p->alias = "inn";
    p->host = s.host();
    p->port = s.port(portKey);
    p->userName = std::move(user);
    p->password = std::move(password);
    return p;
  }

  // Takes a connection and records its events.
  TNNTP& acquire(const std::shared_ptr<TProfile>& p) {
    TNNTP& c = pool.AcquireConnection(p);
    c.OnBanner = [this](TNNTP&) { events.push_back("banner"); };
    c.OnGroup = [this](TNNTP& n) {
      events.push_back("group " + std::to_string(n.count()) + " " + std::to_string(n.first()) +
                       " " + std::to_string(n.last()) + " " + n.currentGroup());
    };
    c.OnDataBegin = [this](TNNTP&) { lines.clear(); };
    c.OnData = [this](TNNTP& n) {
      if (ReadDataLines(n, [this](std::string_view l) {
            lines.emplace_back(l);
          })) {
        events.push_back("data");
      }
    };
    c.OnBeginPost = [this](TNNTP&) { events.push_back("beginpost"); };
    c.OnEndPost = [this](TNNTP&) { events.push_back("endpost"); };
    c.OnQuit = [this](TNNTP&) { events.push_back("quit"); };
    c.OnDisconnected = [this](TNNTP&) { events.push_back("disconnected"); };
    c.OnError = [this](TNNTP&, int code, const std::string& text) {
      events.push_back("error " + std::to_string(code));
      errorText = text;
    };
    return c;
  }

  // Waits for the next event and returns it ("" on time-out).
  std::string next(int timeoutMs = 5000) {
    if (!runUntil([this] { return !events.empty(); }, timeoutMs)) return "";
    std::string e = events.front();
    events.erase(events.begin());
    return e;
  }

  QtNetPlatform platform;
  QtClock clock;
  ScriptedPrompter prompter;
  ConnectionPool pool{platform, clock, prompter};
  Lines events;
  Lines lines;
  std::string errorText;
};

TEST_F(InnTest, ReadsWithoutLogin) {
  ORVEL_REQUIRE_TEST_SERVERS(s);
  TNNTP& c = acquire(profile(s, "ORVEL_NNTP_PORT"));
  c.Connect();
  ASSERT_EQ(next(), "banner") << errorText;
  EXPECT_TRUE(c.postingAllowed());
  EXPECT_EQ(c.greeting().rfind("200 news.test.invalid InterNetNews NNRP server", 0), 0u)
      << c.greeting();

  c.Group("test.nonexistent");
  EXPECT_EQ(next(), "error 411");
  EXPECT_EQ(errorText, "411 No such group test.nonexistent");
  EXPECT_EQ(c.state(), NNTPState::Ready);

  c.Group("test.small");
  EXPECT_EQ(next(), "group 12 1 12 test.small");

  c.Xover(1, 12);
  ASSERT_EQ(next(), "data");
  ASSERT_EQ(lines.size(), 12u);
  EXPECT_EQ(lines[0].rfind("1\tSmall article 1\t", 0), 0u) << lines[0];
  // Folded headers come unfolded from the overview.
  EXPECT_EQ(lines[7].rfind("8\tA subject folded over two lines\t", 0), 0u) << lines[7];

  c.Xhdr("Subject", 3, 4);
  ASSERT_EQ(next(), "data");
  EXPECT_EQ(lines, (Lines{"3 =?UTF-8?Q?Caf=C3=A9_encoded?=", "4 Résumé in raw UTF-8"}));

  c.Article(2);
  ASSERT_EQ(next(), "data");
  EXPECT_EQ(c.articleNumber(), 2);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[lines.size() - 2], ".a body line that starts with a dot");
  EXPECT_EQ(lines.back(), "..and one with two");

  c.Article(std::string("<small.12@harness.test.invalid>"));
  ASSERT_EQ(next(), "data");
  EXPECT_EQ(c.articleNumber(), 0);

  c.Head(99999);
  EXPECT_EQ(next(), "error 423");

  c.Quit();
  EXPECT_EQ(next(), "quit");
  EXPECT_FALSE(c.IsConnected());
}

TEST_F(InnTest, NameLookupAndIpv6) {
  ORVEL_REQUIRE_TEST_SERVERS(s);
  std::vector<std::string> hosts = {"localhost"};
  if (s.get("ORVEL_NNTP_IPV6") == "1") hosts.push_back("::1");
  for (const auto& host : hosts) {
    SCOPED_TRACE(host);
    auto p = profile(s, "ORVEL_NNTP_PORT");
    p->host = host;
    TNNTP& c = acquire(p);
    c.Connect();
    EXPECT_EQ(next(), "banner") << errorText;
    pool.ReleaseConnection(c);
  }
}

TEST_F(InnTest, PostIsAcceptedAndReadBack) {
  ORVEL_REQUIRE_TEST_SERVERS(s);
  TNNTP& c = acquire(profile(s, "ORVEL_NNTP_PORT"));
  c.Connect();
  ASSERT_EQ(next(), "banner") << errorText;
  const auto stamp = std::chrono::system_clock::now().time_since_epoch().count();
  const std::string id = "<post." + std::to_string(stamp) + "@orvel.test.invalid>";
  c.Post();
  ASSERT_EQ(next(), "beginpost") << errorText;
  c.SendArticle("From: Tester <tester@test.invalid>\r\nNewsgroups: test.post\r\n"
                "Subject: Integration post\r\nMessage-ID: " + id +
                "\r\n\r\n.starts with a dot\r\nbody\r\n");
  ASSERT_EQ(next(), "endpost") << errorText;
  c.Article(id);
  ASSERT_EQ(next(), "data") << errorText;
  EXPECT_EQ(lines.back(), "body");
  EXPECT_EQ(lines[lines.size() - 2], ".starts with a dot");
}

TEST_F(InnTest, AuthRequiredWithoutLogin) {
  ORVEL_REQUIRE_TEST_SERVERS(s);
  TNNTP& c = acquire(profile(s, "ORVEL_NNTP_AUTH_PORT"));
  c.Connect();
  ASSERT_EQ(next(), "banner") << errorText;
  c.Group("test.small");
  EXPECT_EQ(next(), "error 480");
  EXPECT_EQ(errorText, "480 Authentication required for command");
}

TEST_F(InnTest, AuthGiven) {
  ORVEL_REQUIRE_TEST_SERVERS(s);
  TNNTP& c = acquire(profile(s, "ORVEL_NNTP_AUTH_PORT", s.get("ORVEL_NNTP_USER"),
                             s.get("ORVEL_NNTP_PASSWORD")));
  c.Connect();
  ASSERT_EQ(next(), "banner") << errorText;
  c.Group("test.small");
  EXPECT_EQ(next(), "group 12 1 12 test.small");
}

TEST_F(InnTest, WrongPasswordThenAskedAgain) {
  ORVEL_REQUIRE_TEST_SERVERS(s);
  auto p = profile(s, "ORVEL_NNTP_AUTH_PORT", s.get("ORVEL_NNTP_USER"));
  prompter.answerText("wrong");
  TNNTP& first = acquire(p);
  first.Connect();
  EXPECT_EQ(next(), "error 481");
  EXPECT_EQ(errorText, "481 Authentication failed");
  EXPECT_EQ(first.state(), NNTPState::LoginFailed);
  EXPECT_EQ(p->promptedPassword, "");
  pool.ReleaseConnection(first);  // sends QUIT
  ASSERT_TRUE(runUntil([&] { return !first.IsConnected(); }));

  prompter.answerText(s.get("ORVEL_NNTP_PASSWORD"));
  TNNTP& second = acquire(p);
  second.Connect();
  ASSERT_EQ(next(), "banner") << errorText;
  EXPECT_EQ(p->promptedPassword, s.get("ORVEL_NNTP_PASSWORD"));
  EXPECT_EQ(prompter.records().size(), 2u);
  EXPECT_TRUE(prompter.scriptUsed());
}

TEST_F(InnTest, TlsWithTheTestCa) {
  ORVEL_REQUIRE_TEST_SERVERS(s);
  for (const bool login : {false, true}) {
    SCOPED_TRACE(login ? "with login" : "open");
    auto p = login ? profile(s, "ORVEL_NNTP_TLS_AUTH_PORT", s.get("ORVEL_NNTP_USER"),
                             s.get("ORVEL_NNTP_PASSWORD"))
                   : profile(s, "ORVEL_NNTP_TLS_PORT");
    p->tls = true;
    p->caFile = s.get("ORVEL_NNTP_CA_FILE");
    TNNTP& c = acquire(p);
    c.Connect();
    ASSERT_EQ(next(), "banner") << errorText;
    c.Group("test.small");
    EXPECT_EQ(next(), "group 12 1 12 test.small");
    pool.ReleaseConnection(c);
  }
}

TEST_F(InnTest, TlsRefusesAnUntrustedCertificate) {
  ORVEL_REQUIRE_TEST_SERVERS(s);
  auto p = profile(s, "ORVEL_NNTP_TLS_PORT");
  p->tls = true;
  TNNTP& c = acquire(p);
  c.Connect();
  EXPECT_EQ(next(), "error 12000");
  EXPECT_NE(errorText.find("Connexion TLS refusée par 127.0.0.1 : "), std::string::npos)
      << errorText;
  EXPECT_NE(errorText.find("issuer certificate"), std::string::npos) << errorText;
  EXPECT_FALSE(c.IsConnected());
  runFor(100);
  EXPECT_TRUE(events.empty());
}

TEST_F(InnTest, TlsToAPlainPortFails) {
  ORVEL_REQUIRE_TEST_SERVERS(s);
  auto p = profile(s, "ORVEL_NNTP_PORT");
  p->tls = true;
  p->caFile = s.get("ORVEL_NNTP_CA_FILE");
  TNNTP& c = acquire(p);
  c.Connect();
  EXPECT_EQ(next(), "error 12000");
  EXPECT_FALSE(c.IsConnected());
}

TEST_F(InnTest, PoolLimitTwoRefusesAThird) {
  ORVEL_REQUIRE_TEST_SERVERS(s);
  pool.setOptions(NNTPOptions{2, 30});
  auto p = profile(s, "ORVEL_NNTP_PORT");
  TNNTP& a = acquire(p);
  TNNTP& b = acquire(p);
  a.Connect();
  b.Connect();
  EXPECT_EQ(next(), "banner");
  EXPECT_EQ(next(), "banner");
  TNNTP& third = acquire(p);
  third.Connect();
  EXPECT_EQ(next(), "error 9999");
  EXPECT_EQ(errorText, "Trop de connections simultanées;   Maximum=2");
  EXPECT_EQ(pool.ActiveConnectionsText(), "3 connexion/s active/s");
  // Once one is given back, the next connect goes through, reusing it.
  pool.ReleaseConnection(third);
  pool.ReleaseConnection(b);
  TNNTP& again = acquire(p);
  EXPECT_EQ(&again, &b);
  EXPECT_TRUE(again.IsConnected());
}

}  // namespace
}  // namespace orvel::test
