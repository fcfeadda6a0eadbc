// The group list against the fixture server's faults over real loopback
// sockets: a connection reset in the middle of a LIST, and a server that
// stalls on one GROUP of a count run.

#include <gtest/gtest.h>

#include <filesystem>

#include "config/servers_file.h"
#include "config/temp_base_dir.h"
#include "groups/group_list.h"
#include "net/qt/qt_clock.h"
#include "net/qt/qt_network.h"
#include "net/socket_errors.h"
#include "support/qt_event_loop.h"
#include "fixture_process.h"
#include "support/scripted_prompter.h"

namespace orvel::test {
namespace {

std::vector<std::string> generatedGroups(int count) {
  std::vector<std::string> args;
  for (int i = 0; i < count; ++i) {
    args.push_back("--generate");
    args.push_back("alt.fixture.group" + std::to_string(i) + ":5");
  }
  return args;
}

class GroupsFixtureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qtApp();
    if (!std::filesystem::exists(fixtureServerPath())) GTEST_SKIP() << "not built";
  }

  TGroupList& open(int port, const std::string& newsrc, NNTPOptions nntp = {}) {
    dir.write("fx.newsrc", newsrc);
    profile->alias = "fx";
    profile->host = "127.0.0.1";
    profile->port = port;
    profile->newsrcPath = dir.file("fx.newsrc");
    pool.setOptions(nntp);
    GroupListOptions options;
    options.serversIniPath = dir.file("servers.ini");
    options.updateCountInterval = 0;
    list = std::make_unique<TGroupList>(profile, pool, clock, prompter, host, options);
    EXPECT_TRUE(list->OpenServer());
    return *list;
  }

  bool waitIdle() { return runUntil([this] { return !list->busy(); }, 10000); }

  TempBaseDir dir;
  QtNetPlatform platform;
  QtClock clock;
  ScriptedPrompter prompter;
  ConnectionPool pool{platform, clock, prompter};
  GroupListHost host;
  std::shared_ptr<TProfile> profile = std::make_shared<TProfile>();
  std::unique_ptr<TGroupList> list;
};

TEST_F(GroupsFixtureTest, ResetInTheMiddleOfAListKeepsWhatArrived) {
  auto args = generatedGroups(40);
  args.insert(args.end(), {"--fault", "cmd=LIST reset 700"});
  FixtureProcess server(args);
  ASSERT_GT(server.port(), 0);
  // The login's LIST OVERVIEW.FMT would meet the fault before the group list.
  profile->extensions = false;
  TGroupList& l = open(server.port(), "alt.before!\r\n");
  l.ListGroups(false);
  ASSERT_TRUE(waitIdle());
  EXPECT_FALSE(l.lastOutcome().completed);
  EXPECT_EQ(prompter.lastStatus(), l.lastOutcome().errorText);
  const std::size_t groups = l.lists().all().size();
  EXPECT_GT(groups, 2u) << "the groups before the reset stay";
  EXPECT_LT(groups, 41u);
  EXPECT_EQ(ReadLastUpdated(dir.file("servers.ini"), "fx"), "");
}

TEST_F(GroupsFixtureTest, StalledGroupEndsTheCountRunAfterTheTimeout) {
  auto args = generatedGroups(3);
  args.insert(args.end(), {"--fault", "cmd=GROUP group=alt.fixture.group1 stall 5"});
  FixtureProcess server(args);
  ASSERT_GT(server.port(), 0);
  NNTPOptions nntp;
  nntp.xferTimeOutSec = 1;
  TGroupList& l = open(server.port(),
                       "alt.fixture.group0:\r\nalt.fixture.group1:\r\nalt.fixture.group2:\r\n", nntp);
  l.GetAllCounts();
  ASSERT_TRUE(waitIdle());
  EXPECT_EQ(l.lastOutcome().errorCode, neterr::kTransferTimeout);
  EXPECT_EQ(prompter.lastStatus(), "Transfer timeout");
  EXPECT_EQ(l.FindGroup("alt.fixture.group0")->total, 5);
  EXPECT_EQ(l.FindGroup("alt.fixture.group2")->total, -1) << "the run stopped";
}

}  // namespace
}  // namespace orvel::test
