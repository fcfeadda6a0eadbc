// The protocol engine without a socket: the login steps as the profile and
// the server's capabilities choose them, compression both ways after 206,
// and replies to several commands sent at once.

#include "net/nntp_engine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/deflate_stream.h"

namespace orvel {
namespace {

using Lines = std::vector<std::string>;

// The engine's output as lines, each without CR LF.
Lines sentLines(NntpEngine& engine) {
  Lines out;
  const std::string bytes = engine.takeOutput();
  std::size_t pos = 0;
  for (std::size_t lf; (lf = bytes.find("\r\n", pos)) != std::string::npos; pos = lf + 2) {
    out.push_back(bytes.substr(pos, lf - pos));
  }
  return out;
}

// Takes events until None, answering the password and TLS requests, and
// writes each as text.
void drain(NntpEngine& engine, Lines& events) {
  while (true) {
    const NntpEngineEvent e = engine.next();
    switch (e.kind) {
      case NntpEngineEvent::Kind::None: return;
      case NntpEngineEvent::Kind::LoggedIn: events.push_back("loggedin"); break;
      case NntpEngineEvent::Kind::PasswordWanted:
        events.push_back("password");
        engine.password("pw");
        break;
      case NntpEngineEvent::Kind::StartTls:
        events.push_back("starttls");
        engine.tlsStarted();
        break;
      case NntpEngineEvent::Kind::Reply: events.push_back("reply " + std::string(e.line)); break;
      case NntpEngineEvent::Kind::Data:
        events.push_back(std::string(e.last ? "last " : "data ") + std::string(e.data));
        break;
      case NntpEngineEvent::Kind::LoginRefused:
        events.push_back("refused " + std::to_string(e.code) + " " + std::string(e.line));
        return;
      case NntpEngineEvent::Kind::Broken: events.push_back("broken"); return;
    }
  }
}

// Feeds a login its replies one exchange at a time: the lines the engine
// sent, and its events in events.
Lines login(NntpEngine& engine, const NntpLoginSettings& settings, const Lines& replies,
            Lines& events) {
  engine.connected(settings);
  Lines sent;
  for (const std::string& reply : replies) {
    engine.receive(reply);
    drain(engine, events);
    for (auto& line : sentLines(engine)) sent.push_back(line);
  }
  return sent;
}

constexpr const char* kCapsReader = "101 caps\r\nVERSION 2\r\nREADER\r\nOVER\r\n.\r\n";
constexpr const char* kCapsLogin =
    "101 caps\r\nVERSION 2\r\nREADER\r\nSTARTTLS\r\nAUTHINFO USER\r\n.\r\n";
constexpr const char* kCapsModeReader = "101 caps\r\nVERSION 2\r\nMODE-READER\r\n.\r\n";
constexpr const char* kCapsCompress =
    "101 caps\r\nVERSION 2\r\nREADER\r\nCOMPRESS DEFLATE\r\n.\r\n";
constexpr const char* kOverviewFmt =
    "215 fmt\r\nSubject:\r\nFrom:\r\nDate:\r\nMessage-ID:\r\nReferences:\r\n:bytes\r\n"
    ":lines\r\nXref:full\r\n.\r\n";

struct LoginCase {
  const char* name;
  NntpLoginSettings settings;
  Lines replies;  // one per exchange, fed after the engine spoke
  Lines sent;
  Lines events;
  NntpLoginStep step;
};

void PrintTo(const LoginCase& c, std::ostream* os) { *os << c.name; }

class EngineLogin : public ::testing::TestWithParam<LoginCase> {};

TEST_P(EngineLogin, StepsFollowProfileAndCapabilities) {
  const LoginCase& c = GetParam();
  NntpEngine engine;
  Lines events;
  EXPECT_EQ(login(engine, c.settings, c.replies, events), c.sent);
  EXPECT_EQ(events, c.events);
  EXPECT_EQ(engine.step(), c.step);
}

NntpLoginSettings settings(std::string user, bool extensions, bool startTls, bool compress) {
  return {std::move(user), extensions, startTls, compress};
}

INSTANTIATE_TEST_SUITE_P(
    NntpEngine, EngineLogin,
    ::testing::Values(
        LoginCase{"ExtensionsOffIsThePlainLogin",
                  settings("u", false, false, true),
                  {"200 hi\r\n", "200 reader\r\n", "381 pass\r\n", "281 ok\r\n"},
                  {"MODE READER", "AUTHINFO USER u", "AUTHINFO PASS pw"},
                  {"password", "loggedin"},
                  NntpLoginStep::Done},
        LoginCase{"NoCapabilitiesCommandFallsBack",
                  settings("", true, false, true),
                  {"201 hi\r\n", "500 what?\r\n", "200 reader\r\n"},
                  {"CAPABILITIES", "MODE READER"},
                  {"loggedin"},
                  NntpLoginStep::Done},
        LoginCase{"ReaderServerSkipsModeReader",
                  settings("", true, false, true),
                  {"200 hi\r\n", kCapsReader, kOverviewFmt},
                  {"CAPABILITIES", "LIST OVERVIEW.FMT"},
                  {"loggedin"},
                  NntpLoginStep::Done},
        LoginCase{"ModeReaderAskedThenCapabilitiesAgain",
                  settings("", true, false, true),
                  {"200 hi\r\n", kCapsModeReader, "200 reader\r\n", kCapsReader, kOverviewFmt},
                  {"CAPABILITIES", "MODE READER", "CAPABILITIES", "LIST OVERVIEW.FMT"},
                  {"loggedin"},
                  NntpLoginStep::Done},
        LoginCase{"StartTlsThenLoginThenCapabilitiesAgain",
                  settings("u", true, true, true),
                  {"200 hi\r\n", kCapsLogin, "382 go\r\n", kCapsLogin, "381 pass\r\n",
                   "281 ok\r\n", kCapsCompress, "403 no compression today\r\n"},
                  {"CAPABILITIES", "STARTTLS", "CAPABILITIES", "AUTHINFO USER u",
                   "AUTHINFO PASS pw", "CAPABILITIES", "COMPRESS DEFLATE"},
                  {"starttls", "password", "loggedin"},
                  NntpLoginStep::Done},
        LoginCase{"StartTlsAsksCapabilitiesEvenWithoutExtensions",
                  settings("", false, true, true),
                  {"200 hi\r\n", "500 what?\r\n"},
                  {"CAPABILITIES"},
                  {"refused 0 STARTTLS refusé: le serveur ne le propose pas"},
                  NntpLoginStep::Refused},
        LoginCase{"StartTlsNotOfferedRefusesTheLogin",
                  settings("u", true, true, true),
                  {"200 hi\r\n", kCapsReader},
                  {"CAPABILITIES"},
                  {"refused 0 STARTTLS refusé: le serveur ne le propose pas"},
                  NntpLoginStep::Refused},
        LoginCase{"UserAcceptedWithoutPassword",
                  settings("u", true, false, false),
                  {"200 hi\r\n", kCapsReader, "281 ok\r\n", kCapsCompress},
                  {"CAPABILITIES", "AUTHINFO USER u", "CAPABILITIES"},
                  {"loggedin"},
                  NntpLoginStep::Done},
        LoginCase{"WrongPasswordRefuses",
                  settings("u", false, false, true),
                  {"200 hi\r\n", "200 reader\r\n", "381 pass\r\n", "481 no\r\n"},
                  {"MODE READER", "AUTHINFO USER u", "AUTHINFO PASS pw"},
                  {"password", "refused 481 481 no"},
                  NntpLoginStep::Refused},
        LoginCase{"GreetingRefusal",
                  settings("", true, false, true),
                  {"502 go away\r\n"},
                  {},
                  {"refused 502 502 go away"},
                  NntpLoginStep::Refused}),
    [](const auto& info) { return std::string(info.param.name); });

// LIST OVERVIEW.FMT follows the last CAPABILITIES where it lists OVER or
// that LIST variant; what it says becomes the engine's field order, and a
// refusal or an empty list keeps the default one.
struct FormatCase {
  const char* name;
  NntpLoginSettings settings;
  Lines replies;
  Lines sent;
  int subjectColumn;
  bool isDefault;
};

void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.name; }

class EngineOverviewFormat : public ::testing::TestWithParam<FormatCase> {};

TEST_P(EngineOverviewFormat, ReadOnceAfterTheLastCapabilities) {
  const FormatCase& c = GetParam();
  NntpEngine engine;
  Lines events;
  EXPECT_EQ(login(engine, c.settings, c.replies, events), c.sent);
  EXPECT_EQ(events, Lines{"loggedin"});
  EXPECT_EQ(engine.overviewFormat().column(OverviewField::Subject), c.subjectColumn);
  EXPECT_EQ(engine.overviewFormat().isDefault(), c.isDefault);
}

constexpr const char* kSwappedFmt =
    "215 fmt\r\nFrom:\r\nSubject:\r\nDate:\r\nMessage-ID:\r\nReferences:\r\n:bytes\r\n"
    ":lines\r\nXref:full\r\n.\r\n";
constexpr const char* kCapsModeReaderOver = "101 caps\r\nVERSION 2\r\nMODE-READER\r\nOVER\r\n.\r\n";
constexpr const char* kCapsListFmt =
    "101 caps\r\nVERSION 2\r\nREADER\r\nLIST ACTIVE OVERVIEW.FMT\r\nCOMPRESS DEFLATE\r\n.\r\n";

INSTANTIATE_TEST_SUITE_P(
    NntpEngine, EngineOverviewFormat,
    ::testing::Values(
        FormatCase{"SwappedOrderListed",
                   settings("", true, false, true),
                   {"200 hi\r\n", kCapsReader, kSwappedFmt},
                   {"CAPABILITIES", "LIST OVERVIEW.FMT"},
                   2,
                   false},
        FormatCase{"ListVariantWithoutOverBeforeCompress",
                   settings("", true, false, true),
                   {"200 hi\r\n", kCapsListFmt, kSwappedFmt, "206 on\r\n"},
                   {"CAPABILITIES", "LIST OVERVIEW.FMT", "COMPRESS DEFLATE"},
                   2,
                   false},
        FormatCase{"AfterTheLoginsCapabilities",
                   settings("u", true, false, false),
                   {"200 hi\r\n", kCapsModeReaderOver, "200 reader\r\n", kCapsModeReaderOver,
                    "281 ok\r\n", kCapsReader, kSwappedFmt},
                   {"CAPABILITIES", "MODE READER", "CAPABILITIES", "AUTHINFO USER u", "CAPABILITIES",
                    "LIST OVERVIEW.FMT"},
                   2,
                   false},
        FormatCase{"RefusedKeepsTheDefault",
                   settings("", true, false, true),
                   {"200 hi\r\n", kCapsReader, "503 not here\r\n"},
                   {"CAPABILITIES", "LIST OVERVIEW.FMT"},
                   1,
                   true},
        FormatCase{"EmptyListKeepsTheDefault",
                   settings("", true, false, true),
                   {"200 hi\r\n", kCapsReader, "215 fmt\r\n.\r\n"},
                   {"CAPABILITIES", "LIST OVERVIEW.FMT"},
                   1,
                   true},
        FormatCase{"NotAskedWithoutCapabilities",
                   settings("", false, false, true),
                   {"200 hi\r\n", "200 reader\r\n"},
                   {"MODE READER"},
                   1,
                   true}),
    [](const auto& info) { return std::string(info.param.name); });

// After 206 both directions are one deflate stream: the server's compressed
// reply (sent in the same packet as the 206) is read, and the commands leave
// compressed.
TEST(NntpEngine, CompressionBothWaysAfter206) {
  NntpEngine engine;
  engine.connected({});
  Lines events;
  engine.receive("200 hi\r\n");
  drain(engine, events);
  engine.receive(kCapsCompress);
  drain(engine, events);
  EXPECT_EQ(sentLines(engine), (Lines{"CAPABILITIES", "COMPRESS DEFLATE"}));

  Compressor server;
  const std::string reply = "211 3 1 3 g\r\n";  // an answer nobody asked for yet is single-line
  engine.receive("206 on\r\n" + std::string(server.compress(reply)));
  drain(engine, events);
  EXPECT_TRUE(engine.compressing());
  engine.command("XOVER 1-3");
  Decompressor serverIn;
  EXPECT_EQ(std::string(serverIn.feed(engine.takeOutput())), "XOVER 1-3\r\n");
  const std::string overview = "224 ok\r\n1\ta\r\n..2\tb\r\n.\r\n";
  engine.receive(server.compress(overview));
  drain(engine, events);
  EXPECT_EQ(events, (Lines{"loggedin", "reply 211 3 1 3 g", "reply 224 ok",
                           "last 1\ta\r\n..2\tb\r\n.\r\n"}));
  // Counted after inflating: each byte once, the compressed ones as inflated.
  const std::size_t plain = 8 + std::string(kCapsCompress).size() + 8 + reply.size() + overview.size();
  EXPECT_EQ(engine.bytesReceived(), static_cast<std::int64_t>(plain));
}

// Commands sent back to back get their replies in order, the data of each
// in blocks of whole lines, whatever the split of the bytes.
TEST(NntpEngine, PipelinedRepliesInOrderForEverySplit) {
  const std::string bytes =
      "224 a\r\n1\tx\r\n.\r\n423 none\r\n224 b\r\n..3\ty\r\n.\r\n211 1 1 1 g\r\n";
  for (std::size_t chunk = 1; chunk <= bytes.size(); ++chunk) {
    NntpEngine engine;
    engine.connected(settings("", false, false, false));
    engine.receive("200 hi\r\n200 reader\r\n");
    Lines events;
    drain(engine, events);
    engine.command("XOVER 1");
    engine.command("XOVER 2");
    engine.command("XOVER 3");
    engine.command("GROUP g");
    EXPECT_EQ(engine.pendingReplies(), 4u);
    std::string data;
    Lines replies;
    for (std::size_t at = 0; at < bytes.size(); at += chunk) {
      engine.receive(std::string_view(bytes).substr(at, chunk));
      for (NntpEngineEvent e; (e = engine.next()).kind != NntpEngineEvent::Kind::None;) {
        if (e.kind == NntpEngineEvent::Kind::Reply) replies.emplace_back(e.line);
        if (e.kind == NntpEngineEvent::Kind::Data) data.append(e.data).append(e.last ? "|" : "");
      }
    }
    ASSERT_EQ(replies, (Lines{"224 a", "423 none", "224 b", "211 1 1 1 g"})) << "chunk " << chunk;
    ASSERT_EQ(data, "1\tx\r\n.\r\n|..3\ty\r\n.\r\n|") << "chunk " << chunk;
  }
}

}  // namespace
}  // namespace orvel
