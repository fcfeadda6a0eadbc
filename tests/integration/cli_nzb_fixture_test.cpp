// orvel-cli nzb export and nzb get from end to end, against two fixture news
// servers: a 24-part yEnc post with its PAR2 index and one recovery volume.
// The NZB is exported from the server that has every part; the download
// runs against one that lacks some, with the other as its alternative
// server, and par2 rebuilds a part neither has.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "content/content_test_support.h"
#include "fixture_process.h"
#include "support/cli_run.h"

namespace orvel::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kGroup = "alt.binaries.nzb";

bool have(const char* tool) { return ::access(tool, X_OK) == 0; }

class CliNzbFixtureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(fixtureServerPath())) GTEST_SKIP() << "not built";
    if (!have("/usr/bin/uuenview") || !have("/usr/bin/par2")) GTEST_SKIP() << "uudeview or par2 missing";
    root = scratch.path();
    fs::create_directories(root / "out");
    WriteFileBytes(root / "g.bin", original);
    // 24 yEnc parts of 1,000 lines; an index and a volume of 15 blocks of
    // 20,000 bytes, each posted in one part.
    const std::string make = "cd '" + root.string() +
                             "' && uuenview -y -1000 -od . g.bin >/dev/null 2>&1 && "
                             "par2 create -q -q -s20000 -r10 -n1 g.par2 g.bin >/dev/null 2>&1 && "
                             "mkdir enc && cd enc && uuenview -y -od . ../g.par2 ../g.vol00+15.par2 "
                             ">/dev/null 2>&1";
    ASSERT_EQ(std::system(make.c_str()), 0);
    for (int k = 1; k <= 24; ++k) {
      char name[8];
      std::snprintf(name, sizeof name, "g.%03d", k);
      post("\"g.bin\" yEnc (" + std::to_string(k) + "/24)", "g" + std::to_string(k), root / name);
    }
    post("\"g.par2\" yEnc (1/1)", "index", root / "enc" / "g.001");
    post("\"g.vol00+15.par2\" yEnc (1/1)", "volume", root / "enc" / "g.vol00+15.001");
  }

  // Writes the article into the corpus of each server that has it: the
  // first server lacks parts 3 and 7, and neither has part 5.
  void post(const std::string& subject, const std::string& tag, const fs::path& body) {
    ++number_;
    const std::string article = "From: Poster <poster@example.invalid>\r\nNewsgroups: " + std::string(kGroup) +
                                "\r\nSubject: " + subject + "\r\nMessage-ID: <" + tag +
                                "@nzb.test>\r\nDate: Tue, 08 Dec 2026 10:00:00 +0000\r\n\r\n" +
                                ReadFileBytes(body);
    for (const char* server : {"first", "second"}) {
      if (tag == "g5" || (std::string(server) == "first" && (tag == "g3" || tag == "g7"))) continue;
      const fs::path dir = root / server / kGroup;
      fs::create_directories(dir);
      WriteFileBytes(dir / std::to_string(number_), article);
    }
  }

  // Both servers running, "first" with "second" as its alternative.
  void startServers() {
    first = std::make_unique<FixtureProcess>(std::vector<std::string>{"--corpus", (root / "first").string()});
    second = std::make_unique<FixtureProcess>(std::vector<std::string>{"--corpus", (root / "second").string()});
    ASSERT_GT(first->port(), 0);
    ASSERT_GT(second->port(), 0);
    ASSERT_EQ(cli({"servers", "add", "first", "127.0.0.1:" + std::to_string(first->port())}).status, 0);
    ASSERT_EQ(cli({"servers", "add", "second", "127.0.0.1:" + std::to_string(second->port())}).status, 0);
    std::ofstream(root / "base" / "Orvel.ini", std::ios::app) << "[Misc]\r\nAltServers=second\r\n";
  }

  CliRun cli(std::vector<std::string> args) {
    args.insert(args.begin(), {"--base", (root / "base").string()});
    return runCli(args);
  }

  std::string out(const std::string& name) const { return (root / "out" / name).string(); }

  ScratchDir scratch;
  fs::path root;
  std::string original = RandomBytes(3000000, 11);
  std::unique_ptr<FixtureProcess> first;
  std::unique_ptr<FixtureProcess> second;
  int number_ = 0;
};

TEST_F(CliNzbFixtureTest, ExportedNzbDownloadsToTheExactFile) {
  startServers();
  ASSERT_EQ(cli({"headers", "second", kGroup}).status, 0);
  const CliRun exported = cli({"nzb", "export", "second", kGroup, "^\"g\\."});
  ASSERT_EQ(exported.status, 0) << exported.err;
  EXPECT_EQ(exported.err, "3 files, 25 segments\n");
  WriteFileBytes(root / "g.nzb", exported.out);

  const CliRun get = cli({"nzb", "get", "first", (root / "g.nzb").string(), "--out", (root / "out").string()});
  EXPECT_EQ(get.status, 0) << get.out << get.err;
  EXPECT_NE(get.out.find("incomplete: " + out("g.bin__error_part_5") + " (missing parts 5)\n"), std::string::npos)
      << get.out;
  EXPECT_NE(get.out.find("par2 repaired: " + out("g.par2") + "\n"), std::string::npos) << get.out;
  EXPECT_NE(get.err.find("file 1 of 3: \"g.bin\" yEnc (1/24) (23 segments)"), std::string::npos) << get.err;
  EXPECT_TRUE(ReadFileBytes(out("g.bin")) == original);
  std::set<std::string> left;
  for (const auto& entry : fs::directory_iterator(root / "out")) left.insert(entry.path().filename().string());
  EXPECT_EQ(left, (std::set<std::string>{"g.bin", "g.par2", "g.vol00+15.par2"}));
}

struct FailureCase {
  const char* name;
  std::string nzb;
  std::string outLine;  // a line of standard output, or empty
  std::string errLine;  // a line of the error stream
  std::string alsoOut = {};  // another line of standard output ("OUT": the output directory)
};
void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class CliNzbFailures : public CliNzbFixtureTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(CliNzbFailures, FailWithALineSayingWhy) {
  const FailureCase& c = GetParam();
  startServers();
  WriteFileBytes(root / "bad.nzb", c.nzb);
  const CliRun get = cli({"nzb", "get", "first", (root / "bad.nzb").string(), "--out", (root / "out").string()});
  EXPECT_EQ(get.status, 1) << get.out << get.err;
  for (std::string line : {c.outLine, c.alsoOut}) {
    if (line.empty()) continue;
    if (const std::size_t at = line.find("OUT"); at != std::string::npos) line.replace(at, 3, out(""));
    EXPECT_NE(get.out.find(line + "\n"), std::string::npos) << get.out;
  }
  std::string errLine = c.errLine;
  if (const std::size_t at = errLine.find("NZB"); at != std::string::npos) {
    errLine.replace(at, 3, (root / "bad.nzb").string());
  }
  EXPECT_NE(get.err.find(errLine + "\n"), std::string::npos) << get.err;
}

const std::string kHead =
    "<?xml version=\"1.0\"?>\n<nzb xmlns=\"http://www.newzbin.com/DTD/2003/nzb\">\n"
    "<file poster=\"p\" date=\"0\" subject=\"lost (1/2)\"><groups><group>alt.binaries.nzb</group></groups>";

INSTANTIATE_TEST_SUITE_P(
    Nzbs, CliNzbFailures,
    ::testing::Values(
        FailureCase{"Malformed", kHead + "<segments><segment number=\"1\">a@b</segments></file></nzb>", "",
                    "orvel-cli nzb get: NZB: line 3: mismatched tag"},
        FailureCase{"NoServerHasASegment",
                    kHead + "<segments><segment bytes=\"10\" number=\"1\">none1@nzb.test</segment>"
                            "<segment bytes=\"10\" number=\"2\">none2@nzb.test</segment></segments></file></nzb>",
                    "failed: lost (1/2) (no server has any of its segments)", "orvel-cli nzb get: file 1 of 1: lost (1/2) (2 segments)"},
        // A file no server has does not stop the files after it.
        FailureCase{"LostFileThenAFound",
                    kHead + "<segments><segment bytes=\"10\" number=\"1\">none1@nzb.test</segment></segments></file>"
                            "<file poster=\"p\" date=\"0\" subject=\"g.par2 (1/1)\"><groups><group>alt.binaries.nzb"
                            "</group></groups><segments><segment bytes=\"10\" number=\"1\">index@nzb.test</segment>"
                            "</segments></file></nzb>",
                    "failed: lost (1/2) (no server has any of its segments)",
                    "orvel-cli nzb get: file 2 of 2: g.par2 (1/1) (1 segments)", "decoded: OUTg.par2"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orvel::test
