#pragma once
// ViewFilter: the view filter of a group view. It builds the view list the
// threading pass reads, by filter mode (FilterMode below), into one of two
// work lists: the one that is not the current view list, so the current
// one survives as the previous list ("Annuler le dernier filtre").
//
// Before a mode builds its list the current list becomes the previous one
// (undo clears it instead; the quick filter keeps the list it found before
// its first letter). Except after a thread reconstruction the mode becomes
// the current mode; a result that is the master list clears the previous
// list; every mode but the quick filter's empties the quick filter box.
// The host threads the view on the new list.
//
// One object per view; it keeps pointers into the view's records, so the
// view tells it which records it frees (ArticlesFreed).

#include <cstdint>
#include <string_view>
#include <vector>

#include "articles/article.h"
#include "articles/article_date.h"
#include "articles/view_lists.h"
#include "scoring/pass_filter.h"
#include "scoring/quick_filter.h"

namespace orvel {

enum FilterMode : std::int32_t {
  kFilterAll = 0,               // "*TOUT*    (Enlever tous les filtres)"
  kFilterDialog = 1,            // "Filtre..."
  kFilterQuick = 2,             // the quick filter box
  kFilterHideNonBinaries = 3,   // "Cacher les non binaires"
  kFilterHideIncomplete = 4,    // "Cacher les binaires incomplets"
  kFilterMultipart = 5,         // "Binaires multipart"
  kFilterCompleteMultipart = 6, // "Binaires multiparts complets"
  kFilterScore = 7,             // the score views
  kFilterServerSearch = 8,      // server search results
  kFilterNew = 9,               // "Articles Nouveaux"
  kFilterQueued = 10,           // "Articles En file d'attente"
  kFilterUnread = 11,           // "Articles Non lus"
  kFilterInvert = 12,           // "Inverser les filtres"
  kFilterStored = 13,           // "Articles Stockés"
  kFilterUndo = 14,             // "Annuler le dernier filtre"
  kFilterRebuildThread = 15,    // "Reconstruire le fil"
  kFilterThreadsNew = 16,       // "FILS avec des articles nouveaux"
  kFilterThreadsScored = 17,    // "FILS avec des articles scorés > 0"
  kFilterThreadsUnread = 18,    // "FILS avec des articles non lus"
  kFilterThreadsQueued = 19,    // "FILS avec des articles en file  d'attente"
};

// The score views' thresholds: "Articles importants  >= 9999", "Articles
// scorés > 0 ", "Articles scorés>= 0 ", "Afficher tous les articles> -9999".
inline constexpr std::int32_t kScoreViewThresholds[] = {9999, 1, 0, -9998};

// 0 not a file part, 1 a single-part file, 2 a part of an incomplete
// multi-part thread, 3 a part of a complete one (from the last threading
// pass).
std::int32_t MultiPartState(const TArticle& article);

class ViewFilterHost {
 public:
  virtual ~ViewFilterHost() = default;
  // Runs the threading pass on lists.ViewList(); unthreaded forces a flat
  // list (the quick filter's), else the view's threaded switch decides.
  virtual void ThreadViewList(bool unthreaded) = 0;
  // The batch is processing this article now.
  virtual bool BeingProcessed(const TArticle& /*article*/) const { return false; }
  virtual DateTime Today() const = 0;
  // The article whose thread "Reconstruire le fil" rebuilds.
  virtual TArticle* CurrentArticle() const = 0;
};

class ViewFilter {
 public:
  ViewFilter(ViewLists& lists, ViewFilterHost& host);

  // Builds the list of mode (with refilter; without it only an empty view
  // list becomes the master list) and threads the view. False when nothing
  // was done: undo without a previous list, a thread reconstruction without
  // a current article.
  bool Apply(std::int32_t mode, bool refilter = true);
  // The quick filter box's text changed: a new list is shown (mode 2), an
  // empty box brings the previous list back. A bad regex changes nothing
  // (Quick().Error() says why).
  QuickFilter::Outcome SetQuickText(std::string_view text);

  std::int32_t Mode() const { return mode_; }
  bool HasPrevious() const { return previous_ != nullptr; }
  // The list the view shows now.
  const std::vector<TArticle*>& Current() const { return lists_.ViewList(); }

  PassFilter& Dialog() { return dialog_; }
  QuickFilter& Quick() { return quick_; }
  // The score view's threshold (mode 7).
  void SetScoreThreshold(std::int32_t threshold) { threshold_ = threshold; }
  std::int32_t ScoreThreshold() const { return threshold_; }
  // The score server search hits were given (mode 8).
  void SetSearchScore(std::int32_t score) { searchScore_ = score; }
  void SetKeptScore(std::int32_t keptScore) { keptScore_ = keptScore; }

  // These records are being freed (sorted by address): they leave every list.
  void ArticlesFreed(const std::vector<TArticle*>& sorted);

 private:
  std::vector<TArticle*>& workTarget();
  // The current list's articles that pass keep.
  template <typename Keep>
  void keepCurrent(std::vector<TArticle*>& target, Keep keep) const;
  // Every thread of the current rows with an article that passes keep.
  template <typename Keep>
  void keepThreads(std::vector<TArticle*>& target, Keep keep) const;
  void buildInverse(std::vector<TArticle*>& target) const;
  bool buildThreadRebuild(std::vector<TArticle*>& target) const;
  bool queued(const TArticle& article) const;
  void show(std::vector<TArticle*>* list, bool unthreaded);

  ViewLists& lists_;
  ViewFilterHost& host_;
  PassFilter dialog_;
  QuickFilter quick_;
  std::vector<TArticle*> work_[2];
  std::vector<TArticle*>* previous_ = nullptr;  // none: nothing to undo
  std::int32_t mode_ = kFilterAll;
  std::int32_t threshold_ = kScoreViewThresholds[3];
  std::int32_t searchScore_ = 10000;
  std::int32_t keptScore_ = 8888;
};

}  // namespace orvel
