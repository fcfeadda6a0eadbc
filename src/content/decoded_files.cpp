#include "content/decoded_files.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>

namespace orvel {

namespace fs = std::filesystem;

void DecodedFiles::add(const BatchFileReport& report) {
  using Kind = BatchFileReport::Kind;
  if (report.kind == Kind::Finished) {
    decoded.push_back(report.path);
    // A file set aside (a batch stopped for a restart) and finished later.
    std::erase_if(shortfall, [&](const BatchFileReport& r) { return IntendedPath(r.path) == report.path; });
  }
  if (report.kind == Kind::Incomplete || report.kind == Kind::BrokenOff || report.kind == Kind::CrcError) {
    shortfall.push_back(report);
  }
}

std::string DecodedFiles::text() const {
  using Kind = BatchFileReport::Kind;
  const auto crc = std::count_if(shortfall.begin(), shortfall.end(),
                                 [](const BatchFileReport& r) { return r.kind == Kind::CrcError; });
  const auto incomplete = static_cast<std::ptrdiff_t>(shortfall.size()) - crc;
  auto files = [](std::ptrdiff_t n) { return std::to_string(n) + (n == 1 ? " file" : " files"); };
  std::string out;
  if (incomplete > 0) out = files(incomplete) + " incomplete";
  if (crc > 0) out += (out.empty() ? "" : ", ") + files(crc) + " with a CRC error";
  return out;
}

std::vector<std::string> DecodedFiles::partialPaths() const {
  std::vector<std::string> paths;
  for (const BatchFileReport& r : shortfall) {
    if (r.kind != BatchFileReport::Kind::CrcError) paths.push_back(r.path);
  }
  return paths;
}

std::vector<BatchFileReport> DecodedFiles::repaired(const std::string& directory,
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

std::string IntendedPath(const std::string& path) {
  const std::size_t mark = path.rfind("__error");
  if (mark == std::string::npos) return path;
  const std::string_view rest = std::string_view(path).substr(mark + 7);
  const bool broken = rest.empty() || (rest.rfind("_part_", 0) == 0 && rest.size() > 6 &&
                                       std::all_of(rest.begin() + 6, rest.end(),
                                                   [](char c) { return c >= '0' && c <= '9'; }));
  return broken ? path.substr(0, mark) : path;
}

void DropRepairedPartials(const std::vector<BatchFileReport>& repaired, ResumeStore& resume) {
  std::vector<DecoderState> records = resume.load();
  bool changed = false;
  for (const BatchFileReport& r : repaired) {
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

}  // namespace orvel
