#include "folders/folder_transfer.h"

namespace orvel {

std::unique_ptr<TransferTarget> OpenTransferTarget(const TFolderInfo& folder) {
  return std::make_unique<StoreTransferTarget>(folder.name, folder.file, folder.kind);
}

bool TransferToFolder(GroupSession& session, const TFolderInfo& folder, bool copy,
                      const CommandContext& context) {
  return session.TransferTo(OpenTransferTarget(folder), copy, context);
}

}  // namespace orvel
