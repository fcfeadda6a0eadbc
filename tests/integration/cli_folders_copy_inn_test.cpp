// orvel-cli folders copy against the real INN 2 of scripts/test-servers:
// three articles of a group go into a folder, whose files then hold them
// with their texts and their origin; an article the group lacks fails the
// command with one line.

#include <gtest/gtest.h>

#include <filesystem>

#include "articles/article_arena.h"
#include "articles/mailbox.h"
#include "config/temp_base_dir.h"
#include "support/cli_run.h"
#include "support/test_servers.h"

namespace orvel::test {
namespace {

class CliFoldersCopyInnTest : public ::testing::Test {
 protected:
  CliRun cli(std::vector<std::string> args) {
    args.insert(args.begin(), {"--base", dir.path()});
    return runCli(args);
  }
  TempBaseDir dir;
};

TEST_F(CliFoldersCopyInnTest, ThreeArticlesAreReadBackFromTheFolderFiles) {
  ORVEL_REQUIRE_TEST_SERVERS(s);
  dir.write("servers.ini", "[Profiles]\r\ncount=1\r\n1=inn," + s.host() + ":" +
                               s.get("ORVEL_NNTP_PORT") + "\r\n");
  ASSERT_EQ(cli({"folders", "new", "Keep"}).status, 0);
  const std::string folder = dir.file("folders/Keep.mbx");
  const CliRun unknown = cli({"folders", "copy", "inn", "test.threads", "1", "Lost"});
  EXPECT_EQ(unknown.status, 1);
  EXPECT_EQ(unknown.err, "orvel-cli folders copy: no folder Lost\n");
  const CliRun run = cli({"folders", "copy", "inn", "test.threads", "1-2,4", "Keep"});
  ASSERT_EQ(run.status, 0) << run.err;

  TFolder store(folder, kStoreArchive);
  ArticleArena arena;
  HeaderFileDump dump;
  ASSERT_TRUE(ReadHeaderFile(store.HeaderPath(), arena, dump));
  ASSERT_TRUE(dump.complete);
  ASSERT_EQ(dump.records.size(), 3u);
  for (const TArticle* r : dump.records) {
    EXPECT_EQ(r->Xref.view(), "inn:test.threads");
    std::string text;
    ASSERT_TRUE(store.ReadBody(*r, text));
    EXPECT_NE(text.find("Message-ID: " + std::string(r->MessageID.view())), std::string::npos)
        << text;
    EXPECT_NE(text.find("\r\n\r\n"), std::string::npos);
  }

  const CliRun listed = cli({"folders", "show", "Keep"});
  ASSERT_EQ(listed.status, 0) << listed.err;
  EXPECT_EQ(std::count(listed.out.begin(), listed.out.end(), '\n'), 3) << listed.out;
  EXPECT_TRUE(listed.out.starts_with("1\t")) << listed.out;
  const CliRun second = cli({"folders", "show", "Keep", "2"});
  ASSERT_EQ(second.status, 0) << second.err;
  std::string text;
  ASSERT_TRUE(store.ReadBody(*dump.records[1], text));
  EXPECT_EQ(second.out, text);
  EXPECT_EQ(cli({"folders", "show", "Keep", "4"}).status, 1);

  const CliRun missing = cli({"folders", "copy", "inn", "test.threads", "9999", "Keep"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(std::count(missing.err.begin(), missing.err.end(), '\n'), 1) << missing.err;
  ASSERT_TRUE(ReadHeaderFile(store.HeaderPath(), arena, dump));
  EXPECT_EQ(dump.header.count, 3);
}

}  // namespace
}  // namespace orvel::test
