#pragma once
// THistory: the articles a group view showed, in order, with the one shown
// now (the back and forward commands and their menus). It holds pointers to
// the view's records, so a record that is freed must be forgotten first.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "articles/article.h"

namespace orvel {

class THistory {
 public:
  // Makes the article current: the entries after the current one are dropped
  // and the article appended. The current entry visited again changes nothing.
  void Visit(TArticle* article);
  // Move by one and return the article there; null at the ends.
  TArticle* Back();
  TArticle* Forward();
  bool CanGoBack() const { return index_ > 0; }
  bool CanGoForward() const { return index_ + 1 < static_cast<std::ptrdiff_t>(entries_.size()); }

  // A menu entry: "name:\tsubject" (the address when the name is empty) and
  // the steps GoTo takes to reach it.
  struct MenuEntry {
    TArticle* article;
    std::string caption;
    int steps;
  };
  static constexpr std::size_t kMenuSize = 10;
  // The entries before the current one, newest first.
  std::vector<MenuEntry> BackMenu() const;
  // The entries after the current one, nearest first.
  std::vector<MenuEntry> ForwardMenu() const;
  // Jumps by steps (negative back); null, and no move, outside the history.
  TArticle* GoTo(int steps);

  // Drops every entry of a record about to be freed. The current visit stays
  // current; when it was the record's, the entry before it (else the first
  // one left) becomes current. Neighbours left equal merge into one.
  void Forget(const TArticle* article);
  // The same for every record gone() names, in one pass.
  void ForgetIf(const std::function<bool(const TArticle*)>& gone);
  void Clear();

  TArticle* Current() const {
    return index_ >= 0 ? entries_[static_cast<std::size_t>(index_)] : nullptr;
  }
  std::size_t Size() const { return entries_.size(); }

 private:
  std::vector<MenuEntry> menu(int direction) const;

  std::vector<TArticle*> entries_;
  std::ptrdiff_t index_ = -1;  // -1 when empty
};

}  // namespace orvel
