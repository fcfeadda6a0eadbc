// orvel-cli against the real INN 2 of scripts/test-servers, where its
// answers used to be wrong: read marks another reader made above the stored
// headers, a catch-up in a fresh run, --list on a server without groups in
// the newsrc, a group the server does not have, and a login password that
// no terminal can ask for.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "support/cli_run.h"
#include "config/temp_base_dir.h"
#include "support/test_servers.h"

namespace orvel::test {
namespace {

class CliInnTest : public ::testing::Test {
 protected:
  void addServer(const TestServers& s) {
    dir.write("servers.ini", "[Profiles]\r\ncount=1\r\n1=inn," + s.host() + ":" +
                                 s.get("ORVEL_NNTP_PORT") + "\r\n");
  }
  CliRun cli(std::vector<std::string> args) {
    args.insert(args.begin(), {"--base", dir.path()});
    return runCli(args);
  }

  TempBaseDir dir;
};

TEST_F(CliInnTest, DecodingStoredHeadersLeavesTheMarksOfAnotherReaderAboveThem) {
  ORVEL_REQUIRE_TEST_SERVERS(s);
  addServer(s);
  const CliRun stored = cli({"headers", "inn", "test.small"});
  ASSERT_EQ(stored.status, 0) << stored.err;
  ASSERT_NE(stored.err.find("12 articles (12 new)"), std::string::npos) << stored.err;
  // Another reader sharing the newsrc read up to 30 (and marked 40 to fetch).
  dir.write("inn.newsrc", "test.small: 1-3,10-30/40\r\n");
  const std::string out = dir.path() + "decoded";
  std::filesystem::create_directories(out);
  const CliRun decode = cli({"decode-group", "inn", "test.small", "1-2", "--out", out});
  EXPECT_EQ(decode.status, 0) << decode.err;
  EXPECT_EQ(dir.read("inn.newsrc"), "test.small: 1-3,10-30/40\r\n");
}

TEST_F(CliInnTest, CatchUpInAFreshRunFetchesTheGroupsNumbers) {
  ORVEL_REQUIRE_TEST_SERVERS(s);
  addServer(s);
  dir.write("inn.newsrc", "test.small:\r\ntest.threads:\r\n");
  const CliRun run = cli({"groups", "inn", "--catchup", "test.small"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("test.small\tsubscribed\t0\t12\t1-12\t1\t12\t\n"), std::string::npos)
      << run.out;
  EXPECT_EQ(dir.read("inn.newsrc"), "test.small: 1-12\r\ntest.threads:\r\n");
  // A group the server does not have cannot be caught up: said, and a failure.
  dir.write("inn.newsrc", "test.small:\r\ntest.no-such-group:\r\n");
  const CliRun missing = cli({"groups", "inn", "--catchup", "test.small,test.no-such-group"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("orvel-cli groups: test.no-such-group not caught up"),
            std::string::npos)
      << missing.err;
  EXPECT_EQ(dir.read("inn.newsrc"), "test.small: 1-12\r\ntest.no-such-group:\r\n");
}

TEST_F(CliInnTest, ListIsItsOwnAnswerAndAsksNothing) {
  ORVEL_REQUIRE_TEST_SERVERS(s);
  addServer(s);
  const CliRun run = cli({"groups", "inn", "--list", "--all"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err.find("Récupérer"), std::string::npos) << run.err;
  EXPECT_NE(run.out.find("test.small\tnew\t\t12\t\t1\t12\t\n"), std::string::npos) << run.out;
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << "one list: " << run.err;
}

TEST_F(CliInnTest, AGroupTheServerLacksIsReportedAndNotSubscribed) {
  ORVEL_REQUIRE_TEST_SERVERS(s);
  addServer(s);
  dir.write("inn.newsrc", "test.small:\r\n");
  const CliRun run = cli({"headers", "inn", "test.no-such-group"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("orvel-cli headers: 411 No such group test.no-such-group\n"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(dir.read("inn.newsrc"), "test.small:\r\n");
  EXPECT_FALSE(std::filesystem::exists(dir.path() + "data/[inn] test.no-such-group.hdr"));
  const CliRun article = cli({"article", "inn", "test.no-such-group", "1"});
  EXPECT_EQ(article.status, 1);
  EXPECT_NE(article.err.find("411 No such group"), std::string::npos) << article.err;
  EXPECT_EQ(dir.read("inn.newsrc"), "test.small:\r\n");
}

TEST_F(CliInnTest, VerboseHeadersEndWithTheBytesReceived) {
  ORVEL_REQUIRE_TEST_SERVERS(s);
  // Compressed, sixty overview lines inflate to more than came in; without
  // compression both counts are the same.
  for (const bool compress : {true, false}) {
    SCOPED_TRACE(compress ? "compressed" : "plain");
    dir.write("servers.ini", "[Profiles]\r\ncount=1\r\n1=inn," + s.host() + ":" +
                                 s.get("ORVEL_NNTP_PORT") + "\r\n[inn]\r\nCompress=" +
                                 (compress ? "1" : "0") + "\r\n");
    std::filesystem::remove_all(dir.path() + "data");
    const CliRun run = cli({"headers", "inn", "test.threads", "--verbose"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::size_t at = run.err.rfind("\nwire: ");
    ASSERT_NE(at, std::string::npos) << run.err;
    long long wire = 0, plain = 0;
    ASSERT_EQ(std::sscanf(run.err.c_str() + at, "\nwire: %lld bytes, %lld after decompression",
                          &wire, &plain),
              2)
        << run.err;
    EXPECT_GT(wire, 0);
    if (compress) {
      EXPECT_GT(plain, wire);
    } else {
      EXPECT_EQ(plain, wire);
    }
    EXPECT_TRUE(run.err.ends_with(" after decompression\n")) << run.err;
  }
}

TEST_F(CliInnTest, PipeliningAndCompressionLeaveRowsAndStoreAsTheyWere) {
  ORVEL_REQUIRE_TEST_SERVERS(s);
  // Read marks every hundred numbers cut test.big into fifty ranges.
  std::string marks;
  for (int n = 51; n <= 10000; n += 200) {
    marks += (marks.empty() ? "" : ",") + std::to_string(n) + "-" + std::to_string(n + 99);
  }
  std::string rows, store;
  for (const char* settings : {"Compress=0\r\nPipelining=1", "Compress=1\r\nPipelining=4",
                               "Compress=0\r\nPipelining=16", "Compress=1\r\nPipelining=1"}) {
    SCOPED_TRACE(settings);
    dir.write("servers.ini", "[Profiles]\r\ncount=1\r\n1=inn," + s.host() + ":" +
                                 s.get("ORVEL_NNTP_PORT") + "\r\n[inn]\r\n" + settings + "\r\n");
    dir.write("inn.newsrc", "test.big: " + marks + "\r\n");
    std::filesystem::remove_all(dir.path() + "data");
    const CliRun run = cli({"headers", "inn", "test.big"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("5000 articles"), std::string::npos) << run.err;
    const std::string stored = dir.read("data/[inn] test.big.hdr");
    if (rows.empty()) {
      rows = run.out;
      store = stored;
    } else {
      EXPECT_EQ(run.out, rows);
      EXPECT_TRUE(stored == store) << "the stored headers differ";
    }
  }
}

TEST_F(CliInnTest, APasswordNobodyCanTypeIsTheReasonGiven) {
  ORVEL_REQUIRE_TEST_SERVERS(s);
  dir.write("servers.ini", "[Profiles]\r\ncount=1\r\n1=auth," + s.host() + ":" +
                               s.get("ORVEL_NNTP_AUTH_PORT") + "\r\n[auth]\r\nUserName=" +
                               s.get("ORVEL_NNTP_USER") + "\r\n");
  dir.write("auth.newsrc", "test.small:\r\n");
  const std::string reason = "cannot ask \"Mot de passe pour: " + s.host() +
                             "\" without a terminal; answer with orvel-cli servers add ... "
                             "--password\n";
  for (const auto& [command, args] : std::vector<std::pair<std::string, std::vector<std::string>>>{
           {"groups", {"groups", "auth", "--counts"}},
           {"headers", {"headers", "auth", "test.small", "--retries", "0"}},
           {"probe", {"probe", "auth"}}}) {
    const CliRun run = cli(args);
    EXPECT_EQ(run.status, 1) << command;
    const std::string last = "orvel-cli " + command + ": " + reason;
    EXPECT_TRUE(run.err.size() >= last.size() &&
                run.err.compare(run.err.size() - last.size(), last.size(), last) == 0)
        << run.err;
  }
  EXPECT_EQ(dir.read("auth.newsrc"), "test.small:\r\n");
}

}  // namespace
}  // namespace orvel::test
