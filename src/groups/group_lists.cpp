#include "groups/group_lists.h"

#include <algorithm>
#include <unordered_set>

#include "core/text.h"

namespace orvel {

namespace {

void lowerInto(std::string& out, std::string_view name) {
  out.assign(name);
  for (char& c : out) c = toLowerAscii(c);
}

template <class T>
void eraseValue(std::vector<T>& v, const T& value) {
  const auto it = std::find(v.begin(), v.end(), value);
  if (it != v.end()) v.erase(it);
}

template <class T>
void insertAt(std::vector<T>& v, std::size_t index, T value) {
  v.insert(v.begin() + static_cast<std::ptrdiff_t>(std::min(index, v.size())), std::move(value));
}

}  // namespace

GroupLists::GroupLists() = default;

GroupLists::~GroupLists() = default;

void GroupLists::Assign(std::vector<std::unique_ptr<TGrpInfo>> groups) {
  ClearTree();
  all_ = std::move(groups);
  subscribed_.clear();
  for (auto& g : all_) {
    g->category = nullptr;
    if (g->subscribed()) {
      subscribed_.push_back(g.get());
      tree_.push_back({nullptr, g.get()});
    }
  }
  RebuildIndex(static_cast<std::int32_t>(all_.size() / 2));
}

TGrpInfo& GroupLists::AddGroup(std::string name, SubscriptionState state) {
  auto group = std::make_unique<TGrpInfo>();
  group->name = std::move(name);
  group->state = state;
  TGrpInfo& added = *group;
  all_.push_back(std::move(group));
  if (added.subscribed()) {
    added.state = SubscriptionState::Unsubscribed;
    Subscribe(added);
  }
  indexGroup(added);
  return added;
}

std::size_t GroupLists::RemoveGroups(const std::function<bool(const TGrpInfo&)>& remove) {
  std::unordered_set<const TGrpInfo*> doomed;
  for (const auto& g : all_) {
    if (remove(*g)) doomed.insert(g.get());
  }
  if (doomed.empty()) return 0;
  for (const TGrpInfo* g : doomed) {
    if (g->subscribed()) unplace(*const_cast<TGrpInfo*>(g));
  }
  std::erase_if(subscribed_, [&](TGrpInfo* g) { return doomed.count(g) != 0; });
  std::erase_if(all_, [&](const std::unique_ptr<TGrpInfo>& g) { return doomed.count(g.get()) != 0; });
  RebuildIndex(index_.BucketCount());
  return doomed.size();
}

bool GroupLists::Subscribe(TGrpInfo& group, TreePosition position) {
  if (group.subscribed()) return false;
  group.state = SubscriptionState::Subscribed;
  subscribed_.push_back(&group);
  PlaceInTree(group, position);
  return true;
}

bool GroupLists::Unsubscribe(TGrpInfo& group) {
  if (!group.subscribed()) return false;
  unplace(group);
  group.state = SubscriptionState::Unsubscribed;
  eraseValue(subscribed_, &group);
  return true;
}

TGrpInfo* GroupLists::FindNoCase(std::string_view name) const {
  lowerInto(keyBuffer_, name);
  return index_.Find(keyBuffer_);
}

TGrpInfo* GroupLists::FindSubscribed(std::string_view name) const {
  if (TGrpInfo* g = FindNoCase(name); g && g->subscribed() && g->name == name) return g;
  for (TGrpInfo* g : subscribed_) {
    if (g->name == name) return g;
  }
  return nullptr;
}

TGrpCat* GroupLists::FindCategoryNoCase(std::string_view name) const {
  for (const auto& c : categories_) {
    if (equalsNoCase(c->name, name)) return c.get();
  }
  return nullptr;
}

bool GroupLists::Owns(const TGrpInfo* group) const {
  return group && std::any_of(all_.begin(), all_.end(),
                              [&](const std::unique_ptr<TGrpInfo>& g) { return g.get() == group; });
}

bool GroupLists::OwnsCategory(const TGrpCat* category) const {
  return category &&
         std::any_of(categories_.begin(), categories_.end(),
                     [&](const std::unique_ptr<TGrpCat>& c) { return c.get() == category; });
}

void GroupLists::RebuildIndex(std::int32_t buckets) {
  index_.Clear(false);
  index_.SetSize(std::max(buckets, 1));
  for (auto& g : all_) indexGroup(*g);
}

void GroupLists::indexGroup(TGrpInfo& group) {
  if (group.name.empty()) return;
  lowerInto(keyBuffer_, group.name);
  index_.Add(keyBuffer_, &group);
}

TGrpCat& GroupLists::AddCategory(std::string name, bool expanded, std::size_t index) {
  auto category = std::make_unique<TGrpCat>();
  category->name = std::move(name);
  category->expanded = expanded;
  TGrpCat& added = *category;
  categories_.push_back(std::move(category));
  insertAt(tree_, index, TreeItem{&added, nullptr});
  return added;
}

void GroupLists::RemoveCategory(TGrpCat& category) {
  const auto it = std::find(tree_.begin(), tree_.end(), TreeItem{&category, nullptr});
  std::vector<TreeItem> groups;
  for (TGrpInfo* g : category.groups) {
    g->category = nullptr;
    groups.push_back({nullptr, g});
  }
  if (it != tree_.end()) {
    const auto at = tree_.erase(it);
    tree_.insert(at, groups.begin(), groups.end());
  } else {
    tree_.insert(tree_.end(), groups.begin(), groups.end());
  }
  std::erase_if(categories_, [&](const std::unique_ptr<TGrpCat>& c) { return c.get() == &category; });
}

void GroupLists::unplace(TGrpInfo& group) {
  if (group.category) {
    eraseValue(group.category->groups, &group);
    group.category = nullptr;
  } else {
    eraseValue(tree_, TreeItem{nullptr, &group});
  }
}

void GroupLists::PlaceInTree(TGrpInfo& group, TreePosition position) {
  // The index counts the items before the move: taking the group out of the
  // same container first shifts the items after it.
  if (group.subscribed() && position.index != TreePosition::kEnd) {
    if (group.category && group.category == position.category) {
      const auto& groups = group.category->groups;
      const auto at = std::find(groups.begin(), groups.end(), &group);
      if (at != groups.end() && static_cast<std::size_t>(at - groups.begin()) < position.index) {
        --position.index;
      }
    } else if (!group.category && !position.category) {
      const auto at = std::find(tree_.begin(), tree_.end(), TreeItem{nullptr, &group});
      if (at != tree_.end() && static_cast<std::size_t>(at - tree_.begin()) < position.index) {
        --position.index;
      }
    }
  }
  unplace(group);
  if (position.category && OwnsCategory(position.category)) {
    insertAt(position.category->groups, position.index, &group);
    group.category = position.category;
  } else {
    insertAt(tree_, position.index, TreeItem{nullptr, &group});
  }
}

void GroupLists::MoveCategory(TGrpCat& category, std::size_t index) {
  const auto it = std::find(tree_.begin(), tree_.end(), TreeItem{&category, nullptr});
  if (it == tree_.end()) return;
  const auto from = static_cast<std::size_t>(it - tree_.begin());
  tree_.erase(it);
  insertAt(tree_, index > from && index != TreePosition::kEnd ? index - 1 : index,
           TreeItem{&category, nullptr});
}

void GroupLists::ClearTree() {
  for (auto& g : all_) g->category = nullptr;
  tree_.clear();
  categories_.clear();
}

bool GroupLists::InTree(const TGrpInfo& group) const {
  if (group.category) return true;
  return std::find(tree_.begin(), tree_.end(),
                   TreeItem{nullptr, const_cast<TGrpInfo*>(&group)}) != tree_.end();
}

std::size_t GroupLists::PlaceIndex(const TGrpInfo& group) const {
  if (group.category) {
    const auto& groups = group.category->groups;
    return static_cast<std::size_t>(std::find(groups.begin(), groups.end(), &group) -
                                    groups.begin());
  }
  return static_cast<std::size_t>(
      std::find(tree_.begin(), tree_.end(), TreeItem{nullptr, const_cast<TGrpInfo*>(&group)}) -
      tree_.begin());
}

void GroupLists::PlaceUnplacedSubscribed() {
  std::unordered_set<const TGrpInfo*> topLevel;
  for (const auto& item : tree_) {
    if (item.group) topLevel.insert(item.group);
  }
  for (TGrpInfo* g : subscribed_) {
    if (!g->category && topLevel.count(g) == 0) tree_.push_back({nullptr, g});
  }
}

}  // namespace orvel
