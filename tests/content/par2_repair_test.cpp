#include "content/par2_repair.h"

#include <gtest/gtest.h>

namespace orvel {
namespace {

using Verdict = Par2Result::Verdict;

struct SetCase {
  const char* name;
  std::vector<std::string> paths;
  std::vector<std::string> sets;
};
void PrintTo(const SetCase& c, std::ostream* os) { *os << c.name; }

class Par2SetFilesTest : public testing::TestWithParam<SetCase> {};

TEST_P(Par2SetFilesTest, OneFilePerSet) { EXPECT_EQ(Par2SetFiles(GetParam().paths), GetParam().sets); }

INSTANTIATE_TEST_SUITE_P(
    Sets, Par2SetFilesTest,
    testing::Values(
        SetCase{"IndexFileNamesTheSet",
                {"d/a.bin", "d/a.vol00+01.par2", "d/a.par2", "d/a.vol01+02.par2"},
                {"d/a.par2"}},
        SetCase{"VolumesAloneGiveTheFirst", {"d/a.vol03+04.PAR2", "d/a.vol00+03.par2"}, {"d/a.vol00+03.par2"}},
        SetCase{"TwoSetsInTheirOrder",
                {"d/b.par2", "d/a.vol0-1.par2", "d/a.par2", "d/b.vol0+1.par2"},
                {"d/b.par2", "d/a.par2"}},
        // A name that only looks like a volume is a set of its own.
        SetCase{"NotAVolumeName", {"d/a.volume.par2", "d/a.vol1+x.par2"}, {"d/a.volume.par2", "d/a.vol1+x.par2"}},
        SetCase{"NoPar2Files", {"d/a.bin", "d/par2", "d/a.par2.txt"}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Par2RepairCommandTest, FilesFollowTheEndOfOptions) {
  EXPECT_EQ(Par2RepairCommand("par2", "-odd.par2", {"x__error_part_2"}),
            (std::vector<std::string>{"par2", "repair", "--", "-odd.par2", "x__error_part_2"}));
}

ProgramResult exited(int code) {
  ProgramResult r;
  r.kind = ProgramResult::Kind::Exited;
  r.exitCode = code;
  return r;
}

// par2's output as it prints it: progress lines end in "\r".
constexpr const char* kCorrect =
    "Loading \"g.par2\".\nLoading: 0.2%\rLoading: 99.7%\rLoaded 4 new packets\n"
    "Verifying source files:\n\nOpening: \"g.bin\"\nScanning: 45.5%\r"
    "Target: \"g.bin\" - found.\n\nAll files are correct, repair is not required.\n";
constexpr const char* kRepaired =
    "Verifying source files:\n\nTarget: \"g.bin\" - missing.\nTarget: \"sub/h.bin\" - damaged. "
    "Found 9 of 10 data blocks.\n\nScanning extra files:\n\nFile: \"g.bin__error_part_2\" - found "
    "20 of 30 data blocks from \"g.bin\".\nRepair is required.\nRepair is possible.\n"
    "Repairing: 50.0%\rRepairing: 100.0%\r\nVerifying repaired files:\n\nTarget: \"g.bin\" - found.\n"
    "\nRepair complete.\n";
constexpr const char* kNotPossible =
    "Target: \"g.bin\" - missing.\nRepair is required.\nRepair is not possible.\n"
    "You need 791 more recovery blocks to be able to repair.\n";

struct OutputCase {
  const char* name;
  const char* output;
  ProgramResult run;
  Verdict verdict;
  std::vector<std::string> targets;
  std::string detail;
  std::vector<std::string> phases;  // the progress lines' phases, in order, repeats removed
};
void PrintTo(const OutputCase& c, std::ostream* os) { *os << c.name; }

ProgramResult notStarted() {
  ProgramResult r;
  r.error = "par2: No such file or directory";
  return r;
}

ProgramResult signalled() {
  ProgramResult r;
  r.kind = ProgramResult::Kind::Signalled;
  r.exitCode = 9;
  return r;
}

class Par2OutputTest : public testing::TestWithParam<OutputCase> {};

// The verdict must not depend on how the output was cut into reads.
TEST_P(Par2OutputTest, VerdictFromOutputAndExit) {
  const OutputCase& c = GetParam();
  for (const std::size_t piece : {std::size_t{1}, std::size_t{7}, std::string_view(c.output).size() + 1}) {
    Par2Output output;
    std::vector<std::string> phases;
    const std::string_view text = c.output;
    for (std::size_t at = 0; at < text.size(); at += piece) {
      output.Feed(text.substr(at, piece), [&](std::string_view phase, double percent) {
        EXPECT_GE(percent, 0.0);
        EXPECT_LE(percent, 100.0);
        if (phases.empty() || phases.back() != phase) phases.emplace_back(phase);
      });
    }
    const Par2Result result = output.Finish(c.run);
    EXPECT_EQ(result.verdict, c.verdict) << piece;
    EXPECT_EQ(result.targets, c.targets) << piece;
    EXPECT_EQ(result.detail, c.detail) << piece;
    EXPECT_EQ(result.started, c.run.kind != ProgramResult::Kind::NotStarted);
    EXPECT_EQ(phases, c.phases) << piece;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, Par2OutputTest,
    testing::Values(
        OutputCase{"AllCorrect", kCorrect, exited(0), Verdict::Complete, {"g.bin"}, "", {"Loading", "Scanning"}},
        OutputCase{"Repaired", kRepaired, exited(0), Verdict::Repaired, {"g.bin", "sub/h.bin"}, "", {"Repairing"}},
        OutputCase{"NotPossible", kNotPossible, exited(2), Verdict::Incomplete, {"g.bin"},
                   "You need 791 more recovery blocks to be able to repair.", {}},
        OutputCase{"CriticalDataMissing", "Loading \"g.par2\".\nMain packet not found.\n", exited(4),
                   Verdict::Failed, {}, "the PAR2 files lack the data needed to check the set: Main packet not found.", {}},
        OutputCase{"NotInstalled", "", notStarted(), Verdict::Failed, {}, "par2: No such file or directory", {}},
        OutputCase{"Killed", "Repairing: 5%\r", signalled(), Verdict::Failed, {}, "killed by signal 9",
                   {"Repairing"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orvel
