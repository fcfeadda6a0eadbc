#include "groups/group_sort.h"

#include <algorithm>
#include <iterator>
#include <type_traits>

#include "core/text.h"

namespace orvel {

namespace {

// What a row is sorted by: its name and, for the number columns, a number.
struct SortValue {
  std::string_view name;
  std::int64_t number = 0;
};

SortValue valueOf(const TGrpInfo& g, GroupSortKey key) {
  return {g.name, key == GroupSortKey::Unread ? g.unread : key == GroupSortKey::Total ? g.total : 0};
}

SortValue valueOf(const TreeItem& item, GroupSortKey key) {
  if (item.group) return valueOf(*item.group, key);
  SortValue v{item.category->name, 0};
  for (const TGrpInfo* g : item.category->groups) {
    const std::int32_t n = key == GroupSortKey::Unread ? g->unread : g->total;
    if (n > 0) v.number += n;
  }
  return v;
}

// The order of two rows: the key in the wanted direction, then the name.
bool before(const SortValue& a, const SortValue& b, GroupSortKey key, bool ascending) {
  if (key != GroupSortKey::Name && a.number != b.number) {
    return ascending ? a.number < b.number : a.number > b.number;
  }
  const int byName = CompareGroupNames(a.name, b.name);
  if (key == GroupSortKey::Name && !ascending) return byName > 0;
  return byName < 0;
}

template <class It>
void sortRows(It begin, It end, GroupSortKey key, bool ascending) {
  using T = typename std::iterator_traits<It>::value_type;
  auto value = [key](const T& row) {
    if constexpr (std::is_same_v<T, TreeItem>) {
      return valueOf(row, key);
    } else {
      return valueOf(*row, key);
    }
  };
  std::stable_sort(begin, end, [&](const T& a, const T& b) {
    return before(value(a), value(b), key, ascending);
  });
}

}  // namespace

int CompareGroupNames(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const char x = toLowerAscii(a[i]);
    const char y = toLowerAscii(b[i]);
    if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y) ? -1 : 1;
  }
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  return a < b ? -1 : a > b ? 1 : 0;
}

void SortAllGroups(GroupLists& lists, GroupSortKey key, bool ascending) {
  lists.ReorderAll([&](std::vector<std::unique_ptr<TGrpInfo>>& all) {
    const auto split = std::stable_partition(
        all.begin(), all.end(), [](const std::unique_ptr<TGrpInfo>& g) { return g->subscribed(); });
    sortRows(all.begin(), split, key, ascending);
    sortRows(split, all.end(), key, ascending);
  });
}

void SortTree(GroupLists& lists, GroupSortKey key, bool ascending, bool insideCategories) {
  auto& tree = lists.mutableTree();
  sortRows(tree.begin(), tree.end(), key, ascending);
  if (!insideCategories) return;
  for (const TreeItem& item : tree) {
    if (item.category) sortRows(item.category->groups.begin(), item.category->groups.end(), key, ascending);
  }
}

}  // namespace orvel
