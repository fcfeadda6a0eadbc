// The read handler: split and merged arrivals, NUL bytes, overlong lines,
// the transfer timer, and owners that close or reconnect the connection from
// inside an event.

#include <gtest/gtest.h>

#include <functional>

#include "net/socket_errors.h"
#include "nntp_harness.h"

namespace orvel::test {
namespace {

using Log = std::vector<std::string>;

// Data comes in whole lines: an unfinished line waits for its end, and the
// block with the "." line ends the reply.
TEST(Reading, DataInWholeLinesWithTheEndMarked) {
  NNTPHarness h;
  h.connectReady();
  Log blocks;
  h.conn->OnDataBegin = [&](TNNTP& n) { blocks.push_back("begin " + std::string(n.data())); };
  h.conn->OnData = [&](TNNTP& n) {
    blocks.push_back((n.dataEnded() ? "end " : "data ") + std::string(n.data()));
  };
  h.conn->Xover(1, 3);
  h.transport().receive("224 follows\r\n1\ta\r\n2\tb");
  h.transport().receive("\r\n3\tc\r\n.\r\n");
  EXPECT_EQ(blocks, (Log{"begin ", "data 1\ta\r\n", "end 2\tb\r\n3\tc\r\n.\r\n"}));
  EXPECT_EQ(h.conn->state(), NNTPState::Ready);
}

TEST(Reading, StatusLineSplitOverReadsWaitsForItsEnd) {
  NNTPHarness h;
  h.connectReady();
  h.conn->Group("g");
  h.transport().receive("211 3 1 3");
  EXPECT_TRUE(h.log.empty());
  h.transport().receive(" g\r");
  EXPECT_TRUE(h.log.empty());  // a CR at the end may still be followed by LF
  h.transport().receive("\n");
  EXPECT_EQ(h.takeLog(), (Log{"group g 3 1 3"}));
}

TEST(Reading, ArrivalsGiveTheirEventsAndEndReady) {
  using namespace std::string_literals;
  struct Row {
    const char* name;
    bool group;  // GROUP g, else XOVER 1-1
    std::vector<std::string> arrivals;
    bool bytewise;
    Log log;
  };
  const Row rows[] = {
      {"status line bytewise leaves no stray data line", false,
       {"224 ok\r\n1\tsubject\r\n.\r\n"}, true, {"databegin", "line 1\tsubject", "end"}},
      {"NUL bytes removed", false, {"22\0" "4 ok\r\n1\t\0x\0\r\n.\r\n"s}, false,
       {"databegin", "line 1\tx", "end"}},
      {"blank lines before a status line skipped", true, {"\r\n\r\n", "\r\n211 1 1 1 g\r\n"},
       false, {"group g 1 1 1"}},
      {"LF-only lines and terminator", false, {"224 ok\n1\ta\n.\n"}, false,
       {"databegin", "line 1\ta", "end"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    NNTPHarness h;
    h.connectReady();
    if (row.group) {
      h.conn->Group("g");
    } else {
      h.conn->Xover(1, 1);
    }
    for (const std::string& a : row.arrivals) {
      if (row.bytewise) {
        h.transport().receiveBytewise(a);
      } else {
        h.transport().receive(a);
      }
    }
    EXPECT_EQ(h.takeLog(), row.log);
    EXPECT_EQ(h.conn->state(), NNTPState::Ready);
  }
}

TEST(Reading, OverlongStatusLineClosesWithAnError) {
  NNTPHarness h;
  h.connectReady();
  h.conn->Group("g");
  const std::string junk(TNNTP::kMaxStatusLine + 1, 'x');
  h.transport().receive(junk);
  const Log log = h.takeLog();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].rfind("error 12001 Ligne de statut trop longue", 0), 0u) << log[0];
  EXPECT_EQ(h.conn->state(), NNTPState::Idle);
  EXPECT_FALSE(h.conn->IsConnected());
}

TEST(Reading, EndlessDataLineClosesWithAnError) {
  NNTPHarness h;
  h.connectReady();
  h.conn->Article(1);
  h.transport().receive("220 1 <a@b>\r\n");
  const std::string chunk(1 << 20, 'y');
  for (int i = 0; i < 5 && h.conn->IsConnected(); ++i) h.transport().receive(chunk);
  const Log log = h.takeLog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[1].rfind("error 12001 Ligne de données trop longue", 0), 0u) << log[1];
  EXPECT_FALSE(h.conn->IsConnected());
}

TEST(Reading, PeerClosingMidReplyIsADisconnect) {
  NNTPHarness h;
  h.connectReady();
  h.conn->Xover(1, 10);
  h.transport().receive("224 ok\r\n1\tpart");
  h.transport().peerClose();
  EXPECT_EQ(h.takeLog(), (Log{"databegin", "disconnected"}));
  h.clock.advance(120000);
  EXPECT_TRUE(h.takeLog().empty());
}

TEST(Reading, OwnerEndingTheConnectionInAnEventStopsCleanly) {
  struct Row {
    const char* name;
    std::function<void(NNTPHarness&, std::function<void(TNNTP&)>)> install;
    std::function<void(TNNTP&)> call;
    std::string reply;
  };
  const Row rows[] = {
      {"OnGroup", [](NNTPHarness& h, auto f) { h.conn->OnGroup = f; },
       [](TNNTP& n) { n.Group("g"); }, "211 1 1 1 g\r\n"},
      {"OnDataBegin", [](NNTPHarness& h, auto f) { h.conn->OnDataBegin = f; },
       [](TNNTP& n) { n.Xover(1, 2); }, "224 ok\r\n1\tx\r\n.\r\n"},
      {"OnData", [](NNTPHarness& h, auto f) { h.conn->OnData = f; },
       [](TNNTP& n) { n.Xover(1, 2); }, "224 ok\r\n1\tx\r\n.\r\n"},
      {"OnError", [](NNTPHarness& h, auto f) {
         h.conn->OnError = [f](TNNTP& n, int, const std::string&) { f(n); };
       },
       [](TNNTP& n) { n.Group("g"); }, "411 no\r\n"},
      {"OnQuit", [](NNTPHarness& h, auto f) { h.conn->OnQuit = f; },
       [](TNNTP& n) { n.Quit(); }, "205 bye\r\n"},
  };
  for (const Row& row : rows) {
    for (bool reconnect : {true, false}) {
      SCOPED_TRACE(std::string(row.name) + (reconnect ? " reconnect" : " close"));
      NNTPHarness h;
      h.connectReady();
      int calls = 0;
      row.install(h, [&](TNNTP& n) {
        ++calls;
        n.Close();
        if (reconnect) n.Connect();
      });
      row.call(*h.conn);
      h.transport().takeSent();
      h.transport().receive(row.reply);
      // The rest of the reply belonged to the ended session: nothing read
      // from it reaches the owner or the server.
      EXPECT_EQ(calls, 1);
      EXPECT_EQ(h.conn->state(), reconnect ? NNTPState::Connecting : NNTPState::Idle);
      EXPECT_EQ(h.transport().takeSent(), "");
    }
  }
}

TEST(TransferTimer, DataRestartsIt) {
  NNTPHarness h(NNTPOptions{4, 30});
  h.connectReady();
  h.conn->Xover(1, 100);
  h.transport().receive("224 ok\r\n");
  h.clock.advance(29000);
  h.transport().receive("1\ta\r\n");
  h.clock.advance(29000);
  h.transport().receive("2\tb\r\n");
  h.clock.advance(29000);
  EXPECT_EQ(h.takeLog(), (Log{"databegin", "line 1\ta", "line 2\tb"}));
  h.clock.advance(999);
  EXPECT_TRUE(h.takeLog().empty());
  h.clock.advance(1);
  EXPECT_EQ(h.takeLog(), (Log{"error 11111 Transfer timeout"}));
  EXPECT_EQ(h.conn->LastErrorCode(), 11111);
}

TEST(TransferTimer, NeverFiresWhereNoTimeoutApplies) {
  struct Row {
    const char* name;
    int xferTimeout;
    std::function<void(NNTPHarness&)> act;
    Log log;
  };
  const Row rows[] = {
      {"ready after a reply", 30,
       [](NNTPHarness& h) {
         h.conn->Xover(1, 1);
         h.transport().receive("224 ok\r\n.\r\n");
       },
       {"databegin", "end"}},
      {"zero disables command timeouts", 0, [](NNTPHarness& h) { h.conn->Group("g"); }, {}},
      {"untimed XOVER", 30, [](NNTPHarness& h) { h.conn->Xover(1, 5, false); }, {}},
      {"XPAT", 30, [](NNTPHarness& h) { h.conn->Xpat("Subject 1-5 *"); }, {}},
      {"POST waits for the article", 30, [](NNTPHarness& h) { h.conn->Post(); }, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    NNTPHarness h(NNTPOptions{4, row.xferTimeout});
    h.connectReady();
    row.act(h);
    h.clock.advance(3600 * 1000);
    EXPECT_EQ(h.takeLog(), row.log);
  }
}

TEST(TransferTimer, WithoutHandlerTheConnectionCloses) {
  NNTPHarness h;
  h.connectReady();
  h.conn->RemoveEvents();
  h.conn->Group("g");
  h.clock.advance(30000);
  EXPECT_EQ(h.conn->state(), NNTPState::Idle);
  EXPECT_FALSE(h.conn->IsConnected());
}

TEST(ReceivedBytes, CountsDataSinceTheCommand) {
  NNTPHarness h;
  h.connectReady();
  h.clock.advance(500);
  h.conn->Xover(1, 2);
  EXPECT_EQ(h.conn->startTick(), 500);
  h.transport().receive("224 ok\r\n1\tab\r\n");
  h.transport().receive("2\tcd\r\n.\r\n");
  EXPECT_EQ(h.conn->receivedBytes(), 6 + 9);  // data only, not the status line
}

}  // namespace
}  // namespace orvel::test
