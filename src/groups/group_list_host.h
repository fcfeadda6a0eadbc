#pragma once
// What the group lists share with the main window and the group views.
//
// GroupListHost belongs to the main window: its closing and ignore-changes
// flags, and the group lists open right now (each registers itself while it
// lives). OpenGroupView is the side of a group view the group list talks to:
// a view registers with the group list of its server while it is open, so the
// list can ask it to close, collect its read state before a save, and keep
// its record from being deleted.

#include <vector>

#include "config/profile.h"
#include "groups/grp_info.h"

namespace orvel {

class TGroupList;

class OpenGroupView {
 public:
  virtual ~OpenGroupView() = default;
  // The record the view was opened from.
  virtual const TGrpInfo* viewedGroup() const = 0;
  // The group list is closing: false refuses (the list then stays open).
  // A view that closes unregisters itself.
  virtual bool AskClose() = 0;
  // Before a save: the view gives its read state to its record
  // (TGroupList::UpdateReadState).
  virtual void HandBackReadState() = 0;
};

struct GroupListHost {
  bool mainWindowClosing = false;  // requests are no longer started
  bool ignoreChanges = false;      // the newsrc is not saved at close or by the timer
  std::vector<TGroupList*> groupLists;

  // The open group list of a profile's server, or null.
  TGroupList* groupListOf(const TProfile& profile) const;
};

// The main window's save command: every open list takes its views' read
// state and saves. False when a file could not be written.
bool SaveAllGroupLists(GroupListHost& host);

}  // namespace orvel
