#pragma once
// The PAR2 step after a decode batch: each PAR2 set among the decoded files
// is checked by par2 and repaired when needed, one set after the other,
// scanning the batch's partial files too. A repaired file's partial files
// go with their resume records. par2 runs as a program of its own, followed
// by a timer, so the step never blocks the program; a run silent for five
// minutes is stopped.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "content/decoded_files.h"
#include "content/par2_repair.h"
#include "core/clock.h"
#include "core/program_run.h"

namespace orvel {

class Par2Step {
 public:
  struct Events {
    std::function<void(const std::string& set, std::string_view phase)> phase;
    std::function<void(const std::string& set, const Par2Result& result)> setDone;
    // whole: no set stayed incomplete or failed; checked: par2 could be run
    // (or there was no set). The last event; the owner destroys the step
    // later, not from one of its events.
    std::function<void(bool whole, bool checked)> finished;
  };

  Par2Step(Clock& clock, DecodedFiles& files, ResumeStore& resume, Events events,
           std::string program = "par2");
  ~Par2Step();
  Par2Step(const Par2Step&) = delete;
  Par2Step& operator=(const Par2Step&) = delete;

  // Starts with the first set; finished comes at once when there is none.
  void Start();
  bool Running() const { return run_ != nullptr; }

 private:
  void next();
  void poll();
  void endSet(const Par2Result& result);

  Clock& clock_;
  DecodedFiles& files_;
  ResumeStore& resume_;
  Events events_;
  std::string program_;
  std::unique_ptr<Timer> timer_;
  std::vector<std::string> sets_;
  std::vector<std::string> partials_;
  std::size_t index_ = 0;
  std::unique_ptr<ProgramRun> run_;
  Par2Output output_;
  std::string phase_;
  std::int64_t lastHeard_ = 0;
  bool whole_ = true;
};

}  // namespace orvel
