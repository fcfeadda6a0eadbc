#include "posting/draft_file.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <optional>
#include <set>
#include <system_error>

#include "core/atomic_file.h"

namespace orvel {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kPrefix = "draft-";
constexpr std::string_view kSuffix = ".txt";

// The drafts the DraftFiles of this process hold.
std::set<std::string>& OwnDrafts() {
  static std::set<std::string> paths;
  return paths;
}

std::string DraftDir(std::string foldersDir) {
  if (!foldersDir.empty() && foldersDir.back() != '/') foldersDir += '/';
  return foldersDir + "drafts/";
}

std::optional<long> Digits(std::string_view text) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

// The pid in a draft's file name; nothing for any other file.
std::optional<long> DraftPid(std::string_view name) {
  if (name.size() <= kPrefix.size() + kSuffix.size() || !name.starts_with(kPrefix) ||
      !name.ends_with(kSuffix)) {
    return std::nullopt;
  }
  name = name.substr(kPrefix.size(), name.size() - kPrefix.size() - kSuffix.size());
  const std::size_t dash = name.find('-');
  if (dash == std::string_view::npos || !Digits(name.substr(dash + 1))) return std::nullopt;
  return Digits(name.substr(0, dash));
}

// A process of another user still counts (EPERM): it may be a program
// sharing the directory.
bool ProcessRuns(long pid) {
  return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
}

}  // namespace

DraftFile::DraftFile(std::string foldersDir) {
  static long counter = 0;
  const std::string dir = DraftDir(std::move(foldersDir));
  std::error_code ec;
  do {
    path_ = dir + std::string(kPrefix) + std::to_string(::getpid()) + "-" +
            std::to_string(++counter) + std::string(kSuffix);
  } while (fs::exists(path_, ec));
  OwnDrafts().insert(path_);
}

DraftFile::~DraftFile() { OwnDrafts().erase(path_); }

bool DraftFile::Write(std::string_view queuedText) {
  std::error_code ec;
  fs::create_directories(fs::path(path_).parent_path(), ec);
  return SaveFileAtomically(path_, queuedText, nullptr, {0600, false});
}

void DraftFile::Remove() {
  std::error_code ec;
  fs::remove(path_, ec);
}

const std::string& DraftFile::Path() const { return path_; }

std::vector<LeftDraft> LeftDrafts(const std::string& foldersDir) {
  struct Found {
    fs::file_time_type time;
    LeftDraft draft;
  };
  std::vector<Found> found;
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(DraftDir(foldersDir), ec)) {
    const std::string path = entry.path().string();
    const std::optional<long> pid = DraftPid(entry.path().filename().string());
    if (!pid || !entry.is_regular_file(ec) || OwnDrafts().contains(path)) continue;
    if (*pid != ::getpid() && ProcessRuns(*pid)) continue;
    Found f{entry.last_write_time(ec), {path, {}}};
    if (ec || !ReadWholeFile(path, f.draft.text)) continue;
    found.push_back(std::move(f));
  }
  std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
    return a.time != b.time ? a.time < b.time : a.draft.path < b.draft.path;
  });
  std::vector<LeftDraft> drafts;
  for (Found& f : found) drafts.push_back(std::move(f.draft));
  return drafts;
}

}  // namespace orvel
