#pragma once
// The reading commands' walk through a threaded article list: where next
// unread, next thread, skip down and the others land, found from the view's
// root and row lists alone. Nothing here selects, opens or beeps: the group
// session does that with what these functions find.
//
// A position is (article, thread): the article (none on a thread row) and
// the thread node it lies in (none for a lone article). An article step walks
// every article in reading order, through each thread from its first to its
// last article and on to the next root row, expanded or not; a row step moves
// from root row to root row. Both read only the records they pass.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "articles/article.h"

namespace orvel {

enum class NavAction {
  NextUnread,
  PrevUnread,
  Next,
  Prev,
  NextThread,
  PrevThread,
  SkipDown,
  SkipDownOut,
  NextNew,
  NextScore,
  NextHiScore,
  ScanScore,
  NextQueue,
};

// "acaNextUnread" -> NavAction::NextUnread, ...; none for another name.
std::optional<NavAction> NavActionByName(std::string_view name);
// The three "previous" actions walk backward.
bool IsBackward(NavAction action);

struct NavPosition {
  TArticle* article = nullptr;
  TAThread* thread = nullptr;
};

// Moves to the root row before (direction -1) or after (+1) the position's
// own; on a thread, to its first article when `first` is set, else its last.
// Past either end: no article.
NavPosition StepRow(const std::vector<TNode*>& roots, NavPosition from, int direction, bool first);
// Moves one article in reading order; past either end of the list: no article.
NavPosition StepArticle(const std::vector<TNode*>& roots, NavPosition from, int direction);

struct NavQuery {
  const std::vector<TNode*>& roots;  // ViewLists::rootList
  const std::vector<TNode*>& rows;   // ViewLists::rowList
  const TNode* start = nullptr;      // the starting row (article row or thread row)
  std::int32_t keptScore = 8888;     // for EffectiveScore
  const std::vector<TArticle*>* queue = nullptr;  // the batch queue, for NextQueue
};

struct NavResult {
  TArticle* article = nullptr;  // the article reached (all actions but ScanScore)
  TNode* row = nullptr;         // ScanScore: the row found
  bool found() const { return article || row; }
};

// The action's target from the starting row: nothing found when the walk
// leaves the list, when there is no start, or (NextQueue) without a queue.
NavResult FindTarget(const NavQuery& query, NavAction action);

// Whether the start stands at the end of a thread: it is an article of a
// thread, and the thread's last article or the last row.
bool AtThreadEnd(const NavQuery& query);

}  // namespace orvel
