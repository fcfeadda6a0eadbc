#pragma once
// The folder items of the main window's folder and transfer menus, and which
// transfer targets a group view may use. The menus list the first thirty
// user folders; past them one item "&more..." opens the folder picker.

#include <cstddef>
#include <string>
#include <vector>

#include "folders/folder_list.h"

namespace orvel {

inline constexpr std::size_t kMenuFolderLimit = 30;
inline constexpr const char* kMoreFoldersCaption = "&more...";

struct FolderMenuItem {
  std::string caption;  // plain text, "&" not doubled (except "&more...")
  std::size_t folder = 0;
  bool more = false;  // "&more...": no folder, the picker chooses
};

// "name", a queue "/name/".
std::string FolderMenuName(const TFolderInfo& folder);
// The user folders (entry 2 on) as the folder menu lists them.
std::vector<FolderMenuItem> FolderMenuItems(const TFolderList& list);
// Likewise for the transfer menu: "-> name", a queue "-> /name/".
std::vector<FolderMenuItem> TransferMenuItems(const TFolderList& list);

// What the active group view shows, for the transfer rules.
enum class TransferView { Newsgroup, Outbox, Sent, ArchiveFolder, QueueFolder };

struct TransferContext {
  TransferView source = TransferView::Newsgroup;
  // The folder viewed (index in the list); ignored for a newsgroup.
  std::size_t viewedFolder = 0;
  bool hasSelection = false;
  bool canArchive = false;
  bool canQueue = false;
};

struct TransferTargets {
  bool newArchive = false;
  bool newQueue = false;
  std::vector<bool> folders;  // one per folder of the list, Outbox and Sent included
};

TransferTargets EnabledTransferTargets(const TFolderList& list, const TransferContext& context);

}  // namespace orvel
