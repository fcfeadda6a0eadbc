#pragma once
// Sorting the group list by one of its three sortable columns: name (without
// regard to case), unread or total; ties always go by name, ascending, in
// both directions. The all-groups list keeps its subscribed groups in front;
// the tree sorts its top level (a category counts by its name, or by the sum
// of its groups' unread or total counts) and, when asked, the groups inside
// each category.

#include "groups/group_lists.h"

namespace orvel {

enum class GroupSortKey { Name, Unread, Total };

// -1, 0 or 1 as a sorts before, with, or after b by name without regard to
// case (the exact spelling breaks ties).
int CompareGroupNames(std::string_view a, std::string_view b);

void SortAllGroups(GroupLists& lists, GroupSortKey key, bool ascending);
void SortTree(GroupLists& lists, GroupSortKey key, bool ascending, bool insideCategories);

}  // namespace orvel
