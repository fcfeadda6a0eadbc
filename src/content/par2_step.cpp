#include "content/par2_step.h"

namespace orvel {

namespace {

constexpr std::chrono::milliseconds kPollInterval{100};
// par2 prints its progress several times a second; a run silent this long
// is stuck.
constexpr std::int64_t kSilenceLimitMs = 5 * 60 * 1000;

std::string directoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

}  // namespace

Par2Step::Par2Step(Clock& clock, DecodedFiles& files, ResumeStore& resume, Events events,
                   std::string program)
    : clock_(clock),
      files_(files),
      resume_(resume),
      events_(std::move(events)),
      program_(std::move(program)),
      timer_(clock.createTimer([this] { poll(); })) {}

Par2Step::~Par2Step() = default;

void Par2Step::Start() {
  sets_ = Par2SetFiles(files_.decoded);
  partials_ = files_.partialPaths();
  index_ = 0;
  whole_ = true;
  next();
}

void Par2Step::next() {
  if (index_ == sets_.size()) {
    if (events_.finished) events_.finished(whole_, true);
    return;
  }
  output_ = Par2Output();
  phase_.clear();
  run_ = std::make_unique<ProgramRun>(Par2RepairCommand(program_, sets_[index_], partials_));
  lastHeard_ = clock_.tickMs();
  if (!run_->started()) {
    Par2Result result = output_.Finish(run_->result());
    run_.reset();
    if (events_.setDone) events_.setDone(sets_[index_], result);
    if (events_.finished) events_.finished(whole_, false);
    return;
  }
  timer_->start(kPollInterval, TimerMode::Repeating);
}

void Par2Step::poll() {
  if (!run_) return;
  std::string bytes;
  const bool ended = run_->Poll(bytes, std::chrono::milliseconds(0));
  if (!bytes.empty()) lastHeard_ = clock_.tickMs();
  const std::string& set = sets_[index_];
  const auto progress = [&](std::string_view phase, double) {
    if (phase == phase_) return;
    phase_.assign(phase);
    if (events_.phase) events_.phase(set, phase_);
  };
  output_.Feed(bytes, progress);
  if (ended) {
    output_.Feed("\n", progress);
    endSet(output_.Finish(run_->result()));
    return;
  }
  if (clock_.tickMs() - lastHeard_ > kSilenceLimitMs) {
    run_->Kill();
    Par2Result stuck;
    stuck.detail = "par2 printed nothing for 5 minutes and was stopped";
    endSet(stuck);
  }
}

void Par2Step::endSet(const Par2Result& result) {
  timer_->stop();
  run_.reset();
  const std::string& set = sets_[index_];
  if (result.verdict == Par2Result::Verdict::Complete || result.verdict == Par2Result::Verdict::Repaired) {
    DropRepairedPartials(files_.repaired(directoryOf(set), result.targets), resume_);
  } else {
    whole_ = false;
  }
  if (events_.setDone) events_.setDone(set, result);
  ++index_;
  next();
}

}  // namespace orvel
