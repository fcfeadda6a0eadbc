#include "scoring/score_plan.h"

#include <algorithm>

#include "articles/article.h"

namespace orvel {

namespace {

// A field whose match needs its literal in one of the article's texts or
// its size on one side of the number.
bool gates(const TScoreField& field) {
  if (field.IsNumeric()) return true;
  return !field.invert && field.literalId >= 0 && field.keyType != ScoreKey::Header;
}

}  // namespace

ScorePlan::ScorePlan(const ScoreSectionList& sections) : sections_(sections) {
  int literals = 0;
  for (const auto& section : sections_) {
    for (TScoreTest& test : section->rules) {
      rules_.push_back({section.get(), &test});
      for (const TScoreField& field : test.fields) literals = std::max(literals, field.literalId + 1);
    }
  }
  ruleWords_ = (rules_.size() + 63) / 64;
  const std::size_t bits = static_cast<std::size_t>(literals) * 2;
  found_.assign((bits + 63) / 64, 0);
  sure_ = found_;
  gates_.assign(bits * ruleWords_, 0);
  ungated_.assign(ruleWords_, 0);
  for (int i = 0; i < kPlanTexts * 2; ++i) sets_.emplace_back(i % 2 == 1);
  for (std::size_t i = 0; i < rules_.size(); ++i) {
    for (const TScoreField& field : rules_[i].test->fields) searchFor(field);
    addGate(i, *rules_[i].test);
  }
  for (int i = 0; i < 4; ++i) numberGates_[i].Build(i % 2 == 1);
}

void ScorePlan::addGate(std::size_t rule, const TScoreTest& test) {
  const auto& fields = test.fields;
  if (test.flags & TScoreTest::kAny) {
    // Any true field makes the rule: every field must need its literal.
    if (!std::all_of(fields.begin(), fields.end(), gates)) return SetBit(ungated_, rule);
    for (const TScoreField& field : fields) gateOn(rule, field);
    return;
  }
  // Every field must be true: one gating field gates the rule, a literal
  // rather than a size, which lets more articles through.
  auto gate = std::find_if(fields.begin(), fields.end(),
                           [](const TScoreField& f) { return gates(f) && !f.IsNumeric(); });
  if (gate == fields.end()) gate = std::find_if(fields.begin(), fields.end(), gates);
  if (gate == fields.end()) return SetBit(ungated_, rule);
  gateOn(rule, *gate);
}

// The texts a field's literal is searched in, with the part of each.
template <typename Visit>
void ForEachText(const TScoreField& field, Visit&& visit) {
  switch (field.keyType) {
    case ScoreKey::Subject: return visit(ScorePlanText::kSubject, 0);
    case ScoreKey::From:
      visit(ScorePlanText::kFromName, 0);
      return visit(ScorePlanText::kFromAddress, 1);
    case ScoreKey::MessageID: return visit(ScorePlanText::kMessageID, 0);
    case ScoreKey::References: return visit(ScorePlanText::kReferences, 0);
    case ScoreKey::XRef: return visit(ScorePlanText::kXref, 0);
    case ScoreKey::Lines:
    case ScoreKey::Bytes:
    case ScoreKey::Header: return;
  }
}

void ScorePlan::searchFor(const TScoreField& field) {
  if (field.literalId < 0) return;
  ForEachText(field, [&](ScorePlanText text, int part) {
    sets_[static_cast<std::size_t>(text) * 2 + field.caseless].Add(field.literal, bitOf(field, part));
  });
}

void ScorePlan::gateOn(std::size_t rule, const TScoreField& field) {
  if (field.IsNumeric()) {
    numberGate(field).rules.emplace_back(field.number, rule);
    return;
  }
  ForEachText(field, [&](ScorePlanText, int part) {
    SetBit(gates_, bitOf(field, part) * ruleWords_ * 64 + rule);
  });
}

void ScorePlan::Prepare(const TArticle& article) {
  std::fill(found_.begin(), found_.end(), 0);
  std::fill(sure_.begin(), sure_.end(), 0);
  const std::string_view texts[kPlanTexts] = {
      article.Subject,    article.FromName(),   article.FromAddress(),
      article.MessageID,  article.References,   article.Xref,
  };
  for (std::size_t i = 0; i < sets_.size(); ++i) {
    if (!sets_[i].Empty()) sets_[i].Find(texts[i / 2], found_, sure_);
  }
  candidates_ = ungated_;
  numberGates_[0].Through(article.Lines, candidates_);
  numberGates_[1].Through(article.Lines, candidates_);
  numberGates_[2].Through(article.Bytes, candidates_);
  numberGates_[3].Through(article.Bytes, candidates_);
  for (std::size_t w = 0; w < found_.size(); ++w) {
    for (std::uint64_t word = found_[w]; word != 0; word &= word - 1) {
      const std::size_t bit = w * 64 + static_cast<std::size_t>(__builtin_ctzll(word));
      const auto* gate = gates_.data() + bit * ruleWords_;
      for (std::size_t r = 0; r < ruleWords_; ++r) candidates_[r] |= gate[r];
    }
  }
}

void ScorePlan::NumberGate::Build(bool inverted) {
  std::sort(rules.begin(), rules.end());
  numbers_.clear();
  for (const auto& [number, rule] : rules) numbers_.push_back(number);
  inverted_ = inverted;
}

void ScorePlan::NumberGate::Through(std::int32_t value, BitWords& candidates) const {
  // "Lines: N" lets through the rules of numbers below the value, "~Lines: N"
  // the others.
  const auto below = static_cast<std::size_t>(
      std::lower_bound(numbers_.begin(), numbers_.end(), value) - numbers_.begin());
  const std::size_t from = inverted_ ? below : 0;
  const std::size_t to = inverted_ ? rules.size() : below;
  for (std::size_t i = from; i < to; ++i) SetBit(candidates, rules[i].second);
}

bool ScorePlan::Found(const TScoreField& field, int part) const {
  return field.literalId < 0 || TestBit(found_, bitOf(field, part));
}

bool ScorePlan::Matched(const TScoreField& field, int part) const {
  return field.literalIsPattern && TestBit(sure_, bitOf(field, part));
}

}  // namespace orvel
