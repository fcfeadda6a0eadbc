#pragma once
// The two read-state files of a server, as text.
//
// newsrc: one line per group, "name:" (subscribed) or "name!" (not), then
// " " and the read ranges when there are any, then "/" and the to-fetch list
// when there is one; CR LF line ends; subscribed groups first. Lines written
// by other newsreaders ("name: 1-5,7", "name! 1-3", LF line ends) read the
// same way.
//
// ".Orvelrc": the subscribed groups' arrangement. "+name" (expanded) or
// "=name" (collapsed) starts a category; ",Xname" files group name under it
// (a TAB may stand for the comma); "Xname" is a top-level group and ends the
// category. X is the storage mode (":" default, "~" nothing, "#" headers,
// "@" headers and bodies).

#include <string>
#include <string_view>

#include "groups/group_lists.h"

namespace orvel {

// Replaces the lists' records by the groups of a newsrc text: subscribed ones
// first in file order, then the others. A line without ":" or "!", or whose
// name is empty or holds blanks, is ignored, as is a second line for a name
// already read.
void ReadNewsrc(std::string_view text, GroupLists& lists);
std::string NewsrcText(const GroupLists& lists);

// Builds the tree from a ".Orvelrc" text. A line naming an unsubscribed group
// subscribes it, one naming an unknown group creates it subscribed (both mark
// the newsrc changed); subscribed groups no line placed follow at top level in
// newsrc order. A second line for a group already placed is ignored, as is
// a name the newsrc could not hold.
void ReadOrvelrc(std::string_view text, GroupLists& lists);
std::string OrvelrcText(const GroupLists& lists);

// Whether a name can stand in both files: not empty, no byte below 33, no
// ":" or "!".
bool IsStorableGroupName(std::string_view name);

}  // namespace orvel
