#include "groups/read_state_files.h"

#include <filesystem>

#include "config/profile.h"
#include "core/atomic_file.h"
#include "core/mapped_file.h"
#include "groups/newsrc_format.h"

namespace orvel {

namespace fs = std::filesystem;

namespace {

// Makes path + ".bak" hold the current file. replaceOld: an existing backup
// is replaced; otherwise it is kept. Failing leaves the save to go on.
void makeBackup(const std::string& path, bool replaceOld) {
  const std::string backup = path + ".bak";
  std::error_code ec;
  if (!fs::exists(path, ec)) return;
  if (replaceOld) fs::remove(backup, ec);
  if (fs::exists(backup, ec)) return;
  fs::create_hard_link(path, backup, ec);
  if (ec) fs::copy_file(path, backup, ec);
}

}  // namespace

ReadStatePaths ReadStatePathsFor(const std::string& newsrcPath) {
  return {newsrcPath, CompanionReadStatePath(newsrcPath)};
}

bool LoadReadState(const ReadStatePaths& paths, GroupLists& lists, std::string* error) {
  lists.Assign({});
  std::error_code ec;
  // Mapped rather than read: a newsrc may hold tens of megabytes.
  MappedFile newsrc;
  if (!fs::exists(paths.newsrc, ec)) {
    if (!SaveFileAtomically(paths.newsrc, {}, error)) return false;
  } else if (!newsrc.open(paths.newsrc)) {
    if (error) *error = "cannot read " + paths.newsrc;
    return false;
  }
  ReadNewsrc(newsrc.bytes(), lists);
  MappedFile rc;
  if (rc.open(paths.orvelrc)) ReadOrvelrc(rc.bytes(), lists);
  return true;
}

bool SaveNewsrcFile(const std::string& path, const std::string& text, bool backUp,
                    std::string* error) {
  if (backUp) makeBackup(path, true);
  return SaveFileAtomically(path, text, error);
}

bool SaveOrvelrcFile(const std::string& path, const std::string& text, bool backUp,
                     std::string* error) {
  makeBackup(path, backUp);
  return SaveFileAtomically(path, text, error);
}

}  // namespace orvel
