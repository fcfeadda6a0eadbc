#pragma once
// The parent of an article for "Retrouver le père": the record whose
// Message-ID is the article's last reference, when the view holds it, else
// that Message-ID, to be fetched as a reference.

#include <string>
#include <vector>

#include "articles/article.h"

namespace orvel {

struct ParentLookup {
  TArticle* record = nullptr;  // the parent in the view
  std::string messageId;       // its Message-ID; empty: the article has no references
};

// Looks in the article's thread first, then in the whole list.
ParentLookup FindParent(const TArticle& article, const std::vector<TArticle*>& masterList);

}  // namespace orvel
