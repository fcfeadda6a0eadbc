#pragma once
// The folder list's side of transfer and copy: a folder of the list as the
// target of a group session's transfer (the transfer menu's command).

#include <memory>

#include "content/folder_transfer.h"
#include "content/group_session.h"
#include "folders/folder_info.h"

namespace orvel {

// The folder's store opened for one batch.
std::unique_ptr<TransferTarget> OpenTransferTarget(const TFolderInfo& folder);

// Transfers (copy: copies) the session's selected or queued articles, or
// the article its viewer shows, into the folder. False when refused or
// nothing started.
bool TransferToFolder(GroupSession& session, const TFolderInfo& folder, bool copy,
                      const CommandContext& context);

}  // namespace orvel
