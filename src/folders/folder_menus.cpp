#include "folders/folder_menus.h"

namespace orvel {

namespace {

std::vector<FolderMenuItem> menuItems(const TFolderList& list, const std::string& prefix) {
  std::vector<FolderMenuItem> items;
  for (std::size_t i = kFixedFolders; i < list.Count(); ++i) {
    if (items.size() == kMenuFolderLimit) {
      items.push_back({kMoreFoldersCaption, 0, true});
      break;
    }
    items.push_back({prefix + FolderMenuName(list[i]), i, false});
  }
  return items;
}

}  // namespace

std::string FolderMenuName(const TFolderInfo& folder) {
  return folder.IsQueue() ? "/" + folder.name + "/" : folder.name;
}

std::vector<FolderMenuItem> FolderMenuItems(const TFolderList& list) {
  return menuItems(list, {});
}

std::vector<FolderMenuItem> TransferMenuItems(const TFolderList& list) {
  return menuItems(list, "-> ");
}

TransferTargets EnabledTransferTargets(const TFolderList& list, const TransferContext& context) {
  using Source = TransferView;
  const bool fromGroup = context.source == Source::Newsgroup;
  TransferTargets targets;
  targets.newArchive = context.hasSelection;
  targets.newQueue = context.canQueue && (fromGroup || context.source == Source::QueueFolder);
  targets.folders.resize(list.Count());
  for (std::size_t i = 0; i < list.Count(); ++i) {
    const bool viewed = !fromGroup && i == context.viewedFolder;
    switch (list[i].kind) {
      case kStoreOutbox:
        targets.folders[i] = context.source == Source::Sent && context.hasSelection;
        break;
      case kStoreSent:
        targets.folders[i] = context.source == Source::Outbox && context.hasSelection;
        break;
      case kStoreQueue:
        targets.folders[i] = context.canQueue && !viewed;
        break;
      default:
        targets.folders[i] = context.canArchive && !viewed;
        break;
    }
  }
  return targets;
}

}  // namespace orvel
