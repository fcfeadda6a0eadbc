// The PAR2 step of decode and decode-group: each set among the decoded files
// is checked, and repaired from its recovery volumes when needed, by par2.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <ostream>

#include "app/cli/commands.h"
#include "content/par2_repair.h"
#include "content/resume_record.h"
#include "core/program_run.h"

namespace orvel::cli {

namespace {

namespace fs = std::filesystem;

// par2 prints its progress several times a second; a run silent this long
// is stuck.
constexpr std::chrono::minutes kSilenceLimit{5};

std::string directoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

// Runs par2 on one set to its end, printing each phase once as it starts.
Par2Result runSet(const std::string& setFile, const std::vector<std::string>& extra,
                  CliContext& context, std::string_view command) {
  ProgramRun run(Par2RepairCommand("par2", setFile, extra));
  Par2Output output;
  std::string phase;
  const auto progress = [&](std::string_view now, double) {
    if (now == phase) return;
    phase.assign(now);
    context.err << "orvel-cli " << command << ": par2 " << setFile << ": " << phase << "\n";
  };
  auto lastHeard = std::chrono::steady_clock::now();
  std::string bytes;
  while (!run.Poll(bytes, std::chrono::milliseconds(500))) {
    if (!bytes.empty()) lastHeard = std::chrono::steady_clock::now();
    output.Feed(bytes, progress);
    bytes.clear();
    if (std::chrono::steady_clock::now() - lastHeard > kSilenceLimit) {
      run.Kill();
      Par2Result stuck;
      stuck.detail = "par2 printed nothing for 5 minutes and was stopped";
      return stuck;
    }
  }
  output.Feed(bytes, progress);
  output.Feed("\n", progress);
  return output.Finish(run.result());
}

}  // namespace

std::string IntendedPath(const std::string& path) {
  const std::size_t mark = path.rfind("__error");
  if (mark == std::string::npos) return path;
  const std::string_view rest = std::string_view(path).substr(mark + 7);
  const bool broken = rest.empty() || (rest.rfind("_part_", 0) == 0 && rest.size() > 6 &&
                                       std::all_of(rest.begin() + 6, rest.end(),
                                                   [](char c) { return c >= '0' && c <= '9'; }));
  return broken ? path.substr(0, mark) : path;
}

std::vector<BatchFileReport> DecodeShortfall::repaired(const std::string& directory,
                                                      const std::vector<std::string>& targets) {
  const auto whole = [&](const BatchFileReport& r) {
    const std::string intended = IntendedPath(r.path);
    return std::any_of(targets.begin(), targets.end(),
                       [&](const std::string& t) { return intended == directory + "/" + t; });
  };
  const auto split = std::stable_partition(shortfall.begin(), shortfall.end(), std::not_fn(whole));
  std::vector<BatchFileReport> done(std::make_move_iterator(split), std::make_move_iterator(shortfall.end()));
  shortfall.erase(split, shortfall.end());
  return done;
}

namespace {

// The repaired file stands where its partial files were meant to: they go,
// and so do the records that would resume them.
void dropPartials(const std::vector<BatchFileReport>& partials, ResumeStore& resume) {
  std::vector<DecoderState> records = resume.load();
  bool changed = false;
  for (const BatchFileReport& r : partials) {
    if (IntendedPath(r.path) == r.path) continue;  // a CRC error: par2 repaired it in place
    std::remove(r.path.c_str());
    const auto resumes = [&](const DecoderState& d) {
      const fs::path partial = fs::path(d.directory) / BrokenPartName(d.fileName, d.partNumber);
      return partial.lexically_normal() == fs::path(r.path).lexically_normal();
    };
    changed |= std::erase_if(records, resumes) > 0;
  }
  if (changed) resume.save(records);
}

}  // namespace

bool RepairWithPar2(DecodeShortfall& files, ResumeStore& resume, CliContext& context,
                    std::string_view command) {
  const std::vector<std::string> sets = Par2SetFiles(files.decoded);
  std::vector<std::string> partial;
  for (const BatchFileReport& r : files.shortfall) {
    if (r.kind != BatchFileReport::Kind::CrcError) partial.push_back(r.path);
  }
  bool whole = true;
  for (const std::string& set : sets) {
    const Par2Result result = runSet(set, partial, context, command);
    if (!result.started) {
      context.err << "orvel-cli " << command << ": PAR2 sets not checked: " << result.detail << "\n";
      return whole;
    }
    context.out << "par2 " << Par2VerdictWord(result.verdict) << ": " << set;
    if (!result.detail.empty()) context.out << " (" << result.detail << ")";
    context.out << "\n";
    switch (result.verdict) {
      case Par2Result::Verdict::Complete:
      case Par2Result::Verdict::Repaired:
        dropPartials(files.repaired(directoryOf(set), result.targets), resume);
        break;
      case Par2Result::Verdict::Incomplete:
      case Par2Result::Verdict::Failed:
        whole = false;
        break;
    }
  }
  return whole;
}

}  // namespace orvel::cli
