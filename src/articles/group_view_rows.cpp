// TGroupView's rows after the threading pass: column-click sorting,
// expanding and collapsing threads, and the group's storage choice.
// Rows are rebuilt from the root list in one walk, so a collapsed thread
// stays collapsed through a sort.

#include "articles/group_view.h"
#include "articles/store_io.h"

namespace orvel {

void TGroupView::rebuildRows() {
  auto& rows = lists_.rowList;
  rows.clear();
  for (TNode* root : lists_.rootList) {
    root->SourceIndex = static_cast<std::int32_t>(rows.size());
    rows.push_back(root);
    TAThread* t = root->AsThread();
    if (!t) continue;
    for (TArticle* a : t->Articles) {
      a->SourceIndex = t->Expanded ? static_cast<std::int32_t>(rows.size()) : -1;
      if (t->Expanded) rows.push_back(a);
    }
  }
  observer_->rowsChanged();
}

void TGroupView::SortBy(std::int32_t column, bool linesSwitch) {
  if (column < kSortSubject || column > kSortNumber) return;
  props_.sortOrder = OrderAfterClick(props_.sortOn, props_.sortOrder, column, true);
  props_.sortOn = column;
  SortOptions sort = threadOptions().sort;
  sort.linesSwitch = linesSwitch;
  SortRoots(lists_.rootList, sort);
  rebuildRows();
}

void TGroupView::SetExpanded(TAThread& thread, bool expanded) {
  if (thread.Expanded == expanded) return;
  thread.Expanded = expanded;
  auto& rows = lists_.rowList;
  const std::int32_t at = thread.SourceIndex;
  if (at < 0 || at >= static_cast<std::int32_t>(rows.size()) || rows[at] != &thread) return;
  // Only the thread's own rows go in or out: every other row, and with it the
  // list's selection and scroll position, stays as it is.
  const auto first = at + 1;
  const auto count = static_cast<std::int32_t>(thread.Articles.size());
  if (count == 0) return;
  const auto where = rows.begin() + first;
  if (expanded) {
    observer_->rowsAboutToBeInserted(first, count);
    rows.insert(where, thread.Articles.begin(), thread.Articles.end());
  } else {
    observer_->rowsAboutToBeRemoved(first, count);
    for (TArticle* a : thread.Articles) a->SourceIndex = -1;
    rows.erase(where, where + count);
  }
  for (auto i = static_cast<std::size_t>(first); i < rows.size(); ++i) {
    rows[i]->SourceIndex = static_cast<std::int32_t>(i);
  }
  expanded ? observer_->rowsInserted() : observer_->rowsRemoved();
}

void TGroupView::SetAllExpanded(bool expanded) {
  props_.expandAllThreads = expanded;
  BuildRows(lists_.rootList, lists_.rowList, expanded, options_.xover.score.KeptScore);
  observer_->rowsChanged();
}

// ---------------------------------------------------------------- storage

void TGroupView::applyStoreChoice(bool headerFileLoaded) {
  store_->ApplyStorageChoice(storageChoice());
  // A stored group keeps the expiry its header file recorded (the storage
  // dialog's choice); a new one takes the group's default.
  if (!headerFileLoaded) store_->ExpiryDays = props_.storageExp;
}

std::int32_t TGroupView::ExpiryDays() const {
  return store_ ? store_->ExpiryDays : props_.storageExp;
}

void TGroupView::SetStorage(StorageChoice choice, std::int32_t expiryDays) {
  record_.storage = static_cast<StorageMode>(choice);
  if (!store_) return;
  if (store_->ExpiryDays != expiryDays || store_->NoHeaderFile() != (choice == kStoreNothing)) {
    store_->Modified = true;
  }
  store_->ExpiryDays = expiryDays;
  store_->ApplyStorageChoice(choice);
}

bool TGroupView::CompactStore(std::string_view statusText) {
  TMailbox* store = Mailbox();
  if (!store || !store_io::FileExists(store->path)) return true;
  services_.prompter.status(statusText);
  const bool ok = store->Compact(lists_.masterList);
  services_.prompter.status(ok ? std::string_view() : "Erreur pendant le compactage ");
  return ok;
}

}  // namespace orvel
