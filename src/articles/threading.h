#pragma once
// The threading pass of a group or folder view: groups the articles of the
// view list into threads by References, by subject and, for binaries posted
// in parts, by the part numbers in the subject; sorts the roots; builds the
// visible rows.
//
// The pass reads the view list front to back. A reply met before its parent
// swaps places with it (the parent is placed first), unless the parents'
// chain leads back to the reply (a reference loop), which is then placed by
// subject or becomes a root. Three tables index the articles: by Message-ID,
// by multi-part key (key + parent + author) and by subject without "Re:".
// Thread nodes are owned by ViewLists::threadNodes and replaced by each pass.

#include <cstdint>
#include <string>
#include <string_view>

#include "articles/article.h"
#include "articles/view_lists.h"

namespace orvel {

class Prompter;

enum SortColumn : std::int32_t {
  kSortNone = -1,
  kSortSubject = 0,
  kSortQueue = 1,
  kSortLines = 2,
  kSortAuthor = 3,
  kSortDate = 4,
  kSortScore = 5,   // "Server" in a folder
  kSortNumber = 6,  // "Newsgroup" in a folder
};

struct SortOptions {
  std::int32_t column = kSortDate;  // SortOn
  std::int32_t order = 1;           // SortOrder: 1 ascending, -1 descending
  bool ignoreRe = true;             // IgnoreReWhenSorting
  bool linesSwitch = false;         // the lines column counts lines, not thread size
  bool newsgroup = true;
  ScoreOptions score;               // KeptScore and ThreadScoreOpt of the view
};

struct ThreadOptions {
  bool threaded = true;  // the view's threaded switch (and a threadable store kind)
  bool multiPartThreading = true;   // MultiPartThreading (group property)
  bool newSubjectNewThread = false;  // NewSubjectNewThread
  bool expandAll = true;             // ExpandAllThreads (group property)
  bool reconstructionRunning = false;
  SortOptions sort;
};

struct ThreadStats {
  std::int64_t articles = 0;
  std::int64_t unread = 0;
  std::int64_t completeMultiPart = 0;
  std::int64_t multiPart = 0;
};

// One full pass over lists.ViewList(): resets the master list's placement
// fields, rebuilds the root list (threaded or only sorted) and the rows.
void ThreadArticles(ViewLists& lists, const ThreadOptions& options, ThreadStats& stats,
                    Prompter* prompter = nullptr);

// The end of a pass, once every article is placed: sorts the roots, builds
// the rows and tells how many multi-part series are complete.
void FinishThreading(ViewLists& lists, const ThreadOptions& options, const ThreadStats& stats,
                     Prompter* prompter);

// Rebuilds the row list from the root list; expandAll expands every thread,
// else every thread is collapsed. Thread states are recomputed, and thread
// scores too when threadScores is given.
void BuildRows(std::vector<TNode*>& rootList, std::vector<TNode*>& rowList, bool expandAll,
               std::int32_t keptScore, const ScoreOptions* threadScores = nullptr);

// Sorts the root list and renumbers each root's Position.
void SortRoots(std::vector<TNode*>& rootList, const SortOptions& options);
// The comparison of two roots (already multiplied by the order).
int CompareRoots(const TNode& x, const TNode& y, const SortOptions& options);
// The order after a click on a column: the current column reverses, another
// column sorts ascending except the score column of a newsgroup.
std::int32_t OrderAfterClick(std::int32_t currentColumn, std::int32_t currentOrder,
                             std::int32_t clickedColumn, bool newsgroup);

struct PartNumbers {
  std::int32_t part = 0;
  std::int32_t total = 0;
  std::string_view prefix;  // up to the part digits
  std::string_view suffix;  // after the part digits
  std::int32_t tildes = 0;  // digits of the total
  bool sameWidth = false;   // part and total have as many digits
  // Appends prefix + tildes + suffix to key.
  std::string& AppendKey(std::string& key) const;
};

// Finds "(part/total)" (blanks allowed around each piece), else
// "[part/total]", scanning from the end of the subject.
bool ParsePartNumbers(std::string_view subject, PartNumbers& out);

}  // namespace orvel
