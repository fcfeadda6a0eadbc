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

std::string_view textOf(const TArticle& article, ScorePlanText text, std::string& scratch) {
  switch (text) {
    case ScorePlanText::kSubject: return article.Subject;
    case ScorePlanText::kFromName: return article.FromName();
    case ScorePlanText::kFromAddress: return article.FromAddress();
    case ScorePlanText::kMessageID: return article.MessageID;
    case ScorePlanText::kReferences: return article.References.Text(scratch);
    case ScorePlanText::kXref: return article.Xref;
  }
  return {};
}

}  // namespace

ScorePlan::ScorePlan(const ScoreSectionList& sections) : sections_(sections) {
  int literals = 0;
  for (const auto& section : sections_) {
    for (TScoreTest& test : section->rules) {
      const auto begin = static_cast<std::uint32_t>(fields_.size());
      for (TScoreField& field : test.fields) {
        literals = std::max(literals, field.literalId + 1);
        // Header values are not searched for literals.
        const bool searched = field.literalId >= 0 && field.keyType != ScoreKey::Header;
        const auto bit = searched ? static_cast<std::uint32_t>(bitOf(field, 0)) : kNoLiteral;
        fields_.push_back({&field, bit, field.number, field.keyType, field.invert, field.literalIsPattern});
      }
      rules_.push_back({section.get(), &test, begin, static_cast<std::uint32_t>(fields_.size())});
    }
  }
  ruleWords_ = (rules_.size() + 63) / 64;
  const std::size_t bits = static_cast<std::size_t>(literals) * 2;
  found_.assign((bits + 63) / 64, 0);
  sure_ = found_;
  gates_.assign(bits * ruleWords_, 0);
  ungated_.assign(ruleWords_, 0);
  candidates_ = ungated_;
  for (int i = 0; i < kPlanTexts * 2; ++i) sets_.emplace_back(i % 2 == 1);
  for (std::size_t i = 0; i < rules_.size(); ++i) {
    for (const TScoreField& field : rules_[i].test->fields) searchFor(field);
    addGate(i, *rules_[i].test);
  }
  for (int i = 0; i < 4; ++i) numberGates_[i].Build(i % 2 == 1, ruleWords_);
  for (std::size_t i = 0; i < sets_.size(); ++i) {
    if (sets_[i].Empty()) continue;
    const auto text = static_cast<ScorePlanText>(i / 2);
    const bool author = text == ScorePlanText::kFromName || text == ScorePlanText::kFromAddress;
    (author ? authorSets_ : searched_).push_back(i);
  }
  authors_ = AuthorLiterals(found_.size());
  authorFound_ = found_;
  authorSure_ = found_;
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
  for (const std::size_t set : searched_) {
    sets_[set].Find(textOf(article, static_cast<ScorePlanText>(set / 2), scratch_), found_, sure_);
  }
  if (!authorSets_.empty()) findInAuthor(article);
  std::copy(ungated_.begin(), ungated_.end(), candidates_.begin());
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

void ScorePlan::findInAuthor(const TArticle& article) {
  const TAuthor* author = article.Author();
  if (!author) return;
  const std::string_view name = article.FromName();
  const std::string_view address = article.FromAddress();
  const std::uint64_t* bits = authors_.Lookup(author, name, address);
  if (!bits) {
    std::fill(authorFound_.begin(), authorFound_.end(), 0);
    std::fill(authorSure_.begin(), authorSure_.end(), 0);
    for (const std::size_t set : authorSets_) {
      const bool isName = static_cast<ScorePlanText>(set / 2) == ScorePlanText::kFromName;
      sets_[set].Find(isName ? name : address, authorFound_, authorSure_);
    }
    bits = authors_.Store(author, name, address, authorFound_, authorSure_);
  }
  const std::size_t words = found_.size();
  for (std::size_t w = 0; w < words; ++w) {
    found_[w] |= bits[w];
    sure_[w] |= bits[words + w];
  }
}

void ScorePlan::NumberGate::Build(bool inverted, std::size_t ruleWords) {
  std::sort(rules.begin(), rules.end());
  numbers_.clear();
  for (const auto& [number, rule] : rules) numbers_.push_back(number);
  ruleWords_ = ruleWords;
  through_.assign((rules.size() + 1) * ruleWords, 0);
  // "Lines: N" lets through the rules of numbers below the value, "~Lines: N"
  // the others.
  for (std::size_t below = 0; below <= rules.size(); ++below) {
    const std::size_t from = inverted ? below : 0;
    const std::size_t to = inverted ? rules.size() : below;
    for (std::size_t i = from; i < to; ++i) {
      SetBit(through_, below * ruleWords * 64 + rules[i].second);
    }
  }
}

void ScorePlan::NumberGate::Through(std::int32_t value, BitWords& candidates) const {
  if (rules.empty()) return;
  const auto below = static_cast<std::size_t>(
      std::lower_bound(numbers_.begin(), numbers_.end(), value) - numbers_.begin());
  const std::uint64_t* row = through_.data() + below * ruleWords_;
  for (std::size_t w = 0; w < ruleWords_; ++w) candidates[w] |= row[w];
}

}  // namespace orvel
