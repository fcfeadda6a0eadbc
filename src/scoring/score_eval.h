#pragma once
// Scoring an article with the sections of its group: which sections apply
// to a group, the extra headers their rules test, the score, and the same
// evaluation told step by step for "why this score".
//
// Rules run in file order within sections in file order. A rule's fields
// are tested in order: with "any" the first true field decides, otherwise
// the first false one does. A matching rule adds its score, or ends the
// evaluation with it when it assigns or is 9999 or -9999.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "articles/xover.h"
#include "scoring/score_file.h"
#include "scoring/score_plan.h"

namespace orvel {

class Prompter;
class TArticle;

// Plays a rule's sound without waiting; the GUI's is QSoundEffect.
class SoundPlayer {
 public:
  virtual ~SoundPlayer() = default;
  virtual void Play(const std::string& path) = 0;
};

// Where an evaluation plays sounds and reports a regex that gave up (once
// per field per load, as a status text); either may be null.
struct ScoreServices {
  SoundPlayer* sound = nullptr;
  Prompter* prompter = nullptr;
};

// The sections whose regex matches the group name, unless inverted (match
// xor invert), in file order; then every extra header name their rules
// test, each once, in order of first use.
void SelectSections(std::string_view groupName, const ScoreSectionList& all,
                    ScoreSectionList& groupSections, std::vector<std::string>& headerNames,
                    Prompter* prompter = nullptr);

std::int32_t EvaluateScore(ScorePlan& plan, const TArticle& article,
                           const std::vector<std::string>& extraNames,
                           const ExtraHeaderValues* extraValues,
                           const ScoreServices& services = {});

// One rule that matched, with the lines that made it match.
struct ScoreRuleTrace {
  std::string section;  // "[pattern]" or "[~pattern]"
  int sectionLine = 0;
  int ruleLine = 0;
  std::int32_t score = 0;
  std::uint8_t flags = 0;
  struct Field {
    int line;
    std::string text;
    bool result;
  };
  std::vector<Field> fields;  // the fields evaluated, in order
  enum class Effect { Added, Assigned, Stopped } effect = Effect::Added;
  std::int32_t total = 0;  // the score after this rule
};

struct ScoreExplanation {
  std::string kill;  // "plonked" or "killed: cross-posted to N groups" when that decided
  std::vector<ScoreRuleTrace> rules;
  std::int32_t total = 0;
};

ScoreExplanation ExplainScore(ScorePlan& plan, const TArticle& article,
                              const std::vector<std::string>& extraNames,
                              const ExtraHeaderValues* extraValues);

// The explanation as orvel-cli prints it, one line per step, then "total: N".
std::string FormatExplanation(const ScoreExplanation& explanation);

}  // namespace orvel
