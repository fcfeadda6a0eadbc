#pragma once
// The article lists of a group or folder view. The master list holds every
// record in arrival order (the records live in the view's ArticleArena); the
// view list is what the threading pass reads (the master list, or a list the
// view filter built); the root list is the pass's sorted output of single
// articles and thread nodes, and the row list what the list control shows.

#include <deque>
#include <vector>

#include "articles/article.h"

namespace orvel {

struct ViewLists {
  std::vector<TArticle*> masterList;
  std::vector<TArticle*>* viewList = nullptr;  // none: the master list
  std::vector<TNode*> rootList;
  std::vector<TNode*> rowList;
  std::deque<TAThread> threadNodes;  // owns the thread nodes of rootList

  std::vector<TArticle*>& ViewList() { return viewList ? *viewList : masterList; }
};

}  // namespace orvel
