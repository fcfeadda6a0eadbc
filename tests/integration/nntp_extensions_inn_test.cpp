// The negotiated extensions against the real INN 2 of scripts/test-servers:
// COMPRESS DEFLATE gives the same overview as a plain connection in far
// fewer wire bytes, and STARTTLS on the plain port precedes the login.

#include <gtest/gtest.h>

#include "net/connection_pool.h"
#include "net/nntp_data.h"
#include "net/qt/qt_clock.h"
#include "net/qt/qt_network.h"
#include "support/qt_event_loop.h"
#include "support/scripted_prompter.h"
#include "support/test_servers.h"

namespace orvel::test {
namespace {

class InnExtensions : public ::testing::Test {
 protected:
  void SetUp() override { qtApp(); }

  std::shared_ptr<TProfile> profile(const TestServers& s, const char* portKey) {
    auto p = std::make_shared<TProfile>();
    p->alias = "inn";
    p->host = s.host();
    p->port = s.port(portKey);
    return p;
  }

  // A login profile on the plain port that asks for STARTTLS, trusting the
  // test CA or only the system's.
  std::shared_ptr<TProfile> startTlsProfile(const TestServers& s, bool trustTestCa) {
    auto p = profile(s, "ORVEL_NNTP_AUTH_PORT");
    p->startTls = true;
    if (trustTestCa) p->caFile = s.get("ORVEL_NNTP_CA_FILE");
    p->userName = s.get("ORVEL_NNTP_USER");
    p->password = s.get("ORVEL_NNTP_PASSWORD");
    return p;
  }

  // Connects, logs in, and fetches the overview of a group: its lines, one
  // per row, or "" with the reason in error.
  std::string overview(TNNTP& c, const std::string& group, int last) {
    bool done = false;
    std::string text;
    c.OnBanner = [&](TNNTP& n) { n.Group(group); };
    c.OnGroup = [&](TNNTP& n) { n.Xover(1, last); };
    c.OnData = [&](TNNTP& n) {
      done = ReadDataLines(n, [&text](std::string_view line) { text.append(line).append("\n"); });
    };
    c.OnError = [&](TNNTP&, int code, const std::string& why) {
      error = std::to_string(code) + " " + why;
      done = true;
    };
    c.Connect();
    runUntil([&] { return done; }, 20000);
    return error.empty() ? text : std::string();
  }

  QtNetPlatform platform;
  QtClock clock;
  ScriptedPrompter prompter;
  ConnectionPool pool{platform, clock, prompter};
  std::string error;
};

TEST_F(InnExtensions, CompressedOverviewEqualsPlain) {
  ORVEL_REQUIRE_TEST_SERVERS(s);
  auto plainProfile = profile(s, "ORVEL_NNTP_PORT");
  plainProfile->extensions = false;
  TNNTP& plain = pool.AcquireConnection(plainProfile);
  const std::string expected = overview(plain, "test.big", 10000);
  ASSERT_TRUE(error.empty()) << error;
  EXPECT_FALSE(plain.engine().capabilitiesKnown());
  EXPECT_FALSE(plain.engine().compressing());
  EXPECT_EQ(std::count(expected.begin(), expected.end(), '\n'), 10000);

  TNNTP& packed = pool.AcquireConnection(profile(s, "ORVEL_NNTP_PORT"));
  EXPECT_EQ(overview(packed, "test.big", 10000), expected) << error;
  const NntpEngine& engine = packed.engine();
  EXPECT_TRUE(engine.capabilities().compressDeflate());
  EXPECT_TRUE(engine.compressing());
  // The overview text repeats a lot: it came well compressed.
  EXPECT_LT(engine.wireBytesReceived() * 4, engine.bytesReceived());
}

TEST_F(InnExtensions, StartTlsBeforeTheLogin) {
  ORVEL_REQUIRE_TEST_SERVERS(s);
  TNNTP& c = pool.AcquireConnection(startTlsProfile(s, true));
  const std::string text = overview(c, "test.small", 12);
  ASSERT_TRUE(error.empty()) << error;
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 12);
  EXPECT_TRUE(c.engine().usedStartTls());
  // What the server offers after the login over TLS.
  EXPECT_TRUE(c.engine().capabilitiesKnown());
  EXPECT_TRUE(c.engine().capabilities().offers(NntpCapability::Over));
}

// A certificate that does not check out stops the login before any password
// is sent.
TEST_F(InnExtensions, StartTlsWithAnUntrustedCertificateFails) {
  ORVEL_REQUIRE_TEST_SERVERS(s);
  TNNTP& c = pool.AcquireConnection(startTlsProfile(s, false));
  EXPECT_EQ(overview(c, "test.small", 12), "");
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(c.engine().usedStartTls());
}

}  // namespace
}  // namespace orvel::test
