#include "groups/group_columns.h"

namespace orvel {

namespace {

std::string numberText(std::int32_t n) { return n < 0 ? std::string() : std::to_string(n); }

}  // namespace

const char* GroupColumnCaption(GroupColumn column) {
  switch (column) {
    case GroupColumn::Name: return "name";
    case GroupColumn::Unread: return "Non Lus";
    case GroupColumn::Total: return "Total";
    case GroupColumn::Read: return "Lus";
    case GroupColumn::First: return "Premier";
    case GroupColumn::Last: return "Dernier";
    case GroupColumn::ToFetch: return "\xC3\xA0 Prendre";
  }
  return "";
}

std::string ShownRanges(const std::string& ranges) {
  if (ranges.size() <= kShownRangesLength) return ranges;
  return ranges.substr(0, kShownRangesLength) + " (...)";
}

std::string GroupColumnText(const TGrpInfo& group, GroupColumn column) {
  switch (column) {
    case GroupColumn::Name: return group.name;
    case GroupColumn::Unread: return numberText(group.unread);
    case GroupColumn::Total: return numberText(group.total);
    case GroupColumn::Read: return ShownRanges(group.read.text);
    case GroupColumn::First: return numberText(group.first);
    case GroupColumn::Last: return numberText(group.last);
    case GroupColumn::ToFetch: return ShownRanges(group.toFetch);
  }
  return {};
}

std::string CategoryRowText(const TGrpCat& category) {
  return category.name + "[" + std::to_string(category.groups.size()) + "]";
}

}  // namespace orvel
