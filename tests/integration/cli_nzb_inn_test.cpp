// orvel-cli nzb export and nzb get against the real INN 2 of
// scripts/test-servers and its binaries group: a four-part yEnc post and a
// three-part one whose middle part never reached the server. The NZB
// exported from INN downloads from INN itself, and from a fixture server
// that lacks every article, with INN as its alternative server.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "config/temp_base_dir.h"
#include "core/atomic_file.h"
#include "fixture_process.h"
#include "support/cli_run.h"
#include "support/test_servers.h"

namespace orvel::test {
namespace {

namespace fs = std::filesystem;

class CliNzbInnTest : public ::testing::Test {
 protected:
  // INN as "inn" and, when given, the fixture server as "empty"; the
  // stored headers never expire (the corpus is dated months back).
  void addServers(const TestServers& s, int emptyPort = 0) {
    std::string list = "1=inn," + s.host() + ":" + s.get("ORVEL_NNTP_PORT") + "\r\n";
    if (emptyPort) list += "2=empty,127.0.0.1:" + std::to_string(emptyPort) + "\r\n";
    dir.write("servers.ini", "[Profiles]\r\ncount=" + std::string(emptyPort ? "2" : "1") + "\r\n" + list);
    dir.write("Orvel.ini", "[Misc]\r\nStorageExp=0\r\nAltServers=inn\r\n");
  }
  CliRun cli(std::vector<std::string> args) {
    args.insert(args.begin(), {"--base", dir.path()});
    return runCli(args);
  }
  // The binaries group's posts whose subject matches pattern, as an NZB file.
  std::string exportNzb(const std::string& group, const std::string& pattern) {
    const CliRun stored = cli({"headers", "inn", group});
    EXPECT_EQ(stored.status, 0) << stored.err;
    const CliRun exported = cli({"nzb", "export", "inn", group, pattern});
    EXPECT_EQ(exported.status, 0) << exported.err;
    const std::string path = dir.file("post.nzb");
    EXPECT_TRUE(SaveFileAtomically(path, exported.out));
    return path;
  }
  std::string out(const std::string& name) { return dir.file("out/" + name); }
  bool decodedAs(const std::string& name, const std::string& originalPath) {
    std::string original, decoded;
    return ReadWholeFile(originalPath, original) && ReadWholeFile(out(name), decoded) && decoded == original;
  }

  TempBaseDir dir;
};

TEST_F(CliNzbInnTest, WholePostDecodesAndThePostWithAGapStaysIncomplete) {
  ORVEL_REQUIRE_TEST_SERVERS(s);
  const std::string group = s.get("ORVEL_NNTP_BINARIES_GROUP");
  if (group.empty()) GTEST_SKIP() << "the test servers have no binaries group; restart them";
  addServers(s);
  const std::string nzb = exportNzb(group, "orvel-(test|gap)\\.bin");
  fs::create_directories(dir.file("out"));
  const CliRun get = cli({"nzb", "get", "inn", nzb, "--out", dir.file("out")});
  EXPECT_EQ(get.status, 1);
  EXPECT_EQ(get.out, "decoded: " + out("orvel-test.bin") + "\nincomplete: " +
                         out("orvel-gap.bin__error_part_2") + " (missing parts 2)\n");
  EXPECT_NE(get.err.find("orvel-cli nzb get: 1 file incomplete\n"), std::string::npos) << get.err;
  EXPECT_TRUE(decodedAs("orvel-test.bin", s.get("ORVEL_NNTP_BINARIES_FILE")));
}

TEST_F(CliNzbInnTest, SegmentsTheFirstServerLacksComeFromTheAlternative) {
  ORVEL_REQUIRE_TEST_SERVERS(s);
  const std::string group = s.get("ORVEL_NNTP_BINARIES_GROUP");
  if (group.empty()) GTEST_SKIP() << "the test servers have no binaries group; restart them";
  if (!fs::exists(fixtureServerPath())) GTEST_SKIP() << "not built";
  // The group exists on the fixture server, with one unrelated article.
  const fs::path corpus = dir.file("corpus");
  fs::create_directories(corpus / group);
  ASSERT_TRUE(SaveFileAtomically((corpus / group / "1").string(),
                                 "From: a@b.invalid\r\nSubject: other\r\nMessage-ID: <other@b.invalid>\r\n\r\nx\r\n"));
  FixtureProcess empty({"--corpus", corpus.string()});
  ASSERT_GT(empty.port(), 0);
  addServers(s, empty.port());
  const std::string nzb = exportNzb(group, "orvel-test\\.bin");
  fs::create_directories(dir.file("out"));
  const CliRun get = cli({"nzb", "get", "empty", nzb, "--out", dir.file("out")});
  EXPECT_EQ(get.status, 0) << get.err;
  EXPECT_EQ(get.out, "decoded: " + out("orvel-test.bin") + "\n");
  EXPECT_TRUE(decodedAs("orvel-test.bin", s.get("ORVEL_NNTP_BINARIES_FILE")));
}

}  // namespace
}  // namespace orvel::test
