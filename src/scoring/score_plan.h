#pragma once
// The rules of a group's score sections in file order, arranged so that an
// article is tested only against the rules that can match it. Most rules
// test a word most articles lack, or a size most articles are below: a rule
// whose every way to match needs a literal in one of the article's texts,
// or its Lines or Bytes on one side of a number, is a candidate only when
// the article has one of those. The literals of all rules are found in one
// pass over each text, and the rules' fields learn from the same pass
// whether to start the regex at all; the sizes are looked up in the rules'
// numbers sorted.

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "scoring/author_literals.h"
#include "scoring/literal_set.h"
#include "scoring/score_file.h"

namespace orvel {

class TArticle;

// The texts literals are searched in; From's name and address apart.
enum class ScorePlanText { kSubject, kFromName, kFromAddress, kMessageID, kReferences, kXref };
inline constexpr int kPlanTexts = 6;

class ScorePlan {
 public:
  // A field as the plan tests it, copied out of the rule so that testing a
  // rule reads one small array.
  struct Field {
    TScoreField* source;  // its regex, line and text
    std::uint32_t bit;    // its literal's bit (part 0), or kNoLiteral (headers too)
    std::int32_t number;  // Lines and Bytes
    ScoreKey key;
    bool invert;
    bool plain;  // the pattern is its literal: found is matched
  };
  static constexpr std::uint32_t kNoLiteral = 0xFFFFFFFF;

  struct Rule {
    const TScoreSection* section;
    TScoreTest* test;
    std::uint32_t fieldsBegin;  // its fields in Fields()
    std::uint32_t fieldsEnd;
  };

  ScorePlan() = default;
  explicit ScorePlan(const ScoreSectionList& sections);

  const ScoreSectionList& Sections() const { return sections_; }
  const std::vector<Rule>& Rules() const { return rules_; }
  const std::vector<Field>& Fields() const { return fields_; }

  // Finds the literals in the article's texts and the candidate rules; until
  // the next call, Found, Sure and Candidates answer for this article.
  void Prepare(const TArticle& article);
  // Whether a field's literal is in the text it tests (part 1: the author's
  // address); only for a field with a literal.
  bool Found(const Field& field, int part) const {
    return TestBit(found_, field.bit + static_cast<std::uint32_t>(part));
  }
  // Whether the field matches without its regex: the pattern is plain text
  // and was found as it stands.
  bool Sure(const Field& field, int part) const {
    return field.plain && TestBit(sure_, field.bit + static_cast<std::uint32_t>(part));
  }
  // The indexes in Rules() of the candidates, ascending, through visit.
  template <typename Visit>
  void Candidates(Visit&& visit) const {
    for (std::size_t w = 0; w < candidates_.size(); ++w) {
      for (std::uint64_t word = candidates_[w]; word != 0; word &= word - 1) {
        if (!visit(w * 64 + static_cast<std::size_t>(__builtin_ctzll(word)))) return;
      }
    }
  }

 private:
  // The rules a number lets through, for one key and sense: those whose
  // number is below the value ("Lines: N") or at or above it ("~Lines: N").
  class NumberGate {
   public:
    std::vector<std::pair<std::int32_t, std::size_t>> rules;  // number, rule
    void Build(bool inverted, std::size_t ruleWords);
    void Through(std::int32_t value, BitWords& candidates) const;

   private:
    std::vector<std::int32_t> numbers_;  // ascending
    // By the count of numbers below the value: the rules let through
    // (ruleWords words each).
    BitWords through_;
    std::size_t ruleWords_ = 0;
  };

  void searchFor(const TScoreField& field);
  void findInAuthor(const TArticle& article);
  void addGate(std::size_t rule, const TScoreTest& test);
  void gateOn(std::size_t rule, const TScoreField& field);
  NumberGate& numberGate(const TScoreField& field) {
    return numberGates_[(field.keyType == ScoreKey::Bytes) * 2 + field.invert];
  }
  std::size_t bitOf(const TScoreField& field, int part) const {
    return static_cast<std::size_t>(field.literalId) * 2 + static_cast<std::size_t>(part);
  }

  ScoreSectionList sections_;
  std::vector<Rule> rules_;
  std::size_t ruleWords_ = 0;
  // By text * 2 + caseless: the literals searched in it.
  std::vector<LiteralSet> sets_;
  std::vector<std::size_t> searched_;  // the sets that are not empty, but the author's
  std::vector<std::size_t> authorSets_;  // those of the author's name and address
  AuthorLiterals authors_;
  BitWords authorFound_, authorSure_;  // the bits of one author's texts
  std::vector<Field> fields_;
  NumberGate numberGates_[4];  // Lines, ~Lines, Bytes, ~Bytes
  BitWords ungated_;     // rules tested on every article
  BitWords gates_;       // by literal bit, ruleWords_ words: the rules it lets through
  BitWords found_;       // literal bits of the prepared article
  std::string scratch_;  // its References spelt out
  BitWords sure_;        // those found as they stand (not left to the regex)
  BitWords candidates_;  // rules of the prepared article
};

}  // namespace orvel
