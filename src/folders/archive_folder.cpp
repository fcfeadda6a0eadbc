#include "folders/archive_folder.h"

#include "content/folder_transfer.h"
#include "folders/folder_edits.h"

namespace orvel {

ArchiveFolder FindOrCreateArchiveFolder(TFolderList& list, std::string_view name, bool queue) {
  ArchiveFolder out;
  if (const auto index = list.IndexOf(name)) {
    if (queue && !list[*index].IsQueue()) {
      out.problem = kQueueIntoArchiveText;
      return out;
    }
    out.index = index;
    return out;
  }
  if (auto problem = FolderNameProblem(list, name, NameUse::NewFolder)) {
    out.problem = std::move(*problem);
    return out;
  }
  const FolderChange change = CreateFolder(list, std::string(name), queue);
  out.index = change.index;
  out.created = true;
  if (!change.saved) out.problem = change.error;
  return out;
}

}  // namespace orvel
