#include "groups/grp_info.h"

namespace orvel {

char StorageModeChar(StorageMode mode) {
  switch (mode) {
    case StorageMode::Nothing: return '~';
    case StorageMode::Headers: return '#';
    case StorageMode::Bodies: return '@';
    case StorageMode::Default: break;
  }
  return ':';
}

StorageMode StorageModeFromChar(char c) {
  switch (c) {
    case '~': return StorageMode::Nothing;
    case '#': return StorageMode::Headers;
    case '@': return StorageMode::Bodies;
    default: return StorageMode::Default;
  }
}

}  // namespace orvel
