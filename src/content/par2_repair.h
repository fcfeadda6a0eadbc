#pragma once
// Checking and repairing the files of a binary post with the PAR2 set that
// came with it, through par2cmdline ("par2 repair", which only verifies when
// nothing is damaged): the sets among a batch's files, the command line, and
// what par2 said of a set, read from its output as it runs.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/run_program.h"

namespace orvel {

struct Par2Result {
  enum class Verdict { Complete, Repaired, Incomplete, Failed };
  Verdict verdict = Verdict::Failed;
  std::vector<std::string> targets;  // the files the set describes, as it names them
  std::string detail;                // Incomplete: what is missing; Failed: why
  bool started = true;               // false: par2 could not be run at all
};

const char* Par2VerdictWord(Par2Result::Verdict verdict);

// The file to hand par2 for each PAR2 set among paths, in the order the
// sets first appear: the set's index file ("name.par2"), else its first
// recovery volume ("name.vol00+01.par2"). Other paths are left out.
std::vector<std::string> Par2SetFiles(const std::vector<std::string>& paths);

// The command that checks a set and repairs it when needed. extraFiles are
// scanned for blocks too: the partial files a batch set aside under other
// names than the set's.
std::vector<std::string> Par2RepairCommand(const std::string& program, const std::string& setFile,
                                           const std::vector<std::string>& extraFiles);

// Reads par2's output as it comes. Progress lines end in a carriage return
// ("Repairing: 45.3%"); the lines that say what came of the set end in a
// line feed.
class Par2Output {
 public:
  using Progress = std::function<void(std::string_view phase, double percent)>;

  void Feed(std::string_view bytes, const Progress& progress);
  // The verdict once par2 has ended as run says.
  Par2Result Finish(const ProgramResult& run) const;

 private:
  void line(std::string_view text, const Progress& progress);
  void target(std::string_view text);

  std::string partial_;
  std::vector<std::string> targets_;
  bool repaired_ = false;
  std::string need_;      // "You need 12 more recovery blocks to be able to repair."
  std::string lastLine_;  // the last line that was not progress, for a failure
};

}  // namespace orvel
