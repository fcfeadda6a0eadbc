// TOrvelFrame's folder search (acmFind): one search window per main window,
// over the stores of every profile, and its rows opened in their group view.

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
      return ListGroupStores(app_.baseDir, aliases);
    };
    hooks.openStoreNames = [this] {
      std::vector<std::string> names;
      for (QWidget* w : childWidgets()) {
        if (auto* view = qobject_cast<TArticlesWindow*>(w)) {
          names.push_back(GroupStoreName(view->groupView().Profile()->alias,
                                         view->groupView().Record().name));
        }
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

void TOrvelFrame::openSearchResult(const SearchableStore& store, const SearchRow& row,
                                   const StoreSearchOptions& options) {
  const auto* group = dynamic_cast<const GroupStore*>(&store);
  if (!group) return;
  const int index = ProfileIndex(state_.profiles, group->Alias());
  if (index < 0) return;
  openAndGoTo(index, group->Group());
  TArticlesWindow* view =
      TArticlesWindow::find(*this, *state_.profiles[static_cast<std::size_t>(index)], group->Group());
  if (!view) return;
  activateChild(view);
  view->showStoredMatch(row.number, row.messageId,
                        {options.pattern, options.caseSensitive, row.matched});
}

}  // namespace orvel::ui
