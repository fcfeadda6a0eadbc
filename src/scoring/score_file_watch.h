#pragma once
// Noticing that the score file changed on disk (its time stamp differs from
// the one remembered at the last load), deciding with ScoreFileLoadOpt
// whether to reload, and creating a missing file before it is edited.

#include <filesystem>
#include <optional>
#include <string>

namespace orvel {

class Prompter;

// The score file named by the ScoreFile setting: a relative name is in the
// data folder (dataDir ends with "/").
std::string ScoreFilePath(const std::string& setting, const std::string& dataDir);

class ScoreFileWatch {
 public:
  explicit ScoreFileWatch(std::string path = {}) : path_(std::move(path)) {}

  void SetPath(std::string path) { path_ = std::move(path); }
  const std::string& Path() const { return path_; }
  // Remembers the file's current time stamp (none when it is missing).
  void Remember();
  bool Changed() const;
  // When the application becomes active: whether to reload now. Option 0
  // reloads, 1 asks "Fichier de score modifié : Recharger?", 2 ignores
  // changes. A change not reloaded is remembered, so it is not asked again.
  bool ShouldReload(int scoreFileLoadOpt, Prompter& prompter);

 private:
  std::optional<std::filesystem::file_time_type> stamp() const;

  std::string path_;
  std::optional<std::filesystem::file_time_type> remembered_;
};

// Before editing: a missing file is created, when the person agrees, with
// its two comment lines. True when the file exists afterwards; error is set
// when creating it failed.
bool EnsureScoreFile(const std::string& path, Prompter& prompter, std::string* error = nullptr);

}  // namespace orvel
