// orvel-cli headers --xpat against the real INN 2 of scripts/test-servers:
// the hits are printed, the ones left out of the download included, and a
// malformed search text is refused before anything is sent.

#include <gtest/gtest.h>

#include <algorithm>

#include "config/temp_base_dir.h"
#include "support/cli_run.h"
#include "support/test_servers.h"

namespace orvel::test {
namespace {

class CliXpatInnTest : public ::testing::Test {
 protected:
  CliRun cli(std::vector<std::string> args) {
    args.insert(args.begin(), {"--base", dir.path()});
    return runCli(args);
  }
  TempBaseDir dir;
};

TEST_F(CliXpatInnTest, PrintsEveryHitIncludingTheOnesNotDownloaded) {
  ORVEL_REQUIRE_TEST_SERVERS(s);
  dir.write("servers.ini", "[Profiles]\r\ncount=1\r\n1=inn," + s.host() + ":" +
                               s.get("ORVEL_NNTP_PORT") + "\r\n");
  dir.write("inn.newsrc", "test.threads: 15-16\r\n");
  const CliRun run = cli({"headers", "inn", "test.threads", "--xpat", "Subject 1- *Thread 1"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 10) << run.out;
  EXPECT_NE(run.err.find("10 articles found by XPAT Subject 1- *Thread 1\n"), std::string::npos)
      << run.err;

  const CliRun scored = cli({"headers", "inn", "test.threads", "--xpat", "Subject 1- *Thread 1",
                             "--xpat-score", "-42"});
  ASSERT_EQ(scored.status, 0) << scored.err;
  EXPECT_EQ(std::count(scored.out.begin(), scored.out.end(), '\n'), 10) << scored.out;
  for (std::size_t at = 0; at < scored.out.size(); at = scored.out.find('\n', at) + 1) {
    const std::string_view row(scored.out.data() + at, scored.out.find('\n', at) - at);
    EXPECT_TRUE(row.ends_with("\t-42")) << row;
  }
  const CliRun alone = cli({"headers", "inn", "test.threads", "--xpat-score", "5"});
  EXPECT_EQ(alone.status, 2);
  EXPECT_NE(alone.err.find("--xpat-score goes with --xpat"), std::string::npos) << alone.err;

  for (const char* bad : {"Subject", "Subject x- *a*", "Subject 1-"}) {
    const CliRun refused = cli({"headers", "inn", "test.threads", "--xpat", bad});
    EXPECT_EQ(refused.status, 2) << bad;
    EXPECT_NE(refused.err.find("--xpat needs"), std::string::npos) << refused.err;
  }
}

}  // namespace
}  // namespace orvel::test
