#pragma once
// A local folder: a name unique in the folder list (compared without case),
// the body file (".mbx") that holds its articles, and its kind, which also
// names its index file (".hdr", or ".qdr" for a queue).

#include <cstdint>
#include <string>

#include "articles/mailbox.h"

namespace orvel {

struct TFolderInfo {
  std::string name;
  std::string file;  // full path of the ".mbx" file
  std::uint8_t kind = kStoreArchive;  // kStoreArchive, kStoreOutbox, kStoreSent or kStoreQueue

  bool IsQueue() const { return kind == kStoreQueue; }
  // Outbox and Sent: always present, never renamed, deleted or re-pointed.
  bool IsFixed() const { return kind == kStoreOutbox || kind == kStoreSent; }
};

}  // namespace orvel
