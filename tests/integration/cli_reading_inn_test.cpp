// orvel-cli mark and next against INN 2: a cross-posted article marked read
// in test.threads is read in test.crosspost's newsrc line too; bad numbers
// change nothing; the reading commands walk the stored threads.

#include <gtest/gtest.h>

#include "config/temp_base_dir.h"
#include "support/cli_run.h"
#include "support/test_servers.h"

namespace orvel::test {
namespace {

// test.threads holds six threads of ten (thread T's message m is number
// 10 T + m + 1, a binary tree); 10, 20 and 30 are cross-posted to
// test.crosspost, where they are 1, 2 and 3.
class CliReadingInnTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ORVEL_REQUIRE_TEST_SERVERS(s);
    dir.write("servers.ini", "[Profiles]\r\ncount=1\r\n1=inn," + s.host() + ":" +
                                 s.get("ORVEL_NNTP_PORT") + "\r\n");
    dir.write("inn.newsrc", "test.threads:\r\ntest.crosspost:\r\n");
    const CliRun stored = cli({"headers", "inn", "test.threads"});
    ASSERT_EQ(stored.status, 0) << stored.err;
  }
  CliRun cli(std::vector<std::string> args) {
    args.insert(args.begin(), {"--base", dir.path()});
    return runCli(args);
  }

  TempBaseDir dir;
};

TEST_F(CliReadingInnTest, CrossPostedArticlesAreReadInTheirOtherGroup) {
  const CliRun run = cli({"mark", "inn", "test.threads", "--read", "1,10,19-20"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(dir.read("inn.newsrc"), "test.threads: 1,10,19-20\r\ntest.crosspost: 1-2\r\n");
  const CliRun unread = cli({"mark", "inn", "test.threads", "--unread", "10"});
  ASSERT_EQ(unread.status, 0) << unread.err;
  EXPECT_EQ(dir.read("inn.newsrc"), "test.threads: 1,19-20\r\ntest.crosspost: 2\r\n");
  const CliRun all = cli({"mark", "inn", "test.threads", "--read", "--all"});
  ASSERT_EQ(all.status, 0) << all.err;
  // Marking all read marks every article's cross-posts too.
  EXPECT_EQ(dir.read("inn.newsrc"), "test.threads: 1-60\r\ntest.crosspost: 1-3\r\n");
}

TEST_F(CliReadingInnTest, BadNumbersChangeNothing) {
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string said;
  };
  const Case cases[] = {
      {{"--read", "9-3"}, 2, "reversed range: 9-3"},
      {{"--read", "3,2-4"}, 2, "article 3 is given twice"},
      {{"--read", "three"}, 2, "not an article number or range: \"three\""},
      {{"--read", "0"}, 2, "not an article number or range: \"0\""},
      {{"--read", "5,61"}, 1, "no article 61 in test.threads; nothing marked"},
      {{"--keep", "--delete", "5"}, 2, "give one of"},
  };
  const std::string before = dir.read("inn.newsrc");
  for (const Case& c : cases) {
    std::vector<std::string> args{"mark", "inn", "test.threads"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const CliRun run = cli(args);
    EXPECT_EQ(run.status, c.status) << c.args.back() << ": " << run.err;
    EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
    EXPECT_EQ(dir.read("inn.newsrc"), before) << c.args.back();
  }
}

TEST_F(CliReadingInnTest, NextPrintsWhereAReadingCommandGoes) {
  ASSERT_EQ(cli({"mark", "inn", "test.threads", "--read", "2,11-20"}).status, 0);
  struct Case {
    const char* action;
    const char* from;
    std::string out;
  };
  const Case cases[] = {
      {"acaNextUnread", "1", "4\n"},    // 2 is read; 4 answers 2 (depth first)
      {"acaNext", "1", "2\n"},
      {"acaNextThread", "1", "21\n"},   // thread 1 is read whole
      {"acaPrevUnread", "21", "7\n"},  // thread 0's last article in reading order
      {"acaNextUnread", "57", ""},      // the list's last article: nothing
  };
  for (const Case& c : cases) {
    const CliRun run = cli({"next", "inn", "test.threads", "--action", c.action, "--from", c.from});
    EXPECT_EQ(run.status, 0) << c.action << ": " << run.err;
    EXPECT_EQ(run.out, c.out) << c.action << " from " << c.from;
  }
  const CliRun unknown = cli({"next", "inn", "test.threads", "--action", "acaJump", "--from", "1"});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_NE(unknown.err.find("not a reading command: acaJump"), std::string::npos);
  const CliRun absent = cli({"next", "inn", "test.threads", "--action", "acaNext", "--from", "99"});
  EXPECT_EQ(absent.status, 1);
  EXPECT_NE(absent.err.find("no article 99"), std::string::npos);
}

}  // namespace
}  // namespace orvel::test
