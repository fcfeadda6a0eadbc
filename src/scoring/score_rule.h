#pragma once
// The score-rule builder's model: a rule composed from one article's fields,
// its text for the score file (or for the clipboard, with the unchosen parts
// commented out with "%"), and its placement in the file. The caller reloads
// the rules after WriteRule.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "articles/article_date.h"
#include "core/date_format.h"

namespace orvel {

class TArticle;

// What the builder reads of the current article.
struct RuleArticle {
  std::string subject;
  std::string fromName;
  std::string fromAddress;
  std::string messageId;
  std::string references;
  std::string xref;
  std::int32_t lines = 0;
};
RuleArticle RuleArticleOf(const TArticle& article);

// The six fields in the order their lines are written.
enum class RuleField { Subject, From, References, XRef, Lines, MessageID };
inline constexpr int kRuleFieldCount = 6;

// "Correspond [regexp]", "Ne correspond pas à", "Matche [majuscules]",
// "Ne matche pas [maj]"; for Lines the first two read "plus de:" and
// "pas plus de:".
enum class MatchMode { Matches, NotMatches, MatchesCase, NotMatchesCase };

// Where the References value comes from: "Editer:", "Cet article",
// "Tête du fil", "Autres du fil".
enum class ReferencesSource { Edited, ThisArticle, ThreadHead, OthersOfThread };

enum class ScoreChoice { Value, Kill, Top };

enum class RulePreset { KillThread, KillFromHere, MarkThreadImportant, ImportantFromHere };

struct RuleFieldChoice {
  bool checked = false;
  MatchMode mode = MatchMode::Matches;
  std::string value;                // the edited value (Lines: the number)
  std::vector<std::string> offers;  // the values the article offers
};

struct ScoreRule {
  // 1. Section: an existing one (its pattern, "~" first when inverted), or a
  // new one.
  std::vector<std::string> sections;
  int section = -1;
  bool newSection = true;
  std::string newPattern;
  bool allBut = false;
  // 2. Score.
  bool assign = false;
  ScoreChoice choice = ScoreChoice::Value;
  std::int32_t value = 1000;
  // 3. Expiry in days; none when never.
  bool expires = true;
  std::int32_t days = 30;
  // 4. Fields.
  std::array<RuleFieldChoice, kRuleFieldCount> fields;
  ReferencesSource referencesSource = ReferencesSource::Edited;
  std::string thisId;  // the escaped Message-IDs of the article and its thread head
  std::string headId;
  // 5. "OU" (any field) instead of "ET".
  bool any = false;

  RuleFieldChoice& field(RuleField f) { return fields[static_cast<int>(f)]; }
  const RuleFieldChoice& field(RuleField f) const { return fields[static_cast<int>(f)]; }
};

inline constexpr std::int32_t kRuleMaxDays = 365;

// The text with every regular-expression metacharacter backslashed.
std::string EscapeRegex(std::string_view text);

// A builder filled from an article of group; sectionPatterns are the
// sections applying to the group (an inverted one with "~" first).
ScoreRule FillScoreRule(const RuleArticle& article, std::string_view group,
                        std::vector<std::string> sectionPatterns);

// The error text of a field's value as typed ("" when it is good): a regex
// that does not compile, or a Lines value that is not a number.
std::string FieldError(const ScoreRule& rule, RuleField field);
// The error of the new section's pattern ("" when good or not used).
std::string SectionError(const ScoreRule& rule);
// Nothing blocks writing or copying.
bool RuleIsValid(const ScoreRule& rule);

// The References value the rule writes.
std::string ReferencesValue(const ScoreRule& rule);

void ApplyPreset(ScoreRule& rule, RulePreset preset, std::string_view group);

enum class RuleTextUse { Apply, Copy };
// The rule text with CRLF line ends; now is the local date and time.
std::string RuleText(const ScoreRule& rule, RuleTextUse use, DateTime now,
                     const DateFormatSettings& formats);

// The "[...]" header line of the rule's section.
std::string SectionHeader(const ScoreRule& rule);

// Writes ruleText (made for RuleTextUse::Apply) into the score file at path:
// a new section at the end; for an existing one, before the next section
// header after its own, or with an empty line and its header at the end
// when the header is missing. False with error set when the file cannot be
// written.
bool WriteRule(const std::string& path, const ScoreRule& rule, std::string_view ruleText,
               std::string* error = nullptr);

}  // namespace orvel
