// Every fault kind over real loopback sockets: what the client sees, byte
// for byte, and that the fault stops when its uses or connections run out.

#include <gtest/gtest.h>

#include <chrono>

#include "fixture_harness.h"
#include "fixture_server/options.h"
#include "nntp_test_client.h"

namespace orvel::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using End = NntpTestClient::End;

class FaultInjectionTest : public testing::Test {
 protected:
  void SetUp() override {
    server_ = startTestServer();
    control_ = connect();
  }
  std::unique_ptr<NntpTestClient> connect() {
    auto c = std::make_unique<NntpTestClient>(server_->port());
    greeting_ = c->readLine().value_or("");
    return c;
  }
  void fault(const std::string& spec) {
    ASSERT_TRUE(control_->command("XFAULT " + spec).starts_with("290 Fault ")) << spec;
  }
  // The bytes of a clean reply to the command on a fresh connection.
  std::string cleanReply(const std::string& group, const std::string& command) {
    auto c = connect();
    c->command("GROUP " + group);
    c->send(command);
    std::string status = c->readLine().value_or("") + "\r\n";
    return status + c->readRawBlock();
  }
  std::unique_ptr<TestServer> server_;
  std::unique_ptr<NntpTestClient> control_;
  std::string greeting_;
};

TEST_F(FaultInjectionTest, ResetAfterBytesCutsTheReplyExactlyThere) {
  std::string clean = cleanReply("alt.gen", "XOVER 1-100");
  ASSERT_GT(clean.size(), 5000u);
  fault("cmd=XOVER once reset 5000");
  auto c = connect();
  c->command("GROUP alt.gen");
  c->send("XOVER 1-100");
  std::string got = c->readAll();
  EXPECT_EQ(c->end(), End::Reset);
  EXPECT_EQ(got, clean.substr(0, 5000));
  // Used once: the next XOVER is whole.
  EXPECT_EQ(cleanReply("alt.gen", "XOVER 1-100"), clean);
}

TEST_F(FaultInjectionTest, ResetBeyondAShortReplyResetsAtItsEnd) {
  fault("cmd=GROUP once reset 100000");
  auto c = connect();
  c->send("GROUP alt.gen");
  EXPECT_EQ(c->readAll(), "211 100 1 100 alt.gen\r\n");
  EXPECT_EQ(c->end(), End::Reset);
}

TEST_F(FaultInjectionTest, ResetOnTheGreetingOfTheNextConnection) {
  fault("conns=1 reset 3");
  NntpTestClient c(server_->port());
  EXPECT_EQ(c.readAll(), "200");
  EXPECT_EQ(c.end(), End::Reset);
  // The connection that set the fault and later ones are untouched.
  EXPECT_EQ(control_->command("GROUP alt.gen"), "211 100 1 100 alt.gen");
  auto later = connect();
  EXPECT_TRUE(greeting_.starts_with("200 "));
}

TEST_F(FaultInjectionTest, StallBeforeTheReplyKeepsOtherConnectionsServed) {
  fault("cmd=GROUP group=alt.gen once stall 1.5");
  auto stalled = connect();
  auto start = Clock::now();
  stalled->send("GROUP alt.gen");
  // Meanwhile another connection is answered.
  auto other = connect();
  EXPECT_EQ(other->command("GROUP alt.corpus"), "211 4 1 5 alt.corpus");
  EXPECT_LT(Clock::now() - start, 1500ms);
  EXPECT_EQ(stalled->readLine(), "211 100 1 100 alt.gen");
  EXPECT_GE(Clock::now() - start, 1400ms);
}

TEST_F(FaultInjectionTest, StallAfterBytesSendsThemFirst) {
  std::string clean = cleanReply("alt.gen", "XOVER 1-50");
  fault("cmd=XOVER once stall 30 after=300");
  auto c = connect();
  c->command("GROUP alt.gen");
  c->send("XOVER 1-50");
  c->setTimeout(1500ms);
  std::string got = c->readAll();
  EXPECT_EQ(c->end(), End::TimedOut);
  EXPECT_EQ(got, clean.substr(0, 300));
}

TEST_F(FaultInjectionTest, ReplyCodeReplacesTheCommandOnce) {
  fault("cmd=ARTICLE once reply 430");
  auto c = connect();
  c->command("GROUP alt.gen");
  EXPECT_EQ(c->command("ARTICLE 3"), "430 No such article");
  EXPECT_EQ(c->command("ARTICLE 3"), "220 3 " + GeneratedId("alt.gen", 3) + " article");
}

TEST_F(FaultInjectionTest, ReplyForOneGroupOnly) {
  fault("cmd=GROUP group=alt.gen reply 411 No such group alt.gen");
  auto c = connect();
  EXPECT_EQ(c->command("GROUP alt.gen"), "411 No such group alt.gen");
  EXPECT_EQ(c->command("GROUP alt.corpus"), "211 4 1 5 alt.corpus");
  EXPECT_EQ(c->command("GROUP alt.gen"), "411 No such group alt.gen");
}

TEST_F(FaultInjectionTest, ReplyToEverythingLeavesControlCommandsWorking) {
  fault("conns=1 reply 502");
  auto c = connect();
  EXPECT_EQ(c->command("GROUP alt.gen"), "502 Permission denied");
  EXPECT_EQ(c->command("LIST"), "502 Permission denied");
  EXPECT_EQ(c->command("XFAULT CLEAR"), "290 Faults cleared");
  EXPECT_EQ(c->command("GROUP alt.gen"), "211 100 1 100 alt.gen");
}

TEST_F(FaultInjectionTest, Reply480ToGroupOnAnOpenServer) {
  fault("cmd=GROUP uses=2 reply 480");
  auto c = connect();
  EXPECT_EQ(c->command("GROUP alt.gen"), "480 Authentication required for command");
  EXPECT_EQ(c->command("GROUP alt.gen"), "480 Authentication required for command");
  EXPECT_EQ(c->command("GROUP alt.gen"), "211 100 1 100 alt.gen");
}

TEST_F(FaultInjectionTest, DripSendsOneByteAtATime) {
  fault("cmd=GROUP once drip 2");
  auto c = connect();
  c->send("GROUP alt.gen");
  std::string first = c->readSome(100);
  EXPECT_EQ(first, "2");
  EXPECT_EQ(c->readLine(), "11 100 1 100 alt.gen");
}

TEST_F(FaultInjectionTest, CloseAfterGreetingIsAnOrderlyClose) {
  fault("conns=1 close-after-greeting");
  NntpTestClient c(server_->port());
  EXPECT_EQ(c.readAll(), greeting_ + "\r\n");
  EXPECT_EQ(c.end(), End::Closed);
}

struct GreetingCase {
  const char* name;
  const char* spec;
  const char* line;
};

void PrintTo(const GreetingCase& c, std::ostream* os) { *os << c.name; }

class GreetingFaultTest : public FaultInjectionTest, public testing::WithParamInterface<GreetingCase> {};

TEST_P(GreetingFaultTest, UnavailableServerGreetsAndCloses) {
  fault(GetParam().spec);
  NntpTestClient c(server_->port());
  EXPECT_EQ(c.readAll(), std::string(GetParam().line) + "\r\n");
  EXPECT_EQ(c.end(), End::Closed);
  auto next = connect();
  EXPECT_TRUE(greeting_.starts_with("200 ")) << greeting_;
}

INSTANTIATE_TEST_SUITE_P(
    Table, GreetingFaultTest,
    testing::Values(GreetingCase{"Code400", "conns=1 greeting 400", "400 Service temporarily unavailable"},
                    GreetingCase{"Code502WithText", "once greeting 502 Go away", "502 Go away"}),
    [](const testing::TestParamInfo<GreetingCase>& info) { return std::string(info.param.name); });

TEST_F(FaultInjectionTest, OmitLeavesNumbersOutOfListings) {
  fault("cmd=XOVER,XHDR uses=2 omit 3,5-6");
  auto c = connect();
  c->command("GROUP alt.gen");
  // cmd=XOVER meets OVER too.
  EXPECT_EQ(c->command("OVER 1-8").substr(0, 4), "224 ");
  std::vector<std::string> numbers;
  for (const std::string& line : c->readBlock()) numbers.push_back(line.substr(0, line.find('\t')));
  EXPECT_EQ(numbers, (std::vector<std::string>{"1", "2", "4", "7", "8"}));
  EXPECT_EQ(c->command("XHDR Lines 2-4"), "221 Header information for Lines follows (from overview)");
  std::vector<std::string> lines = c->readBlock();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_TRUE(lines[0].starts_with("2 "));
  EXPECT_TRUE(lines[1].starts_with("4 "));
  EXPECT_EQ(c->command("XOVER 1-8"), "224 Overview information for 1-8 follows");
  EXPECT_EQ(c->readBlock().size(), 8u);
}

TEST_F(FaultInjectionTest, ListAndClearAndBadSpecs) {
  fault("cmd=XOVER once reset 10");
  fault("group=alt.gen stall 2 after=7");
  EXPECT_EQ(control_->command("XFAULT LIST"), "291 Faults follow");
  EXPECT_EQ(control_->readBlock(),
            (std::vector<std::string>{"1: cmd=XOVER uses=1 reset 10", "2: group=alt.gen stall 2 after=7"}));
  EXPECT_EQ(control_->command("XFAULT explode"), "501 unknown fault kind: explode");
  EXPECT_EQ(control_->command("XFAULT CLEAR"), "290 Faults cleared");
  EXPECT_EQ(control_->command("XFAULT LIST"), "291 Faults follow");
  EXPECT_TRUE(control_->readBlock().empty());
}

TEST(FaultOptionTest, StartFaultsCountTheFirstConnections) {
  fixture::Options options;
  options.generated.push_back({"alt.gen", 10, 1});
  options.faults.push_back(std::get<fixture::FaultSpec>(fixture::parseFault("conns=1 reply 502")));
  auto server = std::make_unique<fixture::Server>(options.config);
  fixture::configureServer(*server, options);
  server->listen("127.0.0.1", 0);
  fixture::ServerThread running(std::move(server));
  NntpTestClient first(running.port());
  first.readLine();
  EXPECT_EQ(first.command("GROUP alt.gen"), "502 Permission denied");
  NntpTestClient second(running.port());
  second.readLine();
  EXPECT_EQ(second.command("GROUP alt.gen"), "211 10 1 10 alt.gen");
}

TEST(FaultAuthTest, ControlCommandsNeedNoLogin) {
  fixture::ServerConfig config;
  config.authUser = "u";
  config.authPassword = "p";
  auto server = startTestServer(config);
  NntpTestClient c(server->port());
  c.readLine();
  EXPECT_EQ(c.command("XFAULT cmd=GROUP once reply 502"), "290 Fault 1 set: cmd=GROUP uses=1 reply 502 Permission denied");
  EXPECT_EQ(c.command("GROUP alt.gen"), "502 Permission denied");
  EXPECT_EQ(c.command("GROUP alt.gen"), "480 Authentication required for command");
}

}  // namespace
}  // namespace orvel::test
