#include "core/run_program.h"

#include <gtest/gtest.h>

namespace orvel {
namespace {

using namespace std::chrono_literals;
using Kind = ProgramResult::Kind;

struct RunCase {
  const char* name;
  std::vector<std::string> argv;
  std::chrono::milliseconds limit;
  Kind kind;
  int exitCode;
  const char* output;  // the whole merged output
};
void PrintTo(const RunCase& c, std::ostream* os) { *os << c.name; }

class RunProgramTest : public testing::TestWithParam<RunCase> {};

TEST_P(RunProgramTest, ReportsHowTheProgramEnded) {
  const RunCase& c = GetParam();
  const ProgramResult r = RunProgram(c.argv, c.limit);
  EXPECT_EQ(r.kind, c.kind) << r.error;
  EXPECT_EQ(r.exitCode, c.exitCode);
  EXPECT_EQ(r.output, c.output);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RunProgramTest,
    testing::Values(
        RunCase{"BothStreamsMergedWithStatus",
                {"sh", "-c", "echo out; echo err >&2; exit 3"}, 10s, Kind::Exited, 3,
                "out\nerr\n"},
        RunCase{"ArgumentsPassedWithoutShell", {"printf", "%s|", "a b", "$HOME", ";x"}, 10s,
                Kind::Exited, 0, "a b|$HOME|;x|"},
        RunCase{"StandardInputIsEmpty", {"cat"}, 10s, Kind::Exited, 0, ""},
        RunCase{"MissingProgram", {"orvel-no-such-program"}, 10s, Kind::NotStarted, -1, ""},
        RunCase{"Signalled", {"sh", "-c", "kill -9 $$"}, 10s, Kind::Signalled, 9, ""},
        RunCase{"HangingProgramKilled", {"sh", "-c", "echo begun; sleep 60"}, 300ms,
                Kind::TimedOut, -1, "begun\n"},
        RunCase{"ChildLeftHoldingTheOutputDoesNotHideTheStatus",
                {"sh", "-c", "sleep 60 & exit 4"}, 300ms, Kind::Exited, 4, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RunProgram, OutputIsCappedAtTheLimit) {
  const ProgramResult r =
      RunProgram({"head", "-c", std::to_string(kProgramOutputLimit * 2), "/dev/zero"}, 10s);
  EXPECT_TRUE(r.ok());
  EXPECT_EQ(r.output.size(), kProgramOutputLimit);
}

TEST(RunProgram, DescriptionIsOneLine) {
  ProgramResult r;
  r.kind = Kind::Exited;
  r.exitCode = 5;
  r.output = "xdg-mime: no method\n\n  available  \n";
  EXPECT_EQ(DescribeProgramResult(r), "exit status 5: xdg-mime: no method / available");
  r.kind = Kind::Signalled;
  r.exitCode = 15;
  r.output.clear();
  EXPECT_EQ(DescribeProgramResult(r), "killed by signal 15");
  EXPECT_EQ(DescribeProgramResult(RunProgram({"orvel-no-such-program"}, 10s)),
            "orvel-no-such-program: No such file or directory");
}

}  // namespace
}  // namespace orvel
