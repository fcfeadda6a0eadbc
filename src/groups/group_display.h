#pragma once
// GroupDisplay: what the group list window shows of its lists. Two tabs: the
// subscribed tree (categories with their groups, top-level groups; with
// hide-empty on, subscribed groups whose unread count is 0 are left out) and
// all groups; a filter (a regular expression, without regard to case, found
// anywhere in the name) shows the matching groups of the all-groups list.
// It also keeps the sort column and direction: the same column again
// reverses the direction, another one starts ascending.
//
// Rows point into the lists: anything that adds or removes records or moves
// them in the tree must be followed by Rebuild().

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/perlre.h"
#include "groups/group_lists.h"
#include "groups/group_sort.h"

namespace orvel {

enum class GroupTab { Subscribed, All };

// One top-level row: a group, or a category with the groups it shows.
struct ShownRow {
  TGrpCat* category = nullptr;
  TGrpInfo* group = nullptr;
  std::vector<TGrpInfo*> children;
};

class GroupDisplay {
 public:
  explicit GroupDisplay(GroupLists& lists) : lists_(lists) {}

  GroupTab tab() const { return tab_; }
  void setTab(GroupTab tab) { tab_ = tab; }
  bool hideEmpty() const { return hideEmpty_; }
  void setHideEmpty(bool hide) { hideEmpty_ = hide; }
  // Without categories the subscribed tab lists every subscribed group at
  // top level, in tree order.
  bool showCategories() const { return showCategories_; }
  void setShowCategories(bool show) { showCategories_ = show; }

  bool filterActive() const { return !filter_.empty(); }
  const std::string& filterText() const { return filter_; }
  // Compiles the filter (the tab becomes All); an empty text clears it.
  // Nothing changes and error is set when the pattern does not compile.
  bool setFilter(std::string_view text, std::string* error);
  void clearFilter() { filter_.clear(); }

  // The direction a click on key sorts in, remembered for the next click.
  bool nextSortAscending(GroupSortKey key);
  // The last sort's key (nothing before the first) and direction.
  std::optional<GroupSortKey> sortKey() const { return sortKey_; }
  bool sortAscending() const { return ascending_; }

  void Rebuild();
  const std::vector<ShownRow>& rows() const { return rows_; }
  // Groups shown, categories' groups included.
  std::size_t shownGroupCount() const;

 private:
  bool visible(const TGrpInfo& g) const { return !(hideEmpty_ && g.subscribed() && g.unread == 0); }

  GroupLists& lists_;
  GroupTab tab_ = GroupTab::Subscribed;
  bool hideEmpty_ = false;
  bool showCategories_ = true;
  std::string filter_;
  TPerlre pattern_{true, TPerlre::kCaseless};
  std::optional<GroupSortKey> sortKey_;
  bool ascending_ = true;
  std::vector<ShownRow> rows_;
};

}  // namespace orvel
