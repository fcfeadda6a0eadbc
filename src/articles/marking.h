#pragma once
// The marking commands of a group view: read, kept, deleted and score marks
// on one article, on the selected rows and on the whole group, the catch-up
// family, and discarding records from memory.
//
// A read mark changes the record's Read and SomeRead flags, its bit in the
// view's read set (which the group record gets back) and the unread
// counters, and marks the same article in every other group its Xref names
// through the group list. A kept mark changes the kept set (the group's
// to-fetch list). Delete marks read first, then sets Deleted: the record is
// left out when the headers are saved. Thread rows keep their Read, SomeRead,
// Kept and Deleted flags and score in step, recomputed once per thread, so
// marking a thread costs its size and marking a group costs its size.
//
// Records are freed only by discarding (and duplicate removal): the observer
// hears articlesFreed() first, the master list is packed and the rows are
// threaded again without the view filter. The current article, kept and
// positively scored articles and queued articles are never discarded.
//
// The session that owns the view decides focus and what is shown next; it
// calls these and redraws from the observer and the returned records.

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "articles/article.h"

namespace orvel {

class TGroupView;

enum class MarkOp { Read, Unread, Keep, Unkeep, Delete, Undelete, HiScore, ZeroScore,
                    ToggleScore, Discard };

// acaMarkRead, acaMarkUnread, acaMarkKeep, acaMarkUnkeep, acaMarkDelete,
// acaMarkUndelete, acaMarkHiScore, acaMark0Score, acaToggleScore, acaDiscard.
std::optional<MarkOp> MarkOpByName(std::string_view action);
// acaMarkAllRead, acaMarkAllUnread, acaMarkAllDelete, acaMarkAllUndelete.
std::optional<MarkOp> MarkAllOpByName(std::string_view action);

// Single-article operations. With refresh the article's row and its thread's
// are redrawn (rowChanged); counters are always kept right. True when
// anything changed.
bool MarkRead(TGroupView& view, TArticle& article, bool read, bool refresh);
bool MarkKeep(TGroupView& view, TArticle& article, bool keep, bool refresh);
bool MarkDelete(TGroupView& view, TArticle& article, bool deleted, bool refresh);
// HiScore: 9999 and ReplyToMe; ZeroScore: 0 without ReplyToMe; ToggleScore:
// 9999 when the effective score is not positive, else 0 without ReplyToMe
// (which would hold the effective score at the top). On a thread row the
// toggle is decided once from the thread's effective score and applied to
// every article.
void MarkScore(TGroupView& view, TNode& node, MarkOp op, bool refresh);
// False for the current article, kept articles, articles with a positive
// effective score and queued articles.
bool MayDiscard(const TGroupView& view, const TArticle& article);

// The command while the viewer has the focus, on its article. A read (or
// unread) mark on an article that already is read (unread), and a delete
// (undelete) mark on one already deleted (not deleted), applies to its whole
// thread instead. After a read or delete mark of a lone article or a whole
// thread the session moves to the next unread article.
struct CurrentMark {
  bool changed = false;
  bool wholeThread = false;
  bool moveToNextUnread = false;
};
CurrentMark MarkCurrent(TGroupView& view, TArticle& article, MarkOp op);

// The command while the list has the focus, on the selected rows: a thread
// row applies it to each of its articles (an article row of a selected thread
// is not marked twice). "Marking..." is shown. Discard collects the records
// and discards them at the end. Returns the articles whose marks changed
// (none for discard: the rows were rebuilt).
std::vector<TArticle*> MarkRows(TGroupView& view, MarkOp op, const std::vector<TNode*>& rows);

// acaMarkAllExecute with Read, Unread, Delete or Undelete (other operations
// do nothing): every article of the master list, no row redrawn; then every
// thread's flags. After all read or all deleted the group record takes the
// read state ("Consolidation rc...").
void MarkAll(TGroupView& view, MarkOp op);

// The catch-up family; each ends with the group record taking the read state.
//   Plain      every article read, and every number of the group up to its
//              high mark too, so nothing is offered again (articles still
//              arriving come read); kept marks stay.
//   NoKeep     the same, and every kept mark cleared.
//   KillXPost  the same as Plain, and each cross-posted article marked read
//              in the other groups its Xref names.
//   Purge      Plain, then every article that may be discarded is
//              discarded and the store compacted.
enum class CatchUpKind { Plain, NoKeep, KillXPost, Purge };
// acaCatchUp, acaCatchUpNoKeep, acaCatchUpKillXPost, acaCatchUpPurge.
std::optional<CatchUpKind> CatchUpKindByName(std::string_view action);
void CatchUp(TGroupView& view, CatchUpKind kind);

// acaDiscard on the given articles, and acaDiscardAll (the master list from
// last to first); "Discarding..." is shown. The numbers of discarded records
// stay present (not fetched again while the group is open) and leave the
// excluded set; the store needs compaction. Returns how many were freed.
std::size_t Discard(TGroupView& view, const std::vector<TArticle*>& articles);
std::size_t DiscardAll(TGroupView& view);

// Frees records of the master list: the observer hears articlesFreed, the
// list is packed, counted and threaded again without the view filter. For
// the commands that decided what goes (discard, duplicate removal).
void FreeRecords(TGroupView& view, std::vector<TArticle*> records);

}  // namespace orvel
