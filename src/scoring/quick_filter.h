#pragma once
// The quick filter box above the article list: a caseless regex tested on
// one column of every article of the full list (the subject without its
// "Re:", the author's name and else address, or the Xref; in a folder view
// the origin's server and its group, each on its own). The matching
// articles form an unthreaded list that the view filter shows (mode 2).
// A regex that does not compile keeps the last valid list and regex.
//
// While the view shows the quick filter's list, the overview parser asks
// QuickFilterArrivals about each article that arrives: a matching one joins
// the list and the rows, the others are stored but not shown.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "articles/article.h"
#include "articles/view_lists.h"
#include "articles/xover.h"
#include "core/perlre.h"

namespace orvel {

enum class QuickColumn : std::int32_t { Subject = 0, Author = 1, Group = 2 };

// The panel label of a column: "S ", "F " or "G ".
std::string_view QuickColumnLabel(QuickColumn column);

class QuickFilter {
 public:
  enum class Outcome {
    Unchanged,  // the same text as last time
    Built,      // a new list (List(), Count())
    Emptied,    // the box is empty: the previous list comes back
    BadRegex,   // Error() says why; the last list stays
  };

  QuickFilter();

  QuickColumn Column() const { return column_; }
  // The group column of a folder view tests the record's origin.
  void SetFolderView(bool folderView) { folderView_ = folderView; }
  // "Alterner la colonne des filtres": subject, author (and group in a
  // folder view) in turn; the box is emptied.
  void SwitchColumn(bool folderView);
  // A change of the box's text, tested against the full list.
  Outcome SetText(std::string_view text, const std::vector<TArticle*>& master);
  // Empties the box without touching the list (another filter took over).
  void Clear() { text_.clear(); }

  bool Active() const { return !text_.empty(); }
  const std::string& Text() const { return text_; }
  const std::vector<TArticle*>& List() const { return list_; }
  std::vector<TArticle*>& List() { return list_; }
  // The status text after a build: " " + the count.
  std::string CountText() const { return " " + std::to_string(list_.size()); }
  const std::string& Error() const { return error_; }
  // The last valid regex on the column's text of an article.
  bool Matches(const TArticle& article);

 private:
  QuickColumn column_ = QuickColumn::Subject;
  bool folderView_ = false;
  std::string text_;
  std::string error_;
  TPerlre re_;
  std::vector<TArticle*> list_;
};

// The quick filter as ParseXOVER's quick filter hook: an article passes
// unless the quick filter's list is the one shown and it does not match.
class QuickFilterArrivals final : public ArticleFilter {
 public:
  QuickFilterArrivals(QuickFilter& quick, const ViewLists& lists) : quick_(quick), lists_(lists) {}
  bool Shown() const { return lists_.viewList == &quick_.List(); }
  bool Pass(const TArticle& article) const override { return !Shown() || quick_.Matches(article); }

 private:
  QuickFilter& quick_;
  const ViewLists& lists_;
};

}  // namespace orvel
