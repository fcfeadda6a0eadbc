#include "scoring/scoring_state.h"

#include <algorithm>

#include "articles/article_date.h"
#include "articles/group_view.h"
#include "config/settings.h"
#include "core/prompter.h"
#include "scoring/score_eval.h"

namespace orvel {

namespace {

constexpr std::string_view kRescoringText = "Re-scoring...";

}  // namespace

ScoringSettings ScoringSettings::FromSettings(const orvel::Settings& s, const std::string& dataDir,
                                              const DateFormatSettings& dates) {
  ScoringSettings o;
  o.scoreFile = ScoreFilePath(s.scoreFile, dataDir);
  o.plonkFile = dataDir + "plonker.ini";
  o.expiredScoreOpt = s.expiredScoreOpt;
  o.scoreFileLoadOpt = s.scoreFileLoadOpt;
  o.maxXPostKill = s.maxXPostKill;
  o.hardKill = s.hardKill;
  o.dates = dates;
  return o;
}

ScoringState::ScoringState(ScoringSettings settings, Prompter& prompter)
    : settings_(std::move(settings)), prompter_(prompter), watch_(settings_.scoreFile) {}

void ScoringState::Load() {
  ReloadScores();
  plonker_.Load(settings_.plonkFile, TodayDayNumber());
}

bool ScoringState::ReloadScores() {
  ScoreLoadOptions options;
  options.expiredScoreOpt = settings_.expiredScoreOpt;
  options.today = TmOf(LocalNow());
  options.dates = settings_.dates;
  const ScoreLoadResult result = LoadScoreFile(sections_, settings_.scoreFile, options, prompter_);
  watch_.Remember();
  return result.ok;
}

// ---------------------------------------------------------------- a group's part

GroupScoring::GroupScoring(ScoringState& state, TGroupView& view)
    : state_(state), view_(view), scorer_(ScoreServices{state.Sound(), &view.UserPrompter()}) {}

void GroupScoring::Attach() {
  XoverView& x = view_.View();
  scorer_.Select(x.groupName.empty() ? view_.Record().name : x.groupName, state_.Sections());
  x.extraNames = scorer_.HeaderNames();
  x.scorer = &scorer_;
  x.plonk = &state_.Plonker();
  x.options.scoring = state_.Settings().enabled;
  x.options.hardKill = state_.Settings().hardKill;
  x.options.MaxXPostKill = state_.Settings().maxXPostKill;
}

std::int32_t GroupScoring::scoreOf(const TArticle& a) {
  const XoverView& x = view_.View();
  if (!KillReason(a, &state_.Plonker(), x.options.MaxXPostKill).empty()) return kKilledScore;
  if (!x.options.scoring) return 0;
  return scorer_.Score(a, x.extraNames, x.extraValues.get());
}

void GroupScoring::Rescore() {
  XoverView& x = view_.View();
  Prompter& prompter = view_.UserPrompter();
  prompter.status(kRescoringText);
  x.options.scoring = state_.Settings().enabled;
  x.options.hardKill = state_.Settings().hardKill;
  // Values fetched for fewer headers than the rules now test would be
  // read at the wrong places: they go, and come again with the next download.
  if (scorer_.Select(view_.Record().name, state_.Sections())) x.extraValues.reset();
  x.extraNames = scorer_.HeaderNames();
  for (TArticle* a : view_.MasterList()) {
    a->Score = scoreOf(*a);
    if (a->Score < 0) a->Set(NodeFlag::ReplyToMe, false);
  }
  view_.Rethread();
  prompter.status({});
}

ScoreExplanation GroupScoring::Explain(const TArticle& article) {
  const XoverView& x = view_.View();
  return scorer_.Explain(article, x.extraNames, x.extraValues.get(), &state_.Plonker(),
                         x.options.MaxXPostKill);
}

std::vector<std::string> GroupScoring::SectionPatterns() const {
  std::vector<std::string> out;
  for (const auto& section : scorer_.Sections()) {
    out.push_back((section->invert ? "~" : "") + section->pattern);
  }
  return out;
}

}  // namespace orvel
