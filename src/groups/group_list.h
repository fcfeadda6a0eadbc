#pragma once
// TGroupList: the logic of a server's group list window. It owns the group
// records of one profile (GroupLists), what the window shows of them
// (GroupDisplay), the read-state files, and the requests it sends over a
// borrowed pool connection.
//
// Requests. One at a time: a full or new-groups list ("LIST" or "NEWGROUPS
// since LastUpdated GMT"), or a count run ("GROUP" for each group in turn,
// giving the connection back between groups). doConnect borrows a connection
// for the profile; without force it only uses one that is already
// connected. It is ignored while a connection is held, while the list closes
// and while the main window closes. A count-update timer runs the all-counts
// request every UpdateCountInterval minutes without force.
//
// Who calls it: the window (Qt, later) forwards the user's commands and
// redraws from the observer's calls; group views find their records here,
// mark cross-posted articles, hand their read state back and register so
// they are asked before the list closes; the main window owns the host and
// the auto-save timer. Every text the person sees goes through the prompter.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/profile.h"
#include "config/settings.h"
#include "core/clock.h"
#include "core/prompter.h"
#include "groups/group_columns.h"
#include "groups/group_display.h"
#include "groups/group_list_host.h"
#include "groups/group_lists.h"
#include "groups/list_merge.h"
#include "groups/read_state_files.h"
#include "net/connection_pool.h"

namespace orvel {

struct GroupListOptions {
  // Opening a server without groups offers the full list (a command that
  // opens one group turns it off).
  bool listWhenEmpty = true;
  bool autoGetMsgCounts = false;   // AutoGetMsgCounts
  int updateCountInterval = 30;    // UpdateCountInterval, minutes; 0: no timer
  bool backUpNewsRC = true;        // BackUpNewsRC
  bool hideEmptyGroups = false;    // HideEmptyGroups, the starting state
  int tz = -1;                     // TZ: hours * 100 + minutes, -1 the system's
  std::string serversIniPath;      // where "LastUpdated" is kept

  static GroupListOptions FromSettings(const Settings& settings, const std::string& baseDir);
};

enum class GroupRequest { None, FullList, NewGroups, Counts };

// How the last request ended.
struct RequestOutcome {
  GroupRequest request = GroupRequest::None;
  bool completed = false;  // ran to its end (a count run also past "411" replies)
  int errorCode = 0;       // the failure that stopped it, when not completed
  std::string errorText;
};

// A group view's read state handed back to its record; numbers left empty
// keep the record's.
struct GroupReadState {
  ReadRanges read;
  std::string toFetch;
  StorageMode storage = StorageMode::Default;
  std::optional<std::int32_t> first, last, unread, total;
};

class GroupListObserver {
 public:
  virtual ~GroupListObserver() = default;
  // One row's texts changed.
  virtual void groupChanged(const TGrpInfo&) {}
  // Rows came, went or moved, or the tab changed: rebuild from shown().
  virtual void shownListRebuilt() {}
  // The filter panel turns light yellow (kFilterPanelColor) while active.
  virtual void filterChanged(bool /*active*/) {}
  // A list or count request ended and the connection went back to the pool.
  virtual void requestEnded(const RequestOutcome&) {}
};

inline constexpr std::string_view kReloadQuestion =
    "Les modifications non sauv\u00e9es de ce serveur seront perdues. Recharger les groupes ?";

// 0x00BBGGRR of red 255, green 255, blue 153.
inline constexpr std::uint32_t kFilterPanelColor = Rgb(255, 255, 153);

class TGroupList {
 public:
  // The request kinds a borrowed connection carries (TNNTP::purpose).
  static constexpr std::uint8_t kPurposeCount = 1;
  static constexpr std::uint8_t kPurposeList = 2;

  TGroupList(std::shared_ptr<TProfile> profile, ConnectionPool& pool, Clock& clock,
             Prompter& prompter, GroupListHost& host, GroupListOptions options);
  ~TGroupList();
  TGroupList(const TGroupList&) = delete;
  TGroupList& operator=(const TGroupList&) = delete;

  void setObserver(GroupListObserver* observer) { observer_ = observer; }
  const std::shared_ptr<TProfile>& profile() const { return profile_; }
  const ReadStatePaths& paths() const { return paths_; }
  const GroupLists& lists() const { return lists_; }

  // ---- Opening and closing
  // Reads the newsrc and ".Orvelrc", then lists all groups when there are
  // none (after the confirmation) or fetches the counts (AutoGetMsgCounts),
  // and arms the count-update timer. False, with a message, when the newsrc
  // cannot be read: nothing is saved over it then.
  bool OpenServer();
  // Asks every open view to close (false when one refuses), drops a held
  // connection, saves unless the main window ignores changes, and ends the
  // server's idle pool connections.
  bool Close();
  bool opened() const { return opened_; }
  // Reads the newsrc and ".Orvelrc" again from disk (group_list_reload.cpp).
  // Open views are closed first and a request under way is dropped; when
  // either would lose something not saved yet, kReloadQuestion asks first.
  // A newsrc that cannot be read leaves the list as it was. False when
  // nothing was reloaded.
  bool Reload();

  // ---- Requests to the server
  // full: "Tous les groupes disponibles" (after a confirmation, unless the
  // person's command already was that answer: confirmed); else "Nouveaux
  // groupes".
  void ListGroups(bool full, bool confirmed = false);
  // Counts of every subscribed group; the timer calls it without force.
  void GetAllCounts(bool force = true);
  // Counts of the given groups.
  void GetCounts(const std::vector<TGrpInfo*>& groups, bool force = true);
  bool busy() const { return connection_ != nullptr; }
  GroupRequest runningRequest() const { return request_; }
  const RequestOutcome& lastOutcome() const { return lastOutcome_; }
  // Lines of the last list that could not be read.
  int lastListSkipped() const { return lastListSkipped_; }

  // ---- Commands on groups
  // direction +1 subscribes (placing new subscriptions at position), -1
  // unsubscribes.
  void Subscribe(const std::vector<TGrpInfo*>& groups, int direction, TreePosition position = {});
  void CatchUp(const std::vector<TGrpInfo*>& groups);
  void Reset(const std::vector<TGrpInfo*>& groups);
  void ClearToFetch(const std::vector<TGrpInfo*>& groups);
  void EditRead(TGrpInfo& group);
  void SetStorageMode(TGrpInfo& group, StorageMode mode);
  // The hand-entry dialog, then AddGroupsByName. Returns how many groups
  // were subscribed.
  int AddGroupsByHand(TreePosition position = {});
  // Names separated by ","; a known name (without regard to case) is
  // subscribed, another one created and subscribed. Names that cannot stand
  // in the newsrc (blanks, ":", "!") are left out.
  int AddGroupsByName(std::string_view names, TreePosition position = {});
  // After "Supprimer ?    ": removes the groups (except those open in a
  // view) and the categories (whose groups move to top level).
  void Delete(const std::vector<TGrpInfo*>& groups, const std::vector<TGrpCat*>& categories);

  // ---- Categories and the tree
  TGrpCat* NewCategory();
  void RenameCategory(TGrpCat& category);
  void MoveGroups(const std::vector<TGrpInfo*>& groups, TreePosition position);
  void MoveCategory(TGrpCat& category, std::size_t index);
  void SetExpanded(TGrpCat& category, bool expanded);
  void ExpandAll(bool expanded);

  // ---- What is shown
  GroupTab tab() const { return display_.tab(); }
  void ShowTab(GroupTab tab);
  // The filter box's text; an empty one restores the full list.
  void SetFilter(std::string_view text);
  bool filterActive() const { return display_.filterActive(); }
  // A click on a column header; only name, unread and total sort.
  void SortBy(GroupColumn column, bool ctrlHeld = false);
  // The column of the last sort (the list shows it in its header) and its
  // direction; nothing before the first sort.
  std::optional<GroupColumn> sortColumn() const;
  bool sortAscending() const { return display_.sortAscending(); }
  void SetHideEmptyGroups(bool hide);
  bool hideEmptyGroups() const { return display_.hideEmpty(); }
  void SetShowCategories(bool show);
  bool showCategories() const { return display_.showCategories(); }
  const std::vector<ShownRow>& shown() const { return display_.rows(); }
  // " %d total. %d Abonnés.  ."
  std::string IdleStatusText() const;

  // ---- For group views
  // A record by name without regard to case.
  TGrpInfo* FindGroup(std::string_view name) const { return lists_.FindNoCase(name); }
  // Read marks by group name (exact, subscribed groups only); false when no
  // such group.
  bool MarkRead(std::string_view group, std::int32_t number);
  bool MarkUnread(std::string_view group, std::int32_t number);
  // Many numbers of one group at once (the cross-posts of a thread or of a
  // whole group): one pass over the ranges rather than one per number.
  bool MarkNumbers(std::string_view group, const std::vector<std::int32_t>& numbers, bool read);
  void UpdateReadState(TGrpInfo& group, const GroupReadState& state);
  void RegisterView(OpenGroupView& view);
  void UnregisterView(OpenGroupView& view);
  bool IsOpenInView(const TGrpInfo& group) const;

  // ---- Saving
  // Writes whichever of the two files changed. False when one could not be
  // written (it stays marked changed).
  bool SaveNewsRC();
  // The save command and the auto-save timer: views hand their read state
  // back first.
  bool SaveReadState();

 private:
  // Requests (group_list_fetch.cpp).
  bool requestAllowed() const;
  bool doConnect(TGrpInfo* group, std::uint8_t purpose, bool force);
  void startCounts(std::vector<TGrpInfo*> groups, bool force);
  void requestNextCount();
  void NNTPBanner(TNNTP& connection);
  void NNTPGroup(TNNTP& connection);
  void NNTPData(TNNTP& connection);
  void NNTPError(TNNTP& connection, int code, const std::string& text);
  void NNTPDisconnected(TNNTP& connection);
  void endList();
  void releaseConnection();
  void endRequest(bool completed, int code = 0, const std::string& text = {});
  void forgetQueued(const TGrpInfo& group);

  // Writes one file under a status text; its changed flag is cleared when
  // the write succeeds, else the error is shown.
  bool saveFile(bool& changed, std::string_view status,
                const std::function<bool(std::string*)>& write);
  void changedGroup(const TGrpInfo& group);
  void rebuildShown();
  void setFilterState(bool wasActive);

  std::shared_ptr<TProfile> profile_;
  ConnectionPool& pool_;
  Clock& clock_;
  Prompter& prompter_;
  GroupListHost& host_;
  GroupListOptions options_;
  ReadStatePaths paths_;
  GroupLists lists_;
  GroupDisplay display_{lists_};
  GroupListObserver* observer_ = nullptr;
  std::vector<OpenGroupView*> views_;
  std::unique_ptr<Timer> countTimer_;
  bool opened_ = false;
  bool closing_ = false;

  // The request in progress.
  TNNTP* connection_ = nullptr;
  GroupRequest request_ = GroupRequest::None;
  std::unique_ptr<ListMerge> merge_;
  std::string listStamp_;  // "LastUpdated" of the list in progress
  std::vector<TGrpInfo*> countQueue_;  // null where a group was deleted meanwhile
  std::size_t countPosition_ = 0;
  bool countForce_ = true;
  RequestOutcome lastOutcome_;
  int lastListSkipped_ = 0;
};

}  // namespace orvel
