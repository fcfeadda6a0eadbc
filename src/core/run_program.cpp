#include "core/run_program.h"

#include "core/program_run.h"
#include "core/text.h"

namespace orvel {

ProgramResult RunProgram(const std::vector<std::string>& argv, std::chrono::milliseconds limit) {
  using Clock = std::chrono::steady_clock;
  ProgramRun run(argv);
  const auto deadline = Clock::now() + limit;
  std::string output;
  bool ended = false;
  while (!ended) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) break;
    ended = run.Poll(output, left);
    if (output.size() > kProgramOutputLimit) output.resize(kProgramOutputLimit);
  }
  if (!ended) run.Kill();
  ProgramResult result = run.result();
  result.output = std::move(output);
  if (!ended) {
    result.kind = ProgramResult::Kind::TimedOut;
    result.exitCode = -1;
    result.error = "no answer within " + std::to_string(limit.count()) + " ms";
  }
  return result;
}

std::string DescribeProgramResult(const ProgramResult& result) {
  std::string text;
  switch (result.kind) {
    case ProgramResult::Kind::Exited:
      text = "exit status " + std::to_string(result.exitCode);
      break;
    case ProgramResult::Kind::Signalled:
      text = "killed by signal " + std::to_string(result.exitCode);
      break;
    case ProgramResult::Kind::NotStarted:
    case ProgramResult::Kind::TimedOut:
      text = result.error;
      break;
  }
  std::string output;
  for (const std::string& line : splitChar(result.output, '\n')) {
    const std::string_view shown = trimView(line);
    if (shown.empty()) continue;
    if (!output.empty()) output += " / ";
    output += shown;
  }
  if (!output.empty()) text += ": " + output;
  return text;
}

}  // namespace orvel
