#include "groups/group_display.h"

namespace orvel {

bool GroupDisplay::setFilter(std::string_view text, std::string* error) {
  if (text.empty()) {
    filter_.clear();
    return true;
  }
  try {
    pattern_.Compile(text);
  } catch (const EPerlRe& e) {
    if (error) *error = e.what();
    filter_.clear();
    return false;
  }
  filter_.assign(text);
  tab_ = GroupTab::All;
  return true;
}

bool GroupDisplay::nextSortAscending(GroupSortKey key) {
  ascending_ = sortKey_ == key ? !ascending_ : true;
  sortKey_ = key;
  return ascending_;
}

void GroupDisplay::Rebuild() {
  rows_.clear();
  if (filterActive()) {
    for (const auto& g : lists_.all()) {
      if (pattern_.Match(g->name)) rows_.push_back({nullptr, g.get(), {}});
    }
    return;
  }
  if (tab_ == GroupTab::All) {
    rows_.reserve(lists_.all().size());
    for (const auto& g : lists_.all()) rows_.push_back({nullptr, g.get(), {}});
    return;
  }
  for (const TreeItem& item : lists_.tree()) {
    if (item.group) {
      if (visible(*item.group)) rows_.push_back({nullptr, item.group, {}});
      continue;
    }
    if (!showCategories_) {
      for (TGrpInfo* g : item.category->groups) {
        if (visible(*g)) rows_.push_back({nullptr, g, {}});
      }
      continue;
    }
    ShownRow row{item.category, nullptr, {}};
    for (TGrpInfo* g : item.category->groups) {
      if (visible(*g)) row.children.push_back(g);
    }
    rows_.push_back(std::move(row));
  }
}

std::size_t GroupDisplay::shownGroupCount() const {
  std::size_t n = 0;
  for (const ShownRow& row : rows_) n += row.group ? 1 : row.children.size();
  return n;
}

}  // namespace orvel
