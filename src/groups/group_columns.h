#pragma once
// The texts of the group list's columns, made here so the window only shows
// them: numbers below zero ("none yet") are empty, long range texts are cut
// after 1000 characters with " (...)" appended, and a category row reads its
// name followed by "[" + number of groups + "]".

#include <string>

#include "groups/grp_info.h"

namespace orvel {

enum class GroupColumn { Name, Unread, Total, Read, First, Last, ToFetch };
inline constexpr int kGroupColumnCount = 7;

// Column captions: "name", "Non Lus", "Total", "Lus", "Premier", "Dernier",
// "à Prendre".
const char* GroupColumnCaption(GroupColumn column);

std::string GroupColumnText(const TGrpInfo& group, GroupColumn column);
std::string CategoryRowText(const TGrpCat& category);

// A range text as the list shows it.
inline constexpr std::size_t kShownRangesLength = 1000;
std::string ShownRanges(const std::string& ranges);

}  // namespace orvel
