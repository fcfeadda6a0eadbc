#include "scoring/group_find.h"

#include "articles/header_utils.h"

namespace orvel {

GroupFind::GroupFind() : re_(true, TPerlre::kCaseless) {}

std::optional<std::string> GroupFind::SetOptions(const FindOptions& options) {
  TPerlre re(true, TPerlre::kCaseless);
  try {
    re.SetCaseSensitive(options.pattern, options.caseSensitive);
  } catch (const EPerlRe& e) {
    return std::string(e.what());
  }
  re_ = std::move(re);
  options_ = options;
  return std::nullopt;
}

bool GroupFind::matches(TArticle& article, const BodyReader& readBody, FindHit& hit) {
  if (options_.skipBig && article.Lines >= kBigArticleLines) return false;
  const bool subjects = options_.in == FindIn::Subjects || options_.in == FindIn::AuthorsAndSubjects;
  const bool authors = options_.in == FindIn::Authors || options_.in == FindIn::AuthorsAndSubjects;
  if (subjects && re_.Match(StripRe(article.Subject.view()))) return true;
  if (authors && (re_.Match(article.FromName()) || re_.Match(article.FromAddress()))) return true;
  if (options_.in != FindIn::Bodies || article.BodyOffset == -1 || !readBody) return false;
  std::optional<std::string> body = readBody(article);
  if (!body) return false;
  body_ = std::move(*body);
  if (!re_.Match(body_)) return false;
  const auto [position, length] = re_.SubExpPos(0);
  hit.offset = static_cast<std::size_t>(position - 1);
  hit.length = static_cast<std::size_t>(length);
  return true;
}

std::optional<FindHit> GroupFind::Next(const std::vector<TNode*>& roots, const TNode* focused,
                                       const BodyReader& readBody, const StopTest& stop) {
  if (!Ready()) return std::nullopt;
  // Before the focused node is met, nothing is tested; a focused thread row
  // starts the walk at its first article.
  bool started = focused == nullptr;
  const auto test = [&](TArticle* a) -> std::optional<FindHit> {
    if (!started) {
      started = a == focused;
      return std::nullopt;
    }
    if (stop && stop()) return FindHit{};
    FindHit hit{a};
    if (matches(*a, readBody, hit)) return hit;
    return std::nullopt;
  };
  for (TNode* root : roots) {
    if (TArticle* a = root->AsArticle()) {
      if (auto hit = test(a)) return hit->article ? hit : std::nullopt;
      continue;
    }
    if (root == focused) started = true;
    for (TArticle* a : root->AsThread()->Articles) {
      if (auto hit = test(a)) return hit->article ? hit : std::nullopt;
    }
  }
  return std::nullopt;
}

}  // namespace orvel
