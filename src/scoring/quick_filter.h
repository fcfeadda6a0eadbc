#pragma once
// The quick filter box above the article list: a caseless regex tested on
// one column of every article of the full list (the subject without its
// "Re:", the author's name and else address, or the Xref). The matching
// articles form an unthreaded list that the view filter shows (mode 2).
// A regex that does not compile keeps the last valid list.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "articles/article.h"
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

 private:
  bool matches(const TArticle& article);

  QuickColumn column_ = QuickColumn::Subject;
  std::string text_;
  std::string error_;
  TPerlre re_;
  std::vector<TArticle*> list_;
};

}  // namespace orvel
