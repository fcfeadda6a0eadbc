#include "groups/read_state_files.h"

#include <cstdio>
#include <filesystem>

#include "config/profile.h"
#include "core/atomic_file.h"
#include "groups/newsrc_format.h"

namespace orvel {

namespace fs = std::filesystem;

namespace {

// The whole file; false when it is not a readable regular file. Read in one
// piece into a buffer of the file's size: a newsrc may hold tens of megabytes.
bool readFile(const std::string& path, std::string& data) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) return false;
  const auto size = fs::file_size(path, ec);
  if (ec) return false;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  data.resize(size);
  std::size_t got = size > 0 ? std::fread(data.data(), 1, size, f) : 0;
  // A file that grew meanwhile is read to its end.
  char buffer[1 << 16];
  for (std::size_t n; got == data.size() && (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) {
    data.append(buffer, n);
    got += n;
  }
  data.resize(got);
  const bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

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
  std::string text;
  if (!fs::exists(paths.newsrc, ec)) {
    if (!SaveFileAtomically(paths.newsrc, {}, error)) return false;
  } else if (!readFile(paths.newsrc, text)) {
    if (error) *error = "cannot read " + paths.newsrc;
    return false;
  }
  ReadNewsrc(text, lists);
  std::string rc;
  if (readFile(paths.orvelrc, rc)) ReadOrvelrc(rc, lists);
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
