#pragma once
// GroupLists: the group records of one server and the lists over them, as
// the group list window keeps them.
//
//   all         every record, owned here; subscribed ones first as read from
//               the newsrc, then the others; new records are appended
//   subscribed  the subscribed records in newsrc order (subscribing appends)
//   tree        the subscribed view: categories (owned here) and top-level
//               subscribed groups in ".Orvelrc" order; each category holds
//               its groups in order
//   index       a THash from lower-case name to record, kept up to date
//
// Every subscribed record is in the tree exactly once, at top level or in
// one category; unsubscribed records never are. Removing records rebuilds the
// index, since a THash removes by key and names may differ only in case.
// The changed flags say which of the two read-state files needs writing.

#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/hash.h"
#include "groups/grp_info.h"

namespace orvel {

// One top-level entry of the tree: a category or a group.
struct TreeItem {
  TGrpCat* category = nullptr;
  TGrpInfo* group = nullptr;
  bool operator==(const TreeItem&) const = default;
};

// A place in the tree: before the item at index of a category's groups
// (category set) or of the top level; kEnd appends.
struct TreePosition {
  static constexpr std::size_t kEnd = std::numeric_limits<std::size_t>::max();
  TGrpCat* category = nullptr;
  std::size_t index = kEnd;
};

class GroupLists {
 public:
  GroupLists();
  ~GroupLists();
  GroupLists(const GroupLists&) = delete;
  GroupLists& operator=(const GroupLists&) = delete;

  std::span<const std::unique_ptr<TGrpInfo>> all() const { return all_; }
  const std::vector<TGrpInfo*>& subscribed() const { return subscribed_; }
  const std::vector<TreeItem>& tree() const { return tree_; }
  std::size_t categoryCount() const { return categories_.size(); }

  // Replaces everything by groups, taken in order; the subscribed list and
  // the tree (top level, in that order) follow from their states.
  void Assign(std::vector<std::unique_ptr<TGrpInfo>> groups);
  // Appends a record to the all-groups list; not subscribed, not in the tree.
  TGrpInfo& AddGroup(std::string name, SubscriptionState state = SubscriptionState::New);
  // Drops every record for which remove is true. Returns how many went.
  std::size_t RemoveGroups(const std::function<bool(const TGrpInfo&)>& remove);

  // Subscribing places the record in the tree at position; both return
  // false when the record already was in that state.
  bool Subscribe(TGrpInfo& group, TreePosition position = {});
  bool Unsubscribe(TGrpInfo& group);

  // Lookups. FindNoCase goes through the index; FindSubscribed wants the
  // exact name.
  TGrpInfo* FindNoCase(std::string_view name) const;
  TGrpInfo* FindSubscribed(std::string_view name) const;
  TGrpCat* FindCategoryNoCase(std::string_view name) const;
  bool Owns(const TGrpInfo* group) const;
  bool OwnsCategory(const TGrpCat* category) const;

  // Rebuilds the index over at least `buckets` buckets (it grows past two
  // entries per bucket).
  void RebuildIndex(std::int32_t buckets);

  // The tree.
  TGrpCat& AddCategory(std::string name, bool expanded, std::size_t index = TreePosition::kEnd);
  // The category's groups take its place at top level.
  void RemoveCategory(TGrpCat& category);
  // Takes a subscribed record out of its place and puts it at position; as
  // with MoveCategory, the index counts the items before the move.
  void PlaceInTree(TGrpInfo& group, TreePosition position);
  void MoveCategory(TGrpCat& category, std::size_t index);
  // Empties the tree: categories are destroyed and no record is placed.
  void ClearTree();
  // Whether a record is placed in the tree, and its index in its category
  // or at top level.
  bool InTree(const TGrpInfo& group) const;
  std::size_t PlaceIndex(const TGrpInfo& group) const;
  // Appends every subscribed record that is not placed, in subscribed order.
  void PlaceUnplacedSubscribed();

  // Reorders the all-groups list (a permutation of all()).
  void ReorderAll(const std::function<void(std::vector<std::unique_ptr<TGrpInfo>>&)>& sorter) {
    sorter(all_);
  }
  // Reorders the tree's top level or a category's groups.
  std::vector<TreeItem>& mutableTree() { return tree_; }

  bool newsrcChanged = false;
  bool orvelrcChanged = false;
  // Counts the full lists run so far (TGrpInfo::listMark).
  std::uint32_t listGeneration = 0;

 private:
  void indexGroup(TGrpInfo& group);
  void unplace(TGrpInfo& group);

  std::vector<std::unique_ptr<TGrpInfo>> all_;
  std::vector<TGrpInfo*> subscribed_;
  std::vector<TreeItem> tree_;
  std::vector<std::unique_ptr<TGrpCat>> categories_;
  THash<TGrpInfo> index_;
  mutable std::string keyBuffer_;  // lower-case key of a lookup
};

}  // namespace orvel
