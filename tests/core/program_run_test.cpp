#include "core/program_run.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <thread>

namespace orvel {
namespace {

using namespace std::chrono_literals;

// Output arrives piece by piece while the program runs, and Poll says the
// end only once everything printed was read.
TEST(ProgramRunTest, OutputComesAsPrintedUntilTheEnd) {
  ProgramRun run({"sh", "-c", "printf first; sleep 0.3; printf ' second'; exit 4"});
  ASSERT_TRUE(run.started());
  std::string output;
  bool ended = false;
  bool sawFirstAlone = false;
  for (int i = 0; i < 200 && !ended; ++i) {
    ended = run.Poll(output, 50ms);
    if (output == "first" && !ended) sawFirstAlone = true;
  }
  ASSERT_TRUE(ended);
  EXPECT_TRUE(sawFirstAlone);
  EXPECT_EQ(output, "first second");
  EXPECT_EQ(run.result().kind, ProgramResult::Kind::Exited);
  EXPECT_EQ(run.result().exitCode, 4);
}

// A run given up kills the program with the children it started.
TEST(ProgramRunTest, DestroyingARunKillsItsProcessGroup) {
  char name[] = "/tmp/orvel-program-run-XXXXXX";
  const int fd = ::mkstemp(name);
  ASSERT_GE(fd, 0);
  ::close(fd);
  const std::string pidFile = name;
  pid_t child = 0;
  {
    ProgramRun run({"sh", "-c", "sleep 60 & echo $! > '" + pidFile + "'; wait"});
    ASSERT_TRUE(run.started());
    std::string output;
    for (int i = 0; i < 200 && child == 0; ++i) {
      run.Poll(output, 10ms);
      std::ifstream(pidFile) >> child;
    }
    ASSERT_GT(child, 0);
  }
  std::remove(pidFile.c_str());
  // Killed, the child may stay a zombie until whoever adopted it reaps it.
  const auto dead = [&] {
    std::ifstream stat("/proc/" + std::to_string(child) + "/stat");
    std::string pid, name, state;
    return !(stat >> pid >> name >> state) || state == "Z";
  };
  bool gone = false;
  for (int i = 0; i < 500 && !gone; ++i) {
    gone = dead();
    if (!gone) std::this_thread::sleep_for(10ms);
  }
  EXPECT_TRUE(gone);
}

TEST(ProgramRunTest, MissingProgramHasNothingToPoll) {
  ProgramRun run({"orvel-no-such-program"});
  EXPECT_FALSE(run.started());
  std::string output;
  EXPECT_TRUE(run.Poll(output, 0ms));
  EXPECT_EQ(run.result().kind, ProgramResult::Kind::NotStarted);
  EXPECT_NE(run.result().error.find("orvel-no-such-program"), std::string::npos);
}

}  // namespace
}  // namespace orvel
