// Commands on a ready connection: the line sent, the waiting state, and what
// each reply leads to.

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

#include "net/socket_errors.h"
#include "nntp_harness.h"

namespace orvel::test {
namespace {

struct CommandCase {
  const char* name;
  std::function<void(TNNTP&)> call;
  std::string line;
  NNTPState waiting;
  std::string reply;  // what the server sends back, CR LF separated
  std::vector<std::string> log;
  NNTPState after;
};

void PrintTo(const CommandCase& c, std::ostream* os) { *os << c.name; }

class Command : public ::testing::TestWithParam<CommandCase> {};

TEST_P(Command, SendsLineAndHandlesReply) {
  const CommandCase& c = GetParam();
  NNTPHarness h;
  h.connectReady();
  c.call(*h.conn);
  EXPECT_EQ(h.transport().takeSentLines(), std::vector<std::string>{c.line});
  EXPECT_EQ(h.conn->state(), c.waiting) << StateName(h.conn->state());
  EXPECT_TRUE(h.conn->IsBusy());
  h.transport().receive(c.reply);
  EXPECT_EQ(h.takeLog(), c.log);
  EXPECT_EQ(h.conn->state(), c.after) << StateName(h.conn->state());
}

TEST_P(Command, SameResultWhenTheReplyArrivesByteByByte) {
  const CommandCase& c = GetParam();
  NNTPHarness h;
  h.connectReady();
  c.call(*h.conn);
  h.transport().receiveBytewise(c.reply);
  EXPECT_EQ(h.takeLog(), c.log);
  EXPECT_EQ(h.conn->state(), c.after) << StateName(h.conn->state());
}

const CommandCase kCommands[] = {
    {"GroupAccepted", [](TNNTP& n) { n.Group("test.small"); }, "GROUP test.small",
     NNTPState::AwaitingGroup, "211 12 1 12 test.small\r\n", {"group test.small 12 1 12"},
     NNTPState::Ready},
    {"GroupRefused", [](TNNTP& n) { n.Group("no.such"); }, "GROUP no.such",
     NNTPState::AwaitingGroup, "411 No such group no.such\r\n",
     {"error 411 411 No such group no.such"}, NNTPState::Ready},
    {"XoverRange", [](TNNTP& n) { n.Xover(5, 9); }, "XOVER 5-9", NNTPState::AwaitingOverview,
     "224 Overview follows\r\n5\tSubj\r\n6\tS2\r\n.\r\n",
     {"databegin", "line 5\tSubj", "line 6\tS2", "end"}, NNTPState::Ready},
    {"XoverSingle", [](TNNTP& n) { n.Xover(5, 5); }, "XOVER 5", NNTPState::AwaitingOverview,
     "224 ok\r\n.\r\n", {"databegin", "end"}, NNTPState::Ready},
    {"XoverEmptyListIsData", [](TNNTP& n) { n.Xover(9999, 10000); }, "XOVER 9999-10000",
     NNTPState::AwaitingOverview, "224 No articles in 9999-10000\r\n.\r\n", {"databegin", "end"},
     NNTPState::Ready},
    {"XoverRefused", [](TNNTP& n) { n.Xover(1, 3); }, "XOVER 1-3", NNTPState::AwaitingOverview,
     "412 Not in a newsgroup\r\n", {"error 412 412 Not in a newsgroup"}, NNTPState::Ready},
    {"XhdrRange", [](TNNTP& n) { n.Xhdr("Subject", 1, 2); }, "XHDR Subject 1-2",
     NNTPState::AwaitingHeaders, "221 Header follows\r\n1 a\r\n2 b\r\n.\r\n",
     {"databegin", "line 1 a", "line 2 b", "end"}, NNTPState::Ready},
    {"XhdrSingle", [](TNNTP& n) { n.Xhdr("From", 3, 3); }, "XHDR From 3",
     NNTPState::AwaitingHeaders, "221 h\r\n.\r\n", {"databegin", "end"}, NNTPState::Ready},
    {"XhdrNoneLineIsData", [](TNNTP& n) { n.Xhdr("X-Foo", 1, 2); }, "XHDR X-Foo 1-2",
     NNTPState::AwaitingHeaders, "(NONE)\r\n.\r\n", {"databegin", "end"}, NNTPState::Ready},
    {"XpatAccepted", [](TNNTP& n) { n.Xpat("Subject 1-12 *x*"); }, "XPAT Subject 1-12 *x*",
     NNTPState::AwaitingPattern, "221 follows\r\n3 x\r\n.\r\n", {"databegin", "line 3 x", "end"},
     NNTPState::Ready},
    {"ListAll", [](TNNTP& n) { n.List(); }, "LIST", NNTPState::AwaitingList,
     "215 list\r\ntest.small 0000000012 0000000001 y\r\n.\r\n",
     {"databegin", "line test.small 0000000012 0000000001 y", "end"}, NNTPState::Ready},
    {"ListSinceIsNewgroups", [](TNNTP& n) { n.List("261206 191353"); },
     "NEWGROUPS 261206 191353 GMT", NNTPState::AwaitingList, "231 new\r\n.\r\n",
     {"databegin", "end"}, NNTPState::Ready},
    {"HeadByNumber", [](TNNTP& n) { n.Head(2); }, "HEAD 2", NNTPState::AwaitingHead,
     "221 2 <a@b> head\r\nSubject: x\r\n.\r\n", {"databegin", "line Subject: x", "end"},
     NNTPState::Ready},
    {"HeadByIdRefused", [](TNNTP& n) { n.Head(std::string("<x@y>")); }, "HEAD <x@y>",
     NNTPState::AwaitingHead, "430 No such article\r\n", {"error 430 430 No such article"},
     NNTPState::Ready},
    {"ArticleDotStuffed", [](TNNTP& n) { n.Article(5); }, "ARTICLE 5",
     NNTPState::AwaitingArticle, "220 5 <a@b> article\r\nS: x\r\n\r\n..dot\r\n.\r\n",
     {"databegin", "line S: x", "line ", "line .dot", "end"}, NNTPState::Ready},
    {"StatFound", [](TNNTP& n) { n.Stat("<a@b>"); }, "STAT <a@b>", NNTPState::AwaitingStat,
     "223 0 <a@b>\r\n", {"stat found"}, NNTPState::Ready},
    {"StatMissing", [](TNNTP& n) { n.Stat("<a@b>"); }, "STAT <a@b>", NNTPState::AwaitingStat,
     "430 No such article\r\n", {"stat missing"}, NNTPState::Ready},
    {"StatRefused", [](TNNTP& n) { n.Stat("<a@b>"); }, "STAT <a@b>", NNTPState::AwaitingStat,
     "480 Authentication required\r\n", {"error 480 480 Authentication required"},
     NNTPState::Ready},
    {"PostGoAhead", [](TNNTP& n) { n.Post(); }, "POST", NNTPState::AwaitingPostGoAhead,
     "340 send it\r\n", {"beginpost"}, NNTPState::AwaitingPostResult},
    {"PostRefused", [](TNNTP& n) { n.Post(); }, "POST", NNTPState::AwaitingPostGoAhead,
     "440 Posting not allowed\r\n", {"error 440 440 Posting not allowed"}, NNTPState::Ready},
    {"QuitAnyReply", [](TNNTP& n) { n.Quit(); }, "QUIT", NNTPState::AwaitingQuit,
     "500 whatever\r\n", {"quit"}, NNTPState::Idle},
};

INSTANTIATE_TEST_SUITE_P(All, Command, ::testing::ValuesIn(kCommands),
                         [](const auto& info) { return std::string(info.param.name); });

struct GroupCase {
  const char* name;
  std::string reply;
  std::int64_t count, first, last;
  std::string group;
};

void PrintTo(const GroupCase& c, std::ostream* os) { *os << c.name; }

class GroupReply : public ::testing::TestWithParam<GroupCase> {};

TEST_P(GroupReply, ParsesWithFallbacks) {
  const GroupCase& c = GetParam();
  NNTPHarness h;
  h.connectReady();
  h.conn->Group("asked.for");
  h.transport().receive(c.reply + "\r\n");
  EXPECT_EQ(h.conn->count(), c.count);
  EXPECT_EQ(h.conn->first(), c.first);
  EXPECT_EQ(h.conn->last(), c.last);
  EXPECT_EQ(h.conn->currentGroup(), c.group);
}

const GroupCase kGroups[] = {
    {"Plain", "211 12 1 12 test.small", 12, 1, 12, "test.small"},
    {"EmptyGroupOfInn", "211 0 1 0 test.empty", 0, 0, 1, "test.empty"},
    {"AllZero", "211 0 0 0 g", 0, 0, 1, "g"},
    {"Unreadable", "211 x y z g", 0, 1, 1, "g"},
    {"LastMissing", "211 5 10", 5, 10, 15, "asked.for"},
    {"Swapped", "211 5 10 3 g", 5, 3, 10, "g"},
    {"TabsAndBlanks", "211\t3  4\t6 g.h", 3, 4, 6, "g.h"},
    {"BeyondThirtyTwoBits", "211 2 4294967296 4294967297 big", 2, 4294967296LL,
     4294967297LL, "big"},
};

INSTANTIATE_TEST_SUITE_P(All, GroupReply, ::testing::ValuesIn(kGroups),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Commands, NotConnectedRaises10002AndSendsNothing) {
  NNTPHarness h;
  h.conn->Group("test.small");
  EXPECT_EQ(h.takeLog(), (std::vector<std::string>{"error 10002 10002 Not connected"}));
  EXPECT_EQ(h.conn->LastErrorCode(), 10002);
  EXPECT_EQ(h.conn->state(), NNTPState::Idle);
  EXPECT_TRUE(h.net.transports().size() == 1 && h.transport().sent().empty());
}

TEST(Commands, QuitOnlyWhenReadyOrLoginFailed) {
  NNTPHarness h;
  h.connectReady();
  h.conn->Group("g");
  h.transport().takeSent();
  h.conn->Quit();
  EXPECT_EQ(h.transport().takeSent(), "");
  EXPECT_EQ(h.conn->state(), NNTPState::AwaitingGroup);
}

TEST(Commands, QuitReplyDropsTheConnection) {
  NNTPHarness h;
  h.connectReady();
  h.conn->Quit();
  h.transport().receive("205 Bye!\r\n");
  EXPECT_EQ(h.takeLog(), (std::vector<std::string>{"quit"}));
  EXPECT_FALSE(h.conn->IsConnected());
  EXPECT_EQ(h.conn->lastReply(), "205 Bye!");
}

TEST(Commands, ArticleNumberIsMinusOneUntilTheReply) {
  NNTPHarness h;
  h.connectReady();
  h.conn->Article(std::string("<id@x>"));
  EXPECT_EQ(h.conn->articleNumber(), -1);
  h.transport().receive("220 0 <id@x> article\r\n");
  EXPECT_EQ(h.conn->articleNumber(), 0);
  h.transport().receive(".\r\n");
  h.conn->Article(7);
  h.transport().receive("220 7 <b@x>\r\n");
  EXPECT_EQ(h.conn->articleNumber(), 7);
}

TEST(Commands, PostSendsTheArticleDotStuffed) {
  NNTPHarness h;
  h.connectReady();
  h.conn->Post();
  h.transport().receive("340 Ok\r\n");
  h.transport().takeSent();
  h.conn->SendArticle("Subject: t\r\n\r\n.leading dot\nlast");
  EXPECT_EQ(h.transport().takeSent(), "Subject: t\r\n\r\n..leading dot\r\nlast\r\n.\r\n");
  h.transport().receive("240 Article received <x@y>\r\n");
  EXPECT_EQ(h.takeLog(), (std::vector<std::string>{"beginpost", "endpost"}));
  EXPECT_EQ(h.conn->state(), NNTPState::Ready);

  // A prepared article goes as it is: no second dot-stuffing.
  h.conn->Post();
  h.transport().receive("340 Ok\r\n");
  h.transport().takeSent();
  h.conn->SendPreparedArticle("Subject: t\r\n\r\n..x\r\n.\r\n");
  EXPECT_EQ(h.transport().takeSent(), "Subject: t\r\n\r\n..x\r\n.\r\n");
}

TEST(Commands, PostResultRefusedIsAnErrorAndReady) {
  NNTPHarness h;
  h.connectReady();
  h.conn->Post();
  h.transport().receive("340 Ok\r\n");
  h.conn->SendArticle("x");
  h.transport().receive("441 Missing required Newsgroups header field\r\n");
  EXPECT_EQ(h.takeLog(), (std::vector<std::string>{
                             "beginpost", "error 441 441 Missing required Newsgroups header field"}));
  EXPECT_EQ(h.conn->state(), NNTPState::Ready);
}

TEST(Commands, LinesInReadyStateAreIgnored) {
  NNTPHarness h;
  h.connectReady();
  h.transport().receive("400 server going down\r\n");
  EXPECT_TRUE(h.takeLog().empty());
  EXPECT_EQ(h.conn->state(), NNTPState::Ready);
  EXPECT_EQ(h.conn->lastReply(), "400 server going down");
}

// Where the server lists OVER and HDR the overview and header commands go by
// them, and their 423 for a range without articles reads as the empty list
// XOVER and XHDR give; without the capability the old verbs go, and their
// 423 stays an error.
struct VerbCase {
  const char* name;
  const char* capabilities;  // data lines of the CAPABILITIES reply
  std::function<void(TNNTP&)> call;
  std::vector<std::string> sent;
  std::vector<std::string> log;
};

void PrintTo(const VerbCase& c, std::ostream* os) { *os << c.name; }

class ExtensionVerb : public ::testing::TestWithParam<VerbCase> {};

TEST_P(ExtensionVerb, SentWhereOfferedAndEmptyRangeIsAnEmptyList) {
  const VerbCase& c = GetParam();
  NNTPHarness h;
  h.profile->extensions = true;
  h.conn->Connect();
  h.transport().accept();
  h.transport().receive(std::string("200 hi\r\n101 caps\r\nVERSION 2\r\nREADER\r\n") +
                        c.capabilities + ".\r\n");
  std::vector<std::string> login{"CAPABILITIES"};
  if (h.conn->state() == NNTPState::AwaitingOverviewFormat) {
    login.push_back("LIST OVERVIEW.FMT");
    h.transport().receive("503 no list\r\n");
  }
  EXPECT_EQ(h.transport().takeSentLines(), login);
  ASSERT_EQ(h.conn->state(), NNTPState::Ready) << StateName(h.conn->state());
  c.call(*h.conn);
  EXPECT_EQ(h.transport().takeSentLines(), c.sent);
  h.transport().receive("423 No articles in 5-9\r\n");
  EXPECT_EQ(h.takeLog(), c.log);
  EXPECT_EQ(h.conn->state(), NNTPState::Ready);
}

const std::vector<std::string> kEmptyList{"connected", "banner", "databegin", "end"};
const std::vector<std::string> kRefused{"connected", "banner", "error 423 423 No articles in 5-9"};

INSTANTIATE_TEST_SUITE_P(
    Commands, ExtensionVerb,
    ::testing::Values(
        VerbCase{"Over", "OVER\r\n", [](TNNTP& c) { c.Xover(5, 9); }, {"OVER 5-9"}, kEmptyList},
        VerbCase{"Hdr", "HDR\r\n", [](TNNTP& c) { c.Xhdr("X-Foo", 5, 9); }, {"HDR X-Foo 5-9"},
                 kEmptyList},
        VerbCase{"HdrOfOneArticle", "HDR\r\n", [](TNNTP& c) { c.Xhdr("X-Foo", 7, 7); },
                 {"HDR X-Foo 7"}, kEmptyList},
        VerbCase{"XoverWithoutOver", "HDR\r\n", [](TNNTP& c) { c.Xover(5, 9); }, {"XOVER 5-9"},
                 kRefused},
        VerbCase{"XhdrWithoutHdr", "OVER\r\n", [](TNNTP& c) { c.Xhdr("X-Foo", 5, 9); },
                 {"XHDR X-Foo 5-9"}, kRefused}),
    [](const auto& info) { return std::string(info.param.name); });

// The field order LIST OVERVIEW.FMT gave during the login is the
// connection's, for the overview parser.
TEST(Commands, OverviewFormatReadDuringTheLogin) {
  NNTPHarness h;
  h.profile->extensions = true;
  h.conn->Connect();
  h.transport().accept();
  h.transport().receive("200 hi\r\n101 caps\r\nVERSION 2\r\nREADER\r\nOVER\r\n.\r\n");
  EXPECT_EQ(h.conn->state(), NNTPState::AwaitingOverviewFormat);
  h.transport().receive(
      "215 fmt\r\nFrom:\r\nSubject:\r\nDate:\r\nMessage-ID:\r\nReferences:\r\n"
      ":lines\r\n.\r\n");
  EXPECT_EQ(h.transport().takeSentLines(),
            (std::vector<std::string>{"CAPABILITIES", "LIST OVERVIEW.FMT"}));
  EXPECT_EQ(h.takeLog(), (std::vector<std::string>{"connected", "banner"}));
  EXPECT_EQ(h.conn->overviewFormat().column(OverviewField::From), 1);
  EXPECT_EQ(h.conn->overviewFormat().column(OverviewField::Bytes), 0);
  EXPECT_EQ(h.conn->overviewFormat().column(OverviewField::Lines), 6);
}

}  // namespace
}  // namespace orvel::test
