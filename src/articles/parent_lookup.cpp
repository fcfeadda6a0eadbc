#include "articles/parent_lookup.h"

#include <algorithm>

namespace orvel {

ParentLookup FindParent(const TArticle& article, const std::vector<TArticle*>& masterList) {
  ParentLookup out;
  const std::string_view id = article.ParentID();
  if (id.empty()) return out;
  out.messageId = std::string(id);
  auto isParent = [id](const TArticle* a) { return a && a->MessageID == id; };
  if (article.Thread) {
    const auto& inThread = article.Thread->Articles;
    const auto it = std::find_if(inThread.begin(), inThread.end(), isParent);
    if (it != inThread.end()) {
      out.record = *it;
      return out;
    }
  }
  const auto it = std::find_if(masterList.begin(), masterList.end(), isParent);
  if (it != masterList.end()) out.record = *it;
  return out;
}

}  // namespace orvel
