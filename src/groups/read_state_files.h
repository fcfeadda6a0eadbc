#pragma once
// Reading and writing a server's newsrc and ".Orvelrc" on disk, with their
// ".bak" backups. Both files are rewritten whole through a temporary file
// renamed over the old one, so a crash or a full disk mid-save leaves the
// previous file in place. The backup is a hard link to the previous file (a
// copy where links are not possible), made before the new file replaces it.

#include <string>

#include "groups/group_lists.h"

namespace orvel {

struct ReadStatePaths {
  std::string newsrc;
  std::string orvelrc;  // CompanionReadStatePath(newsrc)
};

ReadStatePaths ReadStatePathsFor(const std::string& newsrcPath);

// Reads the newsrc (created empty when missing), then the ".Orvelrc" (a
// missing one leaves the subscribed groups at top level). False with error
// set when the newsrc exists but cannot be read, or cannot be created: the
// lists are then left empty and must not be saved over the file.
bool LoadReadState(const ReadStatePaths& paths, GroupLists& lists, std::string* error);

// The newsrc's backup rule: with backUp the old ".bak" is replaced by the
// current file, else no backup is made.
bool SaveNewsrcFile(const std::string& path, const std::string& text, bool backUp,
                    std::string* error);
// The ".Orvelrc" backup rule: with backUp the old ".bak" is replaced by the
// current file; without, the current file becomes the ".bak" only when there
// is none yet.
bool SaveOrvelrcFile(const std::string& path, const std::string& text, bool backUp,
                     std::string* error);

}  // namespace orvel
