// Framing a news server's replies: which replies carry data, dot-stuffing,
// the "." terminator, the line limit; a whole exchange cut at every point
// gives the same events.

#include "net/nntp_reply_framer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvel {
namespace {

using Events = std::vector<std::string>;

// Takes events until NeedMore, each written as "S code [*] text", "L text"
// for each line of a data block, "E" after the last, or "TooLong".
void drain(NntpReplyFramer& framer, Events& out) {
  while (true) {
    const NntpEvent e = framer.next();
    switch (e.kind) {
      case NntpEvent::Kind::NeedMore: return;
      case NntpEvent::Kind::Status:
        out.push_back("S " + std::to_string(e.code) + (e.multiLine ? " * " : " ") + std::string(e.text));
        break;
      case NntpEvent::Kind::Data:
        ForEachNntpLine(e.text, [&out](std::string_view line) {
          out.push_back("L " + std::string(line));
          return true;
        });
        if (e.last) out.push_back("E");
        break;
      case NntpEvent::Kind::LineTooLong: out.push_back("TooLong"); return;
    }
  }
}

Events feedInChunks(const std::vector<std::string>& commands, const std::string& bytes,
                    std::size_t chunk) {
  NntpReplyFramer framer;
  for (const auto& c : commands) framer.expect(ClassifyNntpCommand(c));
  Events out;
  for (std::size_t at = 0; at < bytes.size(); at += chunk) {
    framer.receive(std::string_view(bytes).substr(at, chunk));
    drain(framer, out);
  }
  return out;
}

const std::vector<std::string> kCommands = {
    "", "capabilities", "GROUP test.small", "XOVER 1-2", "OVER 9999-10000",
    "xover 9999-10000", "ARTICLE 5", "HEAD <gone@x>", "LISTGROUP test.small", "QUIT"};

const std::string kExchange =
    "200 news.test.invalid ready\r\n"
    "101 Capability list:\r\nVERSION 2\r\nOVER\r\n.\r\n"
    "211 12 1 12 test.small\r\n"
    "224 Overview follows\r\n1\tSubj\tA\r\n..2\tdot\r\n\r\n.\r\n"
    "423 No articles in 9999-10000\r\n"
    "224 No articles in 9999-10000\r\n.\r\n"
    "220 5 <a@b> article\nSubject: x\n\n..\n...dots\n.\n"
    "430 No such article\r\n"
    "211 2 1 2 test.small\r\n1\r\n2\r\n.\r\n"
    "205 Bye!\r\n";

const Events kExpected = {
    "S 200 news.test.invalid ready",
    "S 101 * Capability list:", "L VERSION 2", "L OVER", "E",
    "S 211 12 1 12 test.small",
    "S 224 * Overview follows", "L 1\tSubj\tA", "L .2\tdot", "L ", "E",
    "S 423 No articles in 9999-10000",
    "S 224 * No articles in 9999-10000", "E",
    "S 220 * 5 <a@b> article", "L Subject: x", "L ", "L .", "L ..dots", "E",
    "S 430 No such article",
    "S 211 * 2 1 2 test.small", "L 1", "L 2", "E",
    "S 205 Bye!",
};

TEST(NntpReplyFramer, ExchangeGivesSameEventsForEveryChunkSize) {
  for (std::size_t chunk = 1; chunk <= kExchange.size(); ++chunk) {
    EXPECT_EQ(feedInChunks(kCommands, kExchange, chunk), kExpected) << "chunk " << chunk;
  }
}

// Bytes that came in the same read as "206" are compressed: they leave the
// framer whole, and framing goes on with what the caller inflated.
TEST(NntpReplyFramer, BytesAfterTheCompressReplyAreHandedBack) {
  NntpReplyFramer framer;
  framer.expect(ClassifyNntpCommand("COMPRESS DEFLATE"));
  framer.receive(std::string("206 Compression active\r\n\x78\x01\n.\r\n", 30));
  const NntpEvent e = framer.next();
  ASSERT_EQ(e.kind, NntpEvent::Kind::Status);
  EXPECT_EQ(e.code, 206);
  EXPECT_EQ(framer.takeUnframed(), std::string("\x78\x01\n.\r\n", 6));
  EXPECT_EQ(framer.next().kind, NntpEvent::Kind::NeedMore);
  framer.expect(ClassifyNntpCommand("GROUP a"));
  framer.receive("211 1 1 1 a\r\n");
  Events events;
  drain(framer, events);
  EXPECT_EQ(events, Events{"S 211 1 1 1 a"});
}

struct ShapeCase {
  const char* name;
  const char* command;
  int code;
  bool multiLine;
};

void PrintTo(const ShapeCase& c, std::ostream* os) { *os << c.name; }

class ReplyShape : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(ReplyShape, MultiLineByCommandAndCode) {
  EXPECT_EQ(IsNntpMultiLine(ClassifyNntpCommand(GetParam().command), GetParam().code),
            GetParam().multiLine);
}

INSTANTIATE_TEST_SUITE_P(
    NntpReplyFramer, ReplyShape,
    ::testing::Values(ShapeCase{"GroupIsSingle", "GROUP a", 211, false},
                      ShapeCase{"ListGroupIsMulti", "LISTGROUP a", 211, true},
                      ShapeCase{"ListVariant", "LIST OVERVIEW.FMT", 215, true},
                      ShapeCase{"XpatOk", "xpat Subject 1-5 *a*", 221, true},
                      ShapeCase{"HdrOk", "HDR Subject 1-3", 225, true},
                      ShapeCase{"HdrOldCodeIsMulti", "HDR Subject 1-3", 221, true},
                      ShapeCase{"HdrEmptyRange", "HDR Subject 9999-10000", 423, false},
                      ShapeCase{"XhdrOk", "XHDR Subject 1-3", 221, true},
                      ShapeCase{"CapabilitiesRefused", "CAPABILITIES", 500, false},
                      ShapeCase{"OverError", "OVER 9999-10000", 423, false},
                      ShapeCase{"ArticleNotFound", "ARTICLE <x@y>", 430, false},
                      ShapeCase{"NewGroups", "NEWGROUPS 20000101 000000 GMT", 231, true},
                      ShapeCase{"HelpLeadingSpace", "  help", 100, true}),
    [](const auto& info) { return std::string(info.param.name); });

// A server that answers a header command with "(none)" lines and no status
// line: the data still ends at its "." line, for HDR as for XHDR.
TEST(NntpReplyFramer, NoneLinesWithoutStatusAreTheHeaderCommandsData) {
  for (const char* command : {"XHDR X-Foo 1-2", "HDR X-Foo 1-2"}) {
    SCOPED_TRACE(command);
    EXPECT_EQ(feedInChunks({command, "GROUP g"}, "(none)\r\n.\r\n211 1 1 1 g\r\n", 1),
              (Events{"S 0 * ", "E", "S 211 1 1 1 g"}));
  }
  EXPECT_EQ(feedInChunks({"GROUP g"}, "(none)\r\n", 1), Events{"S 0 "});
}

struct LimitCase {
  const char* name;
  std::string bytes;
  Events events;
};

void PrintTo(const LimitCase& c, std::ostream* os) { *os << c.name; }

class Limits : public ::testing::TestWithParam<LimitCase> {};

constexpr std::size_t kLimit = 16;

// Each row as a whole and one byte at a time; after a failure the framer
// takes nothing more.
TEST_P(Limits, EventsAndFailure) {
  for (std::size_t chunk : {std::size_t{1}, GetParam().bytes.size()}) {
    NntpReplyFramer framer(kLimit, kLimit);
    framer.expect(NntpCommand::Over);
    Events out;
    for (std::size_t at = 0; at < GetParam().bytes.size(); at += chunk) {
      framer.receive(std::string_view(GetParam().bytes).substr(at, chunk));
      drain(framer, out);
    }
    EXPECT_EQ(out, GetParam().events) << "chunk " << chunk;
    framer.receive("200 more\r\n");
    EXPECT_EQ(framer.next().kind == NntpEvent::Kind::NeedMore, framer.failed());
  }
}

INSTANTIATE_TEST_SUITE_P(
    NntpReplyFramer, Limits,
    ::testing::Values(
        LimitCase{"NoCodeIsCodeZero", "hello\r\n", {"S 0 "}},
        LimitCase{"TwoDigits", "22 x\r\n", {"S 22 x"}},
        LimitCase{"NoBlankAfterCode", "224x\r\n", {"S 0 "}},
        LimitCase{"BlankLinesBeforeStatus", "\r\n\n\r\n224 ok\r\n.\r\n", {"S 224 * ok", "E"}},
        LimitCase{"LoneCrEndsStatus", "411 x\r423 y\r\n", {"S 411 x", "S 423 y"}},
        LimitCase{"NulDropped", std::string("2\0" "24 ok\r\na\0b\r\n.\r\n", 17),
                  {"S 224 * ok", "L ab", "E"}},
        LimitCase{"StatusLineOverLimit", std::string(kLimit + 2, '2'), {"TooLong"}},
        LimitCase{"UnendedDataLineOverLimit", "224 ok\r\n" + std::string(kLimit + 1, 'a'),
                 {"S 224 * ok", "TooLong"}},
        LimitCase{"LineAtTheLimitPasses", "224 ok\r\n" + std::string(kLimit, 'a') + "\r\n.\r\n",
                  {"S 224 * ok", "L " + std::string(kLimit, 'a'), "E"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orvel
