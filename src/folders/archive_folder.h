#pragma once
// The folder the group view's archive commands fill: "Archiver" (acaArchive)
// the group's archive folder, the queue variant (acaQArchive) its queue
// folder, each named by the group's properties (or the settings' defaults).
// A folder the list lacks is made, of the command's kind, and "folders.ini"
// is written; the queue variant refuses a folder that is not a queue.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "folders/folder_list.h"

namespace orvel {

struct ArchiveFolder {
  std::optional<std::size_t> index;  // the folder to fill; nothing: refused
  std::string problem;               // why not (a message), or the write failure
  bool created = false;              // the folder was added to the list
};

// The folder named name (without case), made when missing. queue: the queue
// variant's folder.
ArchiveFolder FindOrCreateArchiveFolder(TFolderList& list, std::string_view name, bool queue);

}  // namespace orvel
