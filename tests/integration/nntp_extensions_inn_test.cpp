// The negotiated extensions against the real INN 2 of scripts/test-servers:
// COMPRESS DEFLATE gives the same overview as a plain connection in far
// fewer wire bytes, HDR the same header values as XHDR, LIST OVERVIEW.FMT
// is read at the login, and STARTTLS on the plain port precedes the login.

#include <gtest/gtest.h>

#include "articles/xover.h"

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

  // Connects, logs in, and reads the values of each header name for the
  // articles 1 to last of a group into view, as the header download does.
  void headerValues(TNNTP& c, const std::string& group, int last, XoverView& view) {
    bool done = false;
    c.OnBanner = [&](TNNTP& n) { n.Group(group); };
    c.OnGroup = [&](TNNTP& n) {
      view.SizeSets(1, last);
      n.Xhdr(view.extraNames[view.extraIndex], 1, last);
    };
    c.OnData = [&](TNNTP& n) {
      bool ended = false;
      ParseXHDR(view, nullptr, n.data(), ended);
      if (!n.dataEnded()) return;
      if (++view.extraIndex < view.extraNames.size()) {
        n.Xhdr(view.extraNames[view.extraIndex], 1, last);
      } else {
        done = true;
      }
    };
    c.OnError = [&](TNNTP&, int code, const std::string& why) {
      error = std::to_string(code) + " " + why;
      done = true;
    };
    c.Connect();
    runUntil([&] { return done; }, 20000);
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

// INN answers HDR of a header an article lacks with an empty value and
// XHDR with no line: the values kept are the same either way.
TEST_F(InnExtensions, HdrValuesEqualXhdrValues) {
  ORVEL_REQUIRE_TEST_SERVERS(s);
  const std::vector<std::string> names{"Subject", "X-No-Such-Header", "Message-ID"};
  auto plainProfile = profile(s, "ORVEL_NNTP_PORT");
  plainProfile->extensions = false;
  TNNTP& plain = pool.AcquireConnection(plainProfile);
  ArticleArena arenaX, arenaH;
  ViewLists listsX, listsH;
  XoverView byXhdr(arenaX, listsX), byHdr(arenaH, listsH);
  byXhdr.extraNames = byHdr.extraNames = names;
  headerValues(plain, "test.small", 12, byXhdr);
  ASSERT_TRUE(error.empty()) << error;
  EXPECT_STREQ(plain.headerVerb(), "XHDR");

  TNNTP& extended = pool.AcquireConnection(profile(s, "ORVEL_NNTP_PORT"));
  headerValues(extended, "test.small", 12, byHdr);
  ASSERT_TRUE(error.empty()) << error;
  EXPECT_STREQ(extended.headerVerb(), "HDR");

  EXPECT_EQ(byHdr.xhdrLines, byXhdr.xhdrLines);
  EXPECT_EQ(byXhdr.xhdrLines, 12 * 2) << "Subject and Message-ID of each article";
  ASSERT_TRUE(byXhdr.extraValues && byHdr.extraValues);
  for (int number = 1; number <= 12; ++number) {
    const std::string key = std::to_string(number);
    const auto* x = byXhdr.extraValues->Find(key);
    const auto* h = byHdr.extraValues->Find(key);
    ASSERT_TRUE(x && h) << key;
    EXPECT_EQ(*h, *x) << key;
    EXPECT_EQ(x->at(1), "") << key;
  }
}

// INN lists its overview fields in the default order: the field order read
// at the login leaves the parser on its fast path, and the overview of a
// connection that read it equals one that did not.
TEST_F(InnExtensions, InnListsTheDefaultOverviewOrder) {
  ORVEL_REQUIRE_TEST_SERVERS(s);
  auto plainProfile = profile(s, "ORVEL_NNTP_PORT");
  plainProfile->extensions = false;
  TNNTP& plain = pool.AcquireConnection(plainProfile);
  const std::string expected = overview(plain, "test.small", 12);
  ASSERT_TRUE(error.empty()) << error;

  TNNTP& extended = pool.AcquireConnection(profile(s, "ORVEL_NNTP_PORT"));
  EXPECT_EQ(overview(extended, "test.small", 12), expected) << error;
  const OverviewFormat& format = extended.overviewFormat();
  EXPECT_TRUE(format.isDefault());
  EXPECT_EQ(format.column(OverviewField::Xref), 8);
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
