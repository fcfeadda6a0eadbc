// orvel-cli score check on hand-written score files.
#include <gtest/gtest.h>

#include <filesystem>

#include "config/temp_base_dir.h"
#include "support/cli_run.h"

namespace orvel {
namespace {

using test::runCli;

// Dates read the same in day-first and month-first orders.
constexpr const char* kExpiring =
    "[keep]\nScore: 1\nFrom: a\n\n[empties]\nScore: 2\nExpires: 01/01/2000\nFrom: b\n";

struct CheckCase {
  const char* name;
  const char* misc;   // Orvel.ini [Misc] lines
  const char* file;   // data/score.ini
  std::vector<std::string> flags;
  int status;
  const char* out;
  const char* err;
  const char* fileAfter;  // nullptr: unchanged
};

class CliScoreCheck : public ::testing::TestWithParam<CheckCase> {};

TEST_P(CliScoreCheck, PrintsTheDumpOrTheStatusText) {
  test::TempBaseDir base;
  const CheckCase& c = GetParam();
  std::filesystem::create_directories(base.file("data"));
  base.write("Orvel.ini", std::string("[Misc]\n") + c.misc);
  base.write("data/score.ini", c.file);
  std::vector<std::string> args{"--base", base.path(), "score", "check"};
  args.insert(args.end(), c.flags.begin(), c.flags.end());
  const test::CliRun run = runCli(args);
  EXPECT_EQ(run.status, c.status) << run.err;
  EXPECT_EQ(run.out, c.out);
  EXPECT_EQ(run.err, c.err);
  EXPECT_EQ(base.read("data/score.ini"), c.fileAfter ? c.fileAfter : c.file);
  EXPECT_EQ(std::filesystem::exists(base.file("data/score.bak.ini")), c.fileAfter != nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CliScoreCheck,
    ::testing::Values(
        CheckCase{"Error", "", "[a]\nScore: 1\nLines: many\n", {}, 1, "",
                  "Expression invalide     \"many\" ligne   3\n", nullptr},
        CheckCase{"Dump", "", "[a]\nScore:: =3\n~Bytes: 9\n", {}, 0,
                  "Section 0\ngroup = a; invert = 0; regroup = a\nTest 0\nscore = 3; flags = 3\n"
                  "Field 0\nkeytype = 7; invert = 1; ival = 9\n---\n",
                  "", nullptr},
        CheckCase{"EmptiedSectionNeedsAFlag", "", kExpiring, {}, 1, "",
                  "orvel-cli score: expired rules empty the section [empties]: give --yes to "
                  "delete it or --no to keep it\n",
                  nullptr},
        CheckCase{"EmptiedSectionDeletedWithYes", "", kExpiring, {"--yes"}, 0,
                  "Section 0\ngroup = keep; invert = 0; regroup = keep\nTest 0\n"
                  "score = 1; flags = 0\nField 0\nkeytype = 1; invert = 0; reval = a; ival = 0\n"
                  "---\n",
                  "expired rules removed (previous file kept as score.bak.ini)\n",
                  "[keep]\nScore: 1\nFrom: a\n"},
        CheckCase{"ExpiredReported", "ExpiredScoreOpt=1\n", kExpiring, {}, 0,
                  "Section 0\ngroup = keep; invert = 0; regroup = keep\nTest 0\n"
                  "score = 1; flags = 0\nField 0\nkeytype = 1; invert = 0; reval = a; ival = 0\n"
                  "---\nSection 1\ngroup = empties; invert = 0; regroup = empties\n---\n",
                  "Scores expir\xC3\xA9s, lignes : 6\n", nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orvel
