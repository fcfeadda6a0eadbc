// TOrvelFrame's folder search (acmFind): one search window per main window,
// over the stores of every profile and the local folders, and its rows
// opened in their group or folder view.

#include "folders/folder_list.h"
#include "ui/articles_window.h"
#include "ui/groups_window.h"
#include "ui/orvel_frame.h"
#include "ui/search_window.h"

namespace orvel::ui {

namespace {

// Milliseconds between two moves of the search's gauge, when Orvel.ini does
// not say.
constexpr int kDefaultGaugeUpdateDelay = 100;

}  // namespace

void TOrvelFrame::buildSearchActions() {
  actions_->wire("acmFind", [this] { showSearchWindow(); });
}

void TOrvelFrame::showSearchWindow() {
  if (!searchWindow_) {
    SearchWindowHooks hooks;
    hooks.listStores = [this] {
      std::vector<std::string> aliases;
      for (const auto& profile : state_.profiles) aliases.push_back(profile->alias);
      auto stores = ListGroupStores(app_.baseDir, aliases);
      for (const TFolderInfo& folder : *folders_) {
        stores.push_back(std::make_unique<FolderStore>(folder.name, folder.file, folder.kind));
      }
      return stores;
    };
    hooks.openStoreNames = [this] {
      std::vector<std::string> names;
      for (QWidget* w : childWidgets()) {
        auto* window = qobject_cast<TArticlesWindow*>(w);
        if (!window) continue;
        const TGroupView& view = window->groupView();
        names.push_back(view.IsFolder() ? view.Folder().name
                                        : GroupStoreName(view.Profile()->alias, view.Record().name));
      }
      return names;
    };
    hooks.openRow = [this](const SearchableStore& store, const SearchRow& row,
                           const StoreSearchOptions& options) {
      openSearchResult(store, row, options);
    };
    hooks.gaugeUpdateDelay = app_.bags.misc.GetInteger("GaugeUpdateDelay", kDefaultGaugeUpdateDelay);
    searchWindow_ = new TfmSearch(std::move(hooks), this);
  }
  searchWindow_->show();
  searchWindow_->raise();
  searchWindow_->activateWindow();
}

TArticlesWindow* TOrvelFrame::openSearchedStore(const SearchableStore& store) {
  if (const auto* folder = dynamic_cast<const FolderStore*>(&store)) {
    const TFolderInfo* listed = folders_->Find(folder->Name());
    if (!listed || listed->file != folder->BodyPath()) return nullptr;
    openFolder(*listed);
    return TArticlesWindow::findFolder(*this, listed->file);
  }
  const auto* group = dynamic_cast<const GroupStore*>(&store);
  if (!group) return nullptr;
  const int index = ProfileIndex(state_.profiles, group->Alias());
  if (index < 0) return nullptr;
  openAndGoTo(index, group->Group());
  return TArticlesWindow::find(*this, *state_.profiles[static_cast<std::size_t>(index)],
                               group->Group());
}

void TOrvelFrame::openSearchResult(const SearchableStore& store, const SearchRow& row,
                                   const StoreSearchOptions& options) {
  TArticlesWindow* view = openSearchedStore(store);
  if (!view) return;
  activateChild(view);
  view->showStoredMatch(row.number, row.messageId,
                        {options.pattern, options.caseSensitive, row.matched});
}

}  // namespace orvel::ui
