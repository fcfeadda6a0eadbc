#include "content/par2_repair.h"

#include <algorithm>
#include <cstdlib>

#include "core/text.h"

namespace orvel {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The set a PAR2 file belongs to: its path without ".par2" and without a
// recovery volume's ".volNN+MM" ("-" instead of "+" in some tools); empty
// for a path that is not a PAR2 file.
struct SetName {
  std::string base;
  bool index = false;
};

SetName setNameOf(std::string_view path) {
  if (!endsWithNoCase(path, ".par2")) return {};
  std::string_view stem = path.substr(0, path.size() - 5);
  const std::size_t dot = stem.rfind('.');
  if (dot != std::string_view::npos && startsWithNoCase(stem.substr(dot + 1), "vol")) {
    const std::string_view numbers = stem.substr(dot + 4);
    const std::size_t sign = numbers.find_first_of("+-");
    const auto allDigits = [](std::string_view s) { return !s.empty() && std::all_of(s.begin(), s.end(), isDigit); };
    if (sign != std::string_view::npos && allDigits(numbers.substr(0, sign)) &&
        allDigits(numbers.substr(sign + 1))) {
      return {std::string(stem.substr(0, dot)), false};
    }
  }
  return {std::string(stem), true};
}

// "Repairing: 45.3%" -> ("Repairing", 45.3).
bool progressLine(std::string_view text, std::string_view& phase, double& percent) {
  const std::size_t colon = text.find(": ");
  if (colon == std::string_view::npos || colon == 0 || text.back() != '%') return false;
  const std::string number(text.substr(colon + 2, text.size() - colon - 3));
  if (number.empty() || !std::all_of(number.begin(), number.end(), [](char c) { return isDigit(c) || c == '.'; })) {
    return false;
  }
  phase = text.substr(0, colon);
  percent = std::strtod(number.c_str(), nullptr);
  return true;
}

// What par2cmdline's exit statuses above 2 mean.
std::string failureOf(int code) {
  switch (code) {
    case 3: return "par2 refused its command line";
    case 4: return "the PAR2 files lack the data needed to check the set";
    case 5: return "the repair failed";
    case 6: return "par2 could not read or write a file";
    case 7: return "par2 met an internal error";
    case 8: return "par2 ran out of memory";
    default: return "par2 ended with exit status " + std::to_string(code);
  }
}

}  // namespace

const char* Par2VerdictWord(Par2Result::Verdict verdict) {
  switch (verdict) {
    case Par2Result::Verdict::Complete: return "complete";
    case Par2Result::Verdict::Repaired: return "repaired";
    case Par2Result::Verdict::Incomplete: return "incomplete";
    case Par2Result::Verdict::Failed: return "failed";
  }
  return "";
}

std::vector<std::string> Par2SetFiles(const std::vector<std::string>& paths) {
  struct Set {
    std::string base;
    std::string file;
    bool index = false;
  };
  std::vector<Set> sets;
  for (const std::string& path : paths) {
    SetName name = setNameOf(path);
    if (name.base.empty()) continue;
    auto it = std::find_if(sets.begin(), sets.end(), [&](const Set& s) { return s.base == name.base; });
    if (it == sets.end()) {
      sets.push_back({std::move(name.base), path, name.index});
    } else if (!it->index && (name.index || path < it->file)) {
      it->file = path;
      it->index = name.index;
    }
  }
  std::vector<std::string> files;
  for (Set& s : sets) files.push_back(std::move(s.file));
  return files;
}

std::vector<std::string> Par2RepairCommand(const std::string& program, const std::string& setFile,
                                           const std::vector<std::string>& extraFiles) {
  // "--": a file name that starts with a dash is not an option.
  std::vector<std::string> argv{program, "repair", "--", setFile};
  argv.insert(argv.end(), extraFiles.begin(), extraFiles.end());
  return argv;
}

void Par2Output::Feed(std::string_view bytes, const Progress& progress) {
  for (char c : bytes) {
    if (c != '\r' && c != '\n') {
      partial_ += c;
      continue;
    }
    if (!partial_.empty()) line(partial_, progress);
    partial_.clear();
  }
}

void Par2Output::line(std::string_view text, const Progress& progress) {
  std::string_view phase;
  double percent = 0;
  if (progressLine(text, phase, percent)) {
    if (progress) progress(phase, percent);
    return;
  }
  lastLine_.assign(trimView(text));
  if (startsWithNoCase(text, "Target: \"")) target(text.substr(9));
  if (text == "Repair complete.") repaired_ = true;
  if (startsWithNoCase(text, "You need ")) need_.assign(text);
}

void Par2Output::target(std::string_view text) {
  const std::size_t quote = text.find('"');
  if (quote == std::string_view::npos) return;
  std::string name(text.substr(0, quote));
  if (std::find(targets_.begin(), targets_.end(), name) == targets_.end()) targets_.push_back(std::move(name));
}

Par2Result Par2Output::Finish(const ProgramResult& run) const {
  Par2Result result;
  result.targets = targets_;
  using Verdict = Par2Result::Verdict;
  if (run.kind != ProgramResult::Kind::Exited) {
    result.started = run.kind != ProgramResult::Kind::NotStarted;
    result.detail = result.started ? DescribeProgramResult(run) : run.error;
    return result;
  }
  switch (run.exitCode) {
    case 0:
      result.verdict = repaired_ ? Verdict::Repaired : Verdict::Complete;
      break;
    case 1:
    case 2:
      result.verdict = Verdict::Incomplete;
      result.detail = need_.empty() ? "repair is not possible" : need_;
      break;
    default:
      result.detail = failureOf(run.exitCode);
      if (!lastLine_.empty()) result.detail += ": " + lastLine_;
      break;
  }
  return result;
}

}  // namespace orvel
