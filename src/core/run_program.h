#pragma once
// Runs a helper program directly (no shell) with a time limit and collects
// what it printed on its standard output and error, merged. Its standard
// input is /dev/null. A run past the limit is killed with its whole process
// group, so a helper script's own children go too.

#include <chrono>
#include <string>
#include <vector>

namespace orvel {

struct ProgramResult {
  enum class Kind { Exited, NotStarted, TimedOut, Signalled };
  Kind kind = Kind::NotStarted;
  int exitCode = -1;   // Exited: the exit status; Signalled: the signal
  std::string output;  // standard output and error, at most kProgramOutputLimit bytes
  std::string error;   // NotStarted: why
  bool ok() const { return kind == Kind::Exited && exitCode == 0; }
};

inline constexpr std::size_t kProgramOutputLimit = 64 * 1024;

// argv[0] is looked up in PATH when it has no "/".
ProgramResult RunProgram(const std::vector<std::string>& argv, std::chrono::milliseconds limit);

// "exit status 3", "killed by signal 9", "no answer within 10000 ms", or the
// reason it did not start, followed by the output on one line when any.
std::string DescribeProgramResult(const ProgramResult& result);

}  // namespace orvel
