// The group list against the real INN 2 of scripts/test-servers: the full
// list, new groups after a group is created on the server, counts with a
// missing group in the middle, unread counts over a group whose first
// article is 100; and orvel-cli groups end to end.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>
#include <thread>

#include "app/cli/commands.h"
#include "config/servers_file.h"
#include "config/temp_base_dir.h"
#include "core/perlre.h"
#include "groups/group_list.h"
#include "net/qt/qt_clock.h"
#include "net/qt/qt_network.h"
#include "support/qt_event_loop.h"
#include "support/scripted_prompter.h"
#include "support/test_servers.h"

namespace orvel::test {
namespace {

// Runs scripts/test-servers with arguments; its exit status.
int harness(const std::string& arguments) {
  const std::string command =
      std::string(ORVEL_SOURCE_DIR) + "/scripts/test-servers " + arguments + " >/dev/null 2>&1";
  return std::system(command.c_str());
}

struct EndCounter : GroupListObserver {
  void requestEnded(const RequestOutcome& o) override { outcomes.push_back(o); }
  std::vector<RequestOutcome> outcomes;
};

class GroupsInnTest : public ::testing::Test {
 protected:
  void SetUp() override { qtApp(); }

  // A list for the open reader of the test servers.
  TGroupList& open(const TestServers& s, const std::string& newsrc) {
    if (!newsrc.empty()) dir.write("inn.newsrc", newsrc);
    profile->alias = "inn";
    profile->host = s.host();
    profile->port = s.port("ORVEL_NNTP_PORT");
    profile->newsrcPath = dir.file("inn.newsrc");
    GroupListOptions options;
    options.serversIniPath = dir.file("servers.ini");
    options.updateCountInterval = 0;
    list = std::make_unique<TGroupList>(profile, pool, clock, prompter, host, options);
    list->setObserver(&ends);
    EXPECT_TRUE(list->OpenServer());
    return *list;
  }

  // Waits for the running request to end.
  bool waitIdle() {
    return runUntil([this] { return !list->busy(); }, 10000);
  }

  TGrpInfo& group(const std::string& name) {
    TGrpInfo* g = list->FindGroup(name);
    EXPECT_NE(g, nullptr) << name;
    static TGrpInfo none;
    return g ? *g : none;
  }

  TempBaseDir dir;
  QtNetPlatform platform;
  QtClock clock;
  ScriptedPrompter prompter;
  ConnectionPool pool{platform, clock, prompter};
  GroupListHost host;
  std::shared_ptr<TProfile> profile = std::make_shared<TProfile>();
  EndCounter ends;
  std::unique_ptr<TGroupList> list;
};

TEST_F(GroupsInnTest, FullListThenCountsPastAMissingGroup) {
  ORVEL_REQUIRE_TEST_SERVERS(s);
  prompter.answer(Button::Yes);
  TGroupList& l = open(s, "");
  ASSERT_TRUE(waitIdle());
  ASSERT_EQ(ends.outcomes.size(), 1u);
  EXPECT_TRUE(ends.outcomes[0].completed) << ends.outcomes[0].errorText;
  for (const char* name : {"test.small", "test.threads", "test.big", "test.empty"}) {
    EXPECT_EQ(group(name).state, SubscriptionState::New) << name;
  }
  EXPECT_EQ(group("test.small").first, 1);
  EXPECT_EQ(group("test.small").last, 12);
  EXPECT_EQ(group("test.big").total, 10000);
  EXPECT_EQ(l.lastListSkipped(), 0);
  TPerlre stamp;
  EXPECT_TRUE(stamp.CompileAndMatch("^\\d{6} \\d{6}$",
                                    ReadLastUpdated(dir.file("servers.ini"), "inn")));

  l.AddGroupsByName("test.small,test.no-such-group,test.threads");
  l.GetAllCounts();
  ASSERT_TRUE(waitIdle());
  ASSERT_EQ(ends.outcomes.size(), 2u);
  EXPECT_TRUE(ends.outcomes[1].completed) << ends.outcomes[1].errorText;
  EXPECT_TRUE(prompter.statuses().end() !=
              std::find(prompter.statuses().begin(), prompter.statuses().end(),
                        "411 No such group test.no-such-group"));
  EXPECT_EQ(group("test.small").unread, 12);
  EXPECT_EQ(group("test.threads").unread, 60);
  EXPECT_EQ(group("test.no-such-group").unread, -1);

  ASSERT_TRUE(l.Close());
  EXPECT_EQ(dir.read("inn.Orvelrc"), ":test.small\r\n:test.no-such-group\r\n:test.threads\r\n");
  EXPECT_EQ(dir.read("inn.newsrc").rfind("test.small:\r\ntest.no-such-group:\r\ntest.threads:\r\n", 0),
            0u);
}

TEST_F(GroupsInnTest, NewGroupsFindsAGroupCreatedAfterTheList) {
  ORVEL_REQUIRE_TEST_SERVERS(s);
  const std::string name = "test.groups.new" + std::to_string(::getpid());
  // Made by another test when missing: it must not be the new group seen here.
  ASSERT_EQ(harness("newgroup test.window 199 100"), 0);
  ASSERT_EQ(harness("rmgroup " + name), 0);
  TGroupList& l = open(s, "test.small!\r\n");
  l.ListGroups(false);  // no LastUpdated yet: the whole list
  ASSERT_TRUE(waitIdle());
  EXPECT_EQ(l.FindGroup(name), nullptr);
  // NEWGROUPS counts whole seconds: the group must be younger than the list.
  std::this_thread::sleep_for(std::chrono::milliseconds(1100));
  ASSERT_EQ(harness("newgroup " + name), 0);

  prompter.clear();
  l.ListGroups(false);
  ASSERT_TRUE(waitIdle());
  EXPECT_TRUE(ends.outcomes.back().completed) << ends.outcomes.back().errorText;
  // Tests beside this one make groups of their own (test.window, the GUI
  // tests' test.gui.*) within the same seconds: they are listed too, and may
  // be new, so only this test's group is checked by name.
  TPerlre status;
  EXPECT_TRUE(status.CompileAndMatch("^Termin\xC3\xA9: [1-9]\\d* groupes, [1-9]\\d* nouveaux  $",
                                     prompter.lastStatus()))
      << prompter.lastStatus();
  EXPECT_EQ(group(name).state, SubscriptionState::New);
  EXPECT_NE(l.FindGroup("test.big"), nullptr);
  EXPECT_EQ(harness("rmgroup " + name), 0);
}

TEST_F(GroupsInnTest, UnreadOverAGroupStartingAtArticle100) {
  ORVEL_REQUIRE_TEST_SERVERS(s);
  // test.window: articles 1..199 posted, 1..99 cancelled and expired.
  ASSERT_EQ(harness("newgroup test.window 199 100"), 0);
  TGroupList& l = open(s, "test.window: 1-150\r\n");
  l.GetAllCounts();
  ASSERT_TRUE(waitIdle());
  EXPECT_EQ(group("test.window").first, 100);
  EXPECT_EQ(group("test.window").last, 199);
  EXPECT_EQ(group("test.window").total, 100);
  EXPECT_EQ(group("test.window").unread, 49);
}

TEST_F(GroupsInnTest, CliListsSubscribesAndCounts) {
  ORVEL_REQUIRE_TEST_SERVERS(s);
  auto run = [&](std::vector<std::string> args, std::string* out = nullptr) {
    std::ostringstream o, e;
    cli::CliContext context{std::move(args), dir.path(), {"--base", dir.path()}, o, e};
    const int code = context.args.empty() ? 2 : cli::cmdGroups(context);
    if (out) *out = o.str();
    EXPECT_EQ(e.str().find("orvel-cli groups:"), std::string::npos) << e.str();
    return code;
  };
  dir.write("servers.ini", "[Profiles]\r\ncount=1\r\n1=inn," + s.host() + ":" +
                               s.get("ORVEL_NNTP_PORT") + "\r\n");
  std::string out;
  ASSERT_EQ(run({"inn", "--list", "--yes"}, &out), 0);
  EXPECT_NE(out.find("test.small\tnew\t\t12\t\t1\t12\t\n"), std::string::npos) << out;
  ASSERT_EQ(run({"inn", "--subscribe", "test.small,test.threads", "--counts"}, &out), 0);
  EXPECT_EQ(out,
            "test.small\tsubscribed\t12\t12\t\t1\t12\t\n"
            "test.threads\tsubscribed\t60\t60\t\t1\t60\t\n");
  ASSERT_EQ(run({"inn", "--catchup", "test.small", "--counts"}, &out), 0);
  EXPECT_NE(out.find("test.small\tsubscribed\t0\t12\t1-12\t1\t12\t\n"), std::string::npos) << out;
  EXPECT_EQ(dir.read("inn.Orvelrc"), ":test.small\r\n:test.threads\r\n");
  const std::string newsrc = dir.read("inn.newsrc");
  EXPECT_EQ(newsrc.rfind("test.small: 1-12\r\ntest.threads:\r\n", 0), 0u) << newsrc;
  EXPECT_NE(newsrc.find("test.big!\r\n"), std::string::npos);
}

}  // namespace
}  // namespace orvel::test
