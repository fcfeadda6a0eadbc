#include "articles/history.h"

namespace orvel {

void THistory::Visit(TArticle* article) {
  if (!article || article == Current()) return;
  entries_.resize(static_cast<std::size_t>(index_ + 1));
  entries_.push_back(article);
  index_ = static_cast<std::ptrdiff_t>(entries_.size()) - 1;
}

TArticle* THistory::Back() { return GoTo(-1); }

TArticle* THistory::Forward() { return GoTo(+1); }

TArticle* THistory::GoTo(int steps) {
  const std::ptrdiff_t to = index_ + steps;
  if (index_ < 0 || to < 0 || to >= static_cast<std::ptrdiff_t>(entries_.size())) return nullptr;
  index_ = to;
  return entries_[static_cast<std::size_t>(to)];
}

std::vector<THistory::MenuEntry> THistory::menu(int direction) const {
  std::vector<MenuEntry> out;
  if (index_ < 0) return out;
  for (int steps = direction; out.size() < kMenuSize; steps += direction) {
    const std::ptrdiff_t at = index_ + steps;
    if (at < 0 || at >= static_cast<std::ptrdiff_t>(entries_.size())) break;
    TArticle* a = entries_[static_cast<std::size_t>(at)];
    const std::string_view name = a->FromName().empty() ? a->FromAddress() : a->FromName();
    std::string caption(name);
    caption += ":\t";
    caption += a->Subject.view();
    out.push_back({a, std::move(caption), steps});
  }
  return out;
}

std::vector<THistory::MenuEntry> THistory::BackMenu() const { return menu(-1); }

std::vector<THistory::MenuEntry> THistory::ForwardMenu() const { return menu(+1); }

void THistory::Forget(const TArticle* article) {
  ForgetIf([article](const TArticle* e) { return e == article; });
}

void THistory::ForgetIf(const std::function<bool(const TArticle*)>& gone) {
  std::size_t kept = 0;
  std::ptrdiff_t current = -1;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    TArticle* e = entries_[i];
    if (!gone(e) && (kept == 0 || entries_[kept - 1] != e)) entries_[kept++] = e;
    if (static_cast<std::ptrdiff_t>(i) == index_) current = static_cast<std::ptrdiff_t>(kept) - 1;
  }
  entries_.resize(kept);
  index_ = current < 0 && kept > 0 ? 0 : current;
}

void THistory::Clear() {
  entries_.clear();
  index_ = -1;
}

}  // namespace orvel
