#include "scoring/score_file_watch.h"

#include <system_error>

#include "core/atomic_file.h"
#include "core/prompter.h"
#include "scoring/score_file.h"

namespace orvel {

std::string ScoreFilePath(const std::string& setting, const std::string& dataDir) {
  const std::string name = setting.empty() ? "score.ini" : setting;
  return std::filesystem::path(name).is_absolute() ? name : dataDir + name;
}

std::optional<std::filesystem::file_time_type> ScoreFileWatch::stamp() const {
  std::error_code ec;
  const auto time = std::filesystem::last_write_time(path_, ec);
  if (ec) return std::nullopt;
  return time;
}

void ScoreFileWatch::Remember() { remembered_ = stamp(); }

bool ScoreFileWatch::Changed() const { return stamp() != remembered_; }

bool ScoreFileWatch::ShouldReload(int scoreFileLoadOpt, Prompter& prompter) {
  if (scoreFileLoadOpt == 2 || !Changed()) return false;
  if (scoreFileLoadOpt == 1 &&
      prompter.ask("Fichier de score modifi\xC3\xA9 : Recharger?", kYesNo) != Button::Yes) {
    Remember();
    return false;
  }
  return true;
}

bool EnsureScoreFile(const std::string& path, Prompter& prompter, std::string* error) {
  std::error_code ec;
  if (std::filesystem::exists(path, ec)) return true;
  if (prompter.ask("Fichier score introuvable. Cr\xC3\xA9" "er?", kYesNo) != Button::Yes) {
    return false;
  }
  return SaveFileAtomically(path, kNewScoreFileText, error);
}

}  // namespace orvel
