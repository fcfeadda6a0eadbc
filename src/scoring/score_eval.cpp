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
  // Whether a text of the article can match the field: it holds the
  // field's literal.
  bool mayMatch(const TScoreField& field, int part) const { return plan_.Found(field, part); }
  bool surelyMatches(const TScoreField& field, int part) const { return plan_.Matched(field, part); }

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

bool fieldTest(TScoreField& field, ArticleFields& fields, Prompter* prompter) {
  const TArticle& a = fields.article();
  auto test = [&](std::string_view text, int part = 0) {
    if (fields.surelyMatches(field, part)) return true;
    return fields.mayMatch(field, part) &&
           matches(field, text, fields.validUtf8(field.keyType, part, text), prompter);
  };
  switch (field.keyType) {
    case ScoreKey::Subject: return test(a.Subject);
    case ScoreKey::From: return test(a.FromName()) || test(a.FromAddress(), 1);
    case ScoreKey::MessageID: return test(a.MessageID);
    case ScoreKey::Lines: return a.Lines > field.number;
    case ScoreKey::References: return test(a.References);
    case ScoreKey::XRef: return test(a.Xref);
    case ScoreKey::Bytes: return a.Bytes > field.number;
    case ScoreKey::Header: {
      // Header values differ by name: checked each time.
      const std::string* value = fields.header(field.headerName);
      return value && MayContain(*value, field.literal, field.caseless) &&
             matches(field, *value, IsValidUtf8(*value), prompter);
    }
  }
  return false;
}

// Whether a rule matches; trace (when given) receives the fields evaluated.
bool ruleMatches(TScoreTest& rule, ArticleFields& fields, Prompter* prompter,
                 std::vector<ScoreRuleTrace::Field>* trace) {
  const bool any = rule.flags & TScoreTest::kAny;
  bool result = false;
  for (TScoreField& field : rule.fields) {
    result = fieldTest(field, fields, prompter) != field.invert;
    if (trace) trace->push_back({field.line, field.text, result});
    if (result == any) break;
  }
  return result;
}

bool endsEvaluation(const TScoreTest& rule) {
  return rule.score == 9999 || rule.score == -9999 || (rule.flags & TScoreTest::kAssign);
}

void playSound(const TScoreTest& rule, SoundPlayer* sound) {
  if (rule.action != TScoreTest::kPlay || !sound || rule.soundFile.empty()) return;
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
    TScoreTest& rule = *plan.Rules()[i].test;
    if (!ruleMatches(rule, fields, services.prompter, nullptr)) return true;
    playSound(rule, services.sound);
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
    TScoreTest& rule = *candidate.test;
    ScoreRuleTrace trace;
    if (!ruleMatches(rule, fields, nullptr, &trace.fields)) return true;
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
