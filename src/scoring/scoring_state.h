#pragma once
// What the program holds for scoring through a run: the score file's
// sections, the plonk list, the scoring and hard-kill switches, and the
// file's time stamp. The main window owns one (orvel-cli one per command);
// each group view takes its part of it through a GroupScoring.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/date_format.h"
#include "scoring/group_scorer.h"
#include "scoring/plonker.h"
#include "scoring/score_file.h"
#include "scoring/score_file_watch.h"

namespace orvel {

class Prompter;
class TGroupView;
struct Settings;

struct ScoringSettings {
  std::string scoreFile;  // the score file's path
  std::string plonkFile;  // "plonker.ini" in the data folder
  int expiredScoreOpt = 0;
  int scoreFileLoadOpt = 0;
  std::int32_t maxXPostKill = 10;
  bool enabled = true;    // acmEnableScoring
  bool hardKill = true;   // acmHardKill (HardKill)
  DateFormatSettings dates;

  static ScoringSettings FromSettings(const Settings& settings, const std::string& dataDir,
                                      const DateFormatSettings& dates);
};

class ScoringState {
 public:
  ScoringState(ScoringSettings settings, Prompter& prompter);

  // The score file into the sections and the plonk list from its file.
  void Load();
  // The score file again (acmReloadScore, or a change on disk); false when
  // it did not load (its error is on the status bar, no rules apply).
  bool ReloadScores();
  // Whether the file changed on disk and ScoreFileLoadOpt says to reload.
  bool ShouldReload() { return watch_.ShouldReload(settings_.scoreFileLoadOpt, prompter_); }
  // Writes the plonk list when it changed (at shutdown).
  bool SavePlonks(std::string* error = nullptr) { return plonker_.Save(error); }

  const ScoreSectionList& Sections() const { return sections_; }
  TPlonker& Plonker() { return plonker_; }
  const ScoringSettings& Settings() const { return settings_; }
  void SetEnabled(bool on) { settings_.enabled = on; }
  void SetHardKill(bool on) { settings_.hardKill = on; }
  // Where the rules' "action: play" sounds go (none: silent, as in orvel-cli);
  // group views opened afterwards use it.
  void SetSoundPlayer(std::unique_ptr<SoundPlayer> player) { sound_ = std::move(player); }
  SoundPlayer* Sound() const { return sound_.get(); }

 private:
  ScoringSettings settings_;
  Prompter& prompter_;
  ScoreSectionList sections_;
  TPlonker plonker_;
  ScoreFileWatch watch_;
  std::unique_ptr<SoundPlayer> sound_;
};

// A group view's part: the sections of its group, the plonk list and the
// switches set into the view's overview parsing, and re-scoring.
class GroupScoring {
 public:
  GroupScoring(ScoringState& state, TGroupView& view);

  // Before the view opens: the hooks and the extra header names.
  void Attach();
  // acmRescore: the group's sections again, every article scored anew
  // ("Re-scoring..."), the threads rebuilt.
  void Rescore();
  // Why an article has its score.
  ScoreExplanation Explain(const TArticle& article);
  // The group's section patterns as the rule builder lists them ("~" first
  // for an inverted one).
  std::vector<std::string> SectionPatterns() const;
  ScoringState& State() { return state_; }

 private:
  // The score an article gets while its overview is parsed.
  std::int32_t scoreOf(const TArticle& article);

  ScoringState& state_;
  TGroupView& view_;
  GroupScorer scorer_;
};

}  // namespace orvel
