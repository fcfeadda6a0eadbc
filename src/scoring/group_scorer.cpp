#include "scoring/group_scorer.h"

#include <algorithm>

#include "articles/article.h"
#include "core/text.h"

namespace orvel {

bool GroupScorer::Select(std::string_view groupName, const ScoreSectionList& all) {
  std::vector<std::string> before = std::move(headerNames_);
  ScoreSectionList sections;
  SelectSections(groupName, all, sections, headerNames_, services_.prompter);
  plan_ = ScorePlan(sections);
  return std::any_of(headerNames_.begin(), headerNames_.end(), [&](const std::string& name) {
    return std::none_of(before.begin(), before.end(),
                        [&](const std::string& old) { return equalsNoCase(old, name); });
  });
}

std::int32_t GroupScorer::Score(const TArticle& article, const std::vector<std::string>& extraNames,
                                const ExtraHeaderValues* extraValues) {
  return EvaluateScore(plan_, article, extraNames, extraValues, services_);
}

ScoreExplanation GroupScorer::Explain(const TArticle& article,
                                      const std::vector<std::string>& extraNames,
                                      const ExtraHeaderValues* extraValues,
                                      const AuthorTest* plonk, std::int32_t maxXPostKill) {
  std::string kill = KillReason(article, plonk, maxXPostKill);
  if (!kill.empty()) {
    ScoreExplanation out;
    out.kill = std::move(kill);
    out.total = kKilledScore;
    return out;
  }
  return ExplainScore(plan_, article, extraNames, extraValues);
}

std::string KillReason(const TArticle& article, const AuthorTest* plonk,
                       std::int32_t maxXPostKill) {
  if (plonk && plonk->IsPlonked(article.FromName(), article.FromAddress())) return "plonked";
  const std::string_view xref = article.Xref;
  const auto groups = std::count(xref.begin(), xref.end(), ':');
  if (maxXPostKill > 0 && groups >= maxXPostKill) {
    return "killed: cross-posted to " + std::to_string(groups) + " groups";
  }
  return {};
}

}  // namespace orvel
