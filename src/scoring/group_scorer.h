#pragma once
// The scorer a group view hands to ParseXOVER: the sections of the score
// file that apply to its group and the extra header names they test, and
// the explanation of one article's score, the plonk list and cross-post
// kill included.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "articles/xover.h"
#include "scoring/score_eval.h"

namespace orvel {

class GroupScorer final : public ArticleScorer {
 public:
  explicit GroupScorer(ScoreServices services = {}) : services_(services) {}

  // Takes the sections of all that apply to groupName. True when the list of
  // extra header names grew (the view's fetched values are then incomplete).
  bool Select(std::string_view groupName, const ScoreSectionList& all);

  const ScoreSectionList& Sections() const { return plan_.Sections(); }
  const std::vector<std::string>& HeaderNames() const { return headerNames_; }

  std::int32_t Score(const TArticle& article, const std::vector<std::string>& extraNames,
                     const ExtraHeaderValues* extraValues) override;

  // Why the article has its score: the plonk list or the cross-post kill
  // when one of them decides, else the rules that matched.
  ScoreExplanation Explain(const TArticle& article, const std::vector<std::string>& extraNames,
                           const ExtraHeaderValues* extraValues, const AuthorTest* plonk,
                           std::int32_t maxXPostKill);

 private:
  ScoreServices services_;
  ScorePlan plan_;
  std::vector<std::string> headerNames_;
};

// "plonked" when the author is on the plonk list, "killed: cross-posted to N
// groups" when the article's Xref (kept without the current group) names at
// least maxXPostKill other groups; empty otherwise. plonk may be null.
std::string KillReason(const TArticle& article, const AuthorTest* plonk,
                       std::int32_t maxXPostKill);

}  // namespace orvel
