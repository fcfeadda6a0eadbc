#pragma once
// A helper program started directly (no shell) and followed without
// blocking: its standard output and error, merged, are read as they come by
// Poll, which also tells when it ended. Its standard input is /dev/null. It
// runs in a process group of its own; a run destroyed before its end is
// killed with that whole group, so a helper script's children go too.

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

#include "core/run_program.h"

namespace orvel {

class ProgramRun {
 public:
  // argv[0] is looked up in PATH when it has no "/"; started() says whether
  // it could be, result().error why not.
  explicit ProgramRun(const std::vector<std::string>& argv);
  ~ProgramRun();
  ProgramRun(const ProgramRun&) = delete;
  ProgramRun& operator=(const ProgramRun&) = delete;

  bool started() const { return pid_ > 0; }
  // Appends what the program printed, waiting up to wait for something to
  // come; true once it has ended and everything it printed was read.
  bool Poll(std::string& output, std::chrono::milliseconds wait);
  // Kills the program and its group, and waits for it.
  void Kill();
  // Kind Exited or Signalled after the end; NotStarted with its reason.
  const ProgramResult& result() const { return result_; }

 private:
  void readAvailable(std::string& output, std::chrono::milliseconds wait);
  void reap(int flags);
  void closeOutput();

  pid_t pid_ = -1;
  int output_ = -1;  // the read end of the program's output, until its end
  ProgramResult result_;
};

}  // namespace orvel
