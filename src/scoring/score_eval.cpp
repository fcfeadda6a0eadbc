#include "scoring/score_eval.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "articles/article.h"
#include "core/charset.h"
#include "core/prompter.h"
#include "core/text.h"
#include "scoring/literal_set.h"
#include "scoring/score_plan.h"

namespace orvel {

namespace {

// What one evaluation reads besides the rules: the literals the plan found
// in the article's texts and its extra header values, looked up at most once.
class ArticleFields {
 public:
  ArticleFields(const TArticle& article, const ScorePlan& plan,
                const std::vector<std::string>& names, const ExtraHeaderValues* values)
      : article_(article), plan_(plan), names_(names), values_(values) {}

  const TArticle& article() const { return article_; }

  // Whether a text of the article is valid UTF-8, checked once per article
  // however many patterns read it.
  bool validUtf8(ScoreKey key, int part, std::string_view text) {
    const int slot = static_cast<int>(key) * 2 + part;
    if (valid_[slot] < 0) valid_[slot] = IsValidUtf8(text) ? 1 : 0;
    return valid_[slot] == 1;
  }
  const ScorePlan& plan() const { return plan_; }
  // References spelt out once per article (most are links).
  std::string_view references() {
    if (!referencesSpelt_) {
      references_ = article_.References.Text(referencesScratch_);
      referencesSpelt_ = true;
    }
    return references_;
  }

  // The value of an extra header, or nothing when the article has none.
  const std::string* header(const std::string& name) {
    if (!values_) return nullptr;
    if (!looked_) {
      char key[16];
      const auto end = std::to_chars(key, key + sizeof key, article_.Number).ptr;
      list_ = values_->Find(std::string_view(key, static_cast<std::size_t>(end - key)));
      looked_ = true;
    }
    if (!list_) return nullptr;
    for (std::size_t i = 0; i < names_.size() && i < list_->size(); ++i) {
      if (equalsNoCase(names_[i], name)) return (*list_)[i].empty() ? nullptr : &(*list_)[i];
    }
    return nullptr;
  }

 private:
  const TArticle& article_;
  const ScorePlan& plan_;
  const std::vector<std::string>& names_;
  const ExtraHeaderValues* values_;
  const std::vector<std::string>* list_ = nullptr;
  bool looked_ = false;
  bool referencesSpelt_ = false;
  std::string_view references_;
  std::string referencesScratch_;
  std::int8_t valid_[18] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
};

void reportLimit(std::string_view pattern, int line, bool& reported, Prompter* prompter) {
  if (reported) return;
  reported = true;
  if (prompter) {
    prompter->status("Expression abandonn\xC3\xA9" "e (trop de retours arri\xC3\xA8re) \"" +
                     std::string(pattern) + "\" ligne   " + std::to_string(line));
  }
}

bool matches(TScoreField& field, std::string_view text, bool validUtf8, Prompter* prompter) {
  const std::uint64_t hits = field.regex->LimitHits();
  const bool found = field.regex->MatchChecked(text, validUtf8);
  if (field.regex->LimitHits() != hits) {
    reportLimit(field.regex->Pattern(), field.line, field.limitReported, prompter);
  }
  return found;
}

// The text a field tests (part 1: the author's address).
std::string_view textOf(ArticleFields& fields, ScoreKey key, int part) {
  const TArticle& a = fields.article();
  switch (key) {
    case ScoreKey::Subject: return a.Subject;
    case ScoreKey::From: return part == 0 ? a.FromName() : a.FromAddress();
    case ScoreKey::MessageID: return a.MessageID;
    case ScoreKey::References: return fields.references();
    case ScoreKey::XRef: return a.Xref;
    case ScoreKey::Lines:
    case ScoreKey::Bytes:
    case ScoreKey::Header: break;
  }
  return {};
}

// The regex of a field on one of the article's texts, or on the extra
// header it names. Kept apart from fieldTest, which mostly decides without it.
[[gnu::noinline]] bool regexTest(const ScorePlan::Field& field, int part, ArticleFields& fields,
                                 Prompter* prompter) {
  TScoreField& source = *field.source;
  if (field.key == ScoreKey::Header) {
    // Header values differ by name: checked each time.
    const std::string* value = fields.header(source.headerName);
    return value && MayContain(*value, source.literal, source.caseless) &&
           matches(source, *value, IsValidUtf8(*value), prompter);
  }
  const std::string_view text = textOf(fields, field.key, part);
  return matches(source, text, fields.validUtf8(field.key, part, text), prompter);
}

[[gnu::noinline]] bool fieldTest(const ScorePlan::Field& field, ArticleFields& fields,
                                 Prompter* prompter) {
  if (field.bit != ScorePlan::kNoLiteral) {
    // A text without the field's literal cannot match; a plain pattern
    // found as it stands does. From tests the name, then the address.
    const ScorePlan& plan = fields.plan();
    if (plan.Found(field, 0) && (plan.Sure(field, 0) || regexTest(field, 0, fields, prompter))) {
      return true;
    }
    return field.key == ScoreKey::From && plan.Found(field, 1) &&
           (plan.Sure(field, 1) || regexTest(field, 1, fields, prompter));
  }
  switch (field.key) {
    case ScoreKey::Lines: return fields.article().Lines > field.number;
    case ScoreKey::Bytes: return fields.article().Bytes > field.number;
    case ScoreKey::From:
      return regexTest(field, 0, fields, prompter) || regexTest(field, 1, fields, prompter);
    default: return regexTest(field, 0, fields, prompter);
  }
}

// What fieldTest would answer when no regex has to run (most fields): 1 or
// 0, else -1.
[[gnu::always_inline]] inline int quickTest(const ScorePlan::Field& field, const ScorePlan& plan,
                                            const TArticle& a) {
  if (field.bit == ScorePlan::kNoLiteral) {
    if (field.key == ScoreKey::Lines) return a.Lines > field.number;
    if (field.key == ScoreKey::Bytes) return a.Bytes > field.number;
    return -1;
  }
  if (plan.Found(field, 0)) return plan.Sure(field, 0) ? 1 : -1;
  if (field.key != ScoreKey::From || !plan.Found(field, 1)) return 0;
  return plan.Sure(field, 1) ? 1 : -1;
}

// Whether a rule matches; trace(field, result) sees each field evaluated.
template <typename Trace>
bool ruleMatches(const ScorePlan::Rule& rule, ArticleFields& fields, Prompter* prompter,
                 Trace&& trace) {
  const bool any = rule.test->flags & TScoreTest::kAny;
  const ScorePlan& plan = fields.plan();
  const ScorePlan::Field* planFields = plan.Fields().data();
  bool result = false;
  for (std::uint32_t i = rule.fieldsBegin; i < rule.fieldsEnd; ++i) {
    const ScorePlan::Field& field = planFields[i];
    const int quick = quickTest(field, plan, fields.article());
    result = (quick < 0 ? fieldTest(field, fields, prompter) : quick == 1) != field.invert;
    trace(*field.source, result);
    if (result == any) break;
  }
  return result;
}

bool endsEvaluation(const TScoreTest& rule) {
  return rule.score == 9999 || rule.score == -9999 || (rule.flags & TScoreTest::kAssign);
}

[[gnu::noinline]] void playSound(const TScoreTest& rule, SoundPlayer* sound) {
  if (!sound || rule.soundFile.empty()) return;
  std::error_code ec;
  if (std::filesystem::exists(rule.soundFile, ec)) sound->Play(rule.soundFile);
}

}  // namespace

void SelectSections(std::string_view groupName, const ScoreSectionList& all,
                    ScoreSectionList& groupSections, std::vector<std::string>& headerNames,
                    Prompter* prompter) {
  groupSections.clear();
  headerNames.clear();
  for (const auto& section : all) {
    const std::uint64_t hits = section->groupRegex.LimitHits();
    const bool found = section->groupRegex.Match(groupName);
    if (section->groupRegex.LimitHits() != hits) {
      reportLimit(section->pattern, section->line, section->limitReported, prompter);
    }
    if (found == section->invert) continue;
    groupSections.push_back(section);
    for (const TScoreTest& rule : section->rules) {
      for (const TScoreField& field : rule.fields) {
        if (field.keyType != ScoreKey::Header) continue;
        const bool known = std::any_of(headerNames.begin(), headerNames.end(), [&](auto& n) {
          return equalsNoCase(n, field.headerName);
        });
        if (!known) headerNames.push_back(field.headerName);
      }
    }
  }
}

std::int32_t EvaluateScore(ScorePlan& plan, const TArticle& article,
                           const std::vector<std::string>& extraNames,
                           const ExtraHeaderValues* extraValues, const ScoreServices& services) {
  plan.Prepare(article);
  ArticleFields fields(article, plan, extraNames, extraValues);
  std::int32_t total = 0;
  plan.Candidates([&](std::size_t i) {
    const ScorePlan::Rule& candidate = plan.Rules()[i];
    if (!ruleMatches(candidate, fields, services.prompter, [](const TScoreField&, bool) {})) {
      return true;
    }
    const TScoreTest& rule = *candidate.test;
    if (rule.action == TScoreTest::kPlay) playSound(rule, services.sound);
    if (!endsEvaluation(rule)) {
      total += rule.score;
      return true;
    }
    total = rule.score;
    return false;
  });
  return total;
}

ScoreExplanation ExplainScore(ScorePlan& plan, const TArticle& article,
                              const std::vector<std::string>& extraNames,
                              const ExtraHeaderValues* extraValues) {
  plan.Prepare(article);
  ArticleFields fields(article, plan, extraNames, extraValues);
  ScoreExplanation out;
  plan.Candidates([&](std::size_t i) {
    const ScorePlan::Rule& candidate = plan.Rules()[i];
    const TScoreTest& rule = *candidate.test;
    ScoreRuleTrace trace;
    const auto traceField = [&](const TScoreField& field, bool result) {
      trace.fields.push_back({field.line, field.text, result});
    };
    if (!ruleMatches(candidate, fields, nullptr, traceField)) return true;
    const TScoreSection& section = *candidate.section;
    trace.section = (section.invert ? "[~" : "[") + section.pattern + "]";
    trace.sectionLine = section.line;
    trace.ruleLine = rule.line;
    trace.score = rule.score;
    trace.flags = rule.flags;
    const bool ends = endsEvaluation(rule);
    out.total = ends ? rule.score : out.total + rule.score;
    trace.total = out.total;
    trace.effect = !ends ? ScoreRuleTrace::Effect::Added
                   : (rule.flags & TScoreTest::kAssign) ? ScoreRuleTrace::Effect::Assigned
                                                        : ScoreRuleTrace::Effect::Stopped;
    out.rules.push_back(std::move(trace));
    return !ends;
  });
  return out;
}

std::string FormatExplanation(const ScoreExplanation& explanation) {
  std::string out;
  if (!explanation.kill.empty()) out += explanation.kill + "\n";
  int sectionLine = 0;
  for (const ScoreRuleTrace& rule : explanation.rules) {
    if (rule.sectionLine != sectionLine) {
      sectionLine = rule.sectionLine;
      out += format("section %s line %d\n", rule.section.c_str(), sectionLine);
    }
    const char* kind = (rule.flags & TScoreTest::kAny) ? "any field" : "all fields";
    switch (rule.effect) {
      case ScoreRuleTrace::Effect::Added:
        out += format("  rule line %d (%s): adds %d, total %d\n", rule.ruleLine, kind, rule.score,
                      rule.total);
        break;
      case ScoreRuleTrace::Effect::Assigned:
        out += format("  rule line %d (%s): assigns %d and stops\n", rule.ruleLine, kind,
                      rule.score);
        break;
      case ScoreRuleTrace::Effect::Stopped:
        out += format("  rule line %d (%s): scores %d and stops\n", rule.ruleLine, kind,
                      rule.score);
        break;
    }
    for (const auto& field : rule.fields) {
      out += format("    line %d %s: %s\n", field.line, field.result ? "true" : "false",
                    field.text.c_str());
    }
  }
  out += format("total: %d\n", explanation.total);
  return out;
}

}  // namespace orvel
