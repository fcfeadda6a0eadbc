// orvel-cli nzb export, end to end: a group's stored headers (written by
// store convert) in, the matching multi-part posts out as an NZB that the
// reader reads back; every failure is one line and a non-zero status. The
// profile's server is never reached: the command reads stored headers only.

#include <gtest/gtest.h>

#include "content/content_test_support.h"
#include "content/nzb.h"
#include "support/cli_run.h"

namespace {

using orvel::NzbDocument;
using orvel::NzbFile;
using orvel::test::CliRun;

// Two posts in parts (part 1 of the first posted twice, part 2 missing), a
// text article and a second post by another author.
constexpr const char* kOverview =
    "1\tbig.bin (1/3) yEnc\t\"Joe Q.\" <joe@example.com>\tTue, 08 Dec 2026 10:00:00 +0000\t"
    "<p1@x>\t\t400000\t3000\t\n"
    "2\tbig.bin (3/3) yEnc\t\"Joe Q.\" <joe@example.com>\tTue, 08 Dec 2026 10:00:02 +0000\t"
    "<p3@x>\t\t300000\t2500\t\n"
    "3\tHello & <you>\tAnn <ann@example.com>\tTue, 08 Dec 2026 11:00:00 +0000\t<t1@x>\t\t900\t10\t\n"
    "4\tbig.bin (1/3) yEnc\t\"Joe Q.\" <joe@example.com>\tTue, 08 Dec 2026 10:00:05 +0000\t"
    "<p1again@x>\t\t400000\t3000\t\n"
    "5\tother \"q\" & co.rar (1/2)\tBob <bob@example.com>\tTue, 08 Dec 2026 12:00:00 +0000\t"
    "<o1@x>\t\t400000\t3000\t\n"
    "6\tother \"q\" & co.rar (2/2)\tBob <bob@example.com>\tTue, 08 Dec 2026 12:00:01 +0000\t"
    "<o2@x>\t\t1000\t8\t\n";

NzbFile bigFile() {
  return {"\"Joe Q.\" <joe@example.com>", 1796724000, "big.bin (1/3) yEnc", {"alt.bin"},
          {{1, 400000, "<p1@x>"}, {3, 300000, "<p3@x>"}}, 0};
}

NzbFile otherFile() {
  return {"Bob <bob@example.com>", 1796731200, "other \"q\" & co.rar (1/2)", {"alt.bin"},
          {{1, 400000, "<o1@x>"}, {2, 1000, "<o2@x>"}}, 0};
}

class CliNzb : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(cli({"servers", "add", "inn", "127.0.0.1:9"}).status, 0);
    orvel::test::WriteFileBytes(scratch.file("overview.txt"), kOverview);
    const CliRun convert = orvel::test::runCli(
        {"store", "convert", scratch.file("overview.txt"), "--out",
         scratch.file("base/data/[inn] alt.bin.mbx"), "--group", "alt.bin"});
    ASSERT_EQ(convert.status, 0) << convert.err;
  }

  CliRun cli(std::vector<std::string> args) {
    args.insert(args.begin(), {"--base", scratch.file("base")});
    return orvel::test::runCli(args);
  }

  orvel::test::ScratchDir scratch;
};

struct ExportCase {
  const char* name;
  const char* pattern;
  std::vector<NzbFile> files;  // in the order of the view's rows (by date)
};

class CliNzbExport : public CliNzb, public ::testing::WithParamInterface<ExportCase> {};

TEST_P(CliNzbExport, MatchingPostsReadBack) {
  const CliRun run = cli({"nzb", "export", "inn", "alt.bin", GetParam().pattern});
  ASSERT_EQ(run.status, 0) << run.err;
  const orvel::NzbParse parse = orvel::ParseNzb(run.out);
  ASSERT_TRUE(parse.ok()) << parse.error << '\n' << run.out;
  EXPECT_EQ(parse.document, (NzbDocument{{}, GetParam().files})) << run.out;
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, CliNzbExport,
    ::testing::Values(ExportCase{"OneByItsName", "^big\\.bin", {bigFile()}},
                      ExportCase{"CaselessAlternatives", "BIG|Other", {bigFile(), otherFile()}},
                      ExportCase{"MarkupInTheSubject", "\"q\" &", {otherFile()}},
                      ExportCase{"EveryPost", "", {bigFile(), otherFile()}}),
    [](const auto& info) { return std::string(info.param.name); });

struct FailureCase {
  const char* name;
  std::vector<std::string> args;
  int status;
  std::string error;  // the whole error stream
};

class CliNzbFailure : public CliNzb, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(CliNzbFailure, SaysWhyInOneLine) {
  const CliRun run = cli(GetParam().args);
  std::string error = GetParam().error;
  if (const std::size_t base = error.find("BASE"); base != std::string::npos) {
    error.replace(base, 4, scratch.file("base"));
  }
  EXPECT_EQ(run.status, GetParam().status);
  EXPECT_EQ(run.err, error);
  EXPECT_EQ(run.out, "");
}

const std::string kUsage =
    "usage: orvel-cli nzb export ALIAS GROUP SUBJECT-PATTERN [--verbose]\n"
    "       orvel-cli nzb get ALIAS FILE [--out DIR] [--no-par2] [--retries N] [--verbose]\n";

INSTANTIATE_TEST_SUITE_P(
    Refusals, CliNzbFailure,
    ::testing::Values(
        FailureCase{"NothingMatches", {"nzb", "export", "inn", "alt.bin", "Hello"}, 1,
                    "orvel-cli nzb export: no multi-part thread of alt.bin matches Hello\n"},
        FailureCase{"NoStoredHeaders", {"nzb", "export", "inn", "alt.other", "x"}, 1,
                    "orvel-cli nzb export: no stored headers of alt.other (orvel-cli headers "
                    "downloads them)\n"},
        FailureCase{"UnknownAlias", {"nzb", "export", "nobody", "alt.bin", "x"}, 1,
                    "orvel-cli nzb export: no profile \"nobody\" in BASE/servers.ini\n"},
        FailureCase{"BadPattern", {"nzb", "export", "inn", "alt.bin", "(big"}, 2,
                    "orvel-cli nzb export: Perlre: missing closing parenthesis\n"},
        FailureCase{"MissingPattern", {"nzb", "export", "inn", "alt.bin"}, 2,
                    kUsage},
        FailureCase{"UnknownAction", {"nzb", "import", "inn", "alt.bin", "x"}, 2,
                    kUsage}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
