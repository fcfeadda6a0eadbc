#pragma once
// The folder list: Outbox and Sent as entries 0 and 1, then the user's
// archive and queue folders in the order of "folders.ini" (base directory).
// Names are unique, compared without case. The file keeps, in section
// "Folders", "count" and one key per folder ("1".."count") holding the bare
// name when the folder's body file is its default file (folders directory,
// name + ".mbx") or "name,path" otherwise; section "Queues" sets each queue
// folder's name to 1. Every change is written back at once by its caller
// through Save(), which rewrites both sections and leaves the rest of the
// file alone.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "folders/folder_info.h"

namespace orvel {

inline constexpr std::size_t kFixedFolders = 2;  // Outbox and Sent

class TFolderList {
 public:
  // foldersDir ends with "/".
  TFolderList(std::string iniPath, std::string foldersDir);

  // Outbox, Sent, then the user folders of the file. What could not be
  // taken (empty names, duplicates, an unreadable count) is skipped and
  // said in the returned lines; everything else is loaded.
  std::vector<std::string> Load();
  // Rewrites "folders.ini" atomically; false with error set on failure.
  bool Save(std::string* error = nullptr) const;

  std::size_t Count() const { return folders_.size(); }
  const TFolderInfo& operator[](std::size_t index) const { return folders_[index]; }
  std::vector<TFolderInfo>::const_iterator begin() const { return folders_.begin(); }
  std::vector<TFolderInfo>::const_iterator end() const { return folders_.end(); }
  // Index of a folder by name (without case), or nothing.
  std::optional<std::size_t> IndexOf(std::string_view name) const;
  const TFolderInfo* Find(std::string_view name) const;

  const std::string& IniPath() const { return iniPath_; }
  const std::string& FoldersDir() const { return foldersDir_; }
  // The folders directory + name + ".mbx".
  std::string DefaultFile(std::string_view name) const;
  bool HasDefaultFile(const TFolderInfo& folder) const;
  // The file relative to the folders directory when it lies inside it,
  // else the full path.
  std::string RelativeFile(const TFolderInfo& folder) const;
  // A relative path is taken relative to the folders directory.
  std::string AbsoluteFile(std::string_view file) const;

  // Changes without questions; callers check names and protection first.
  // Add returns the new folder's index.
  std::size_t Add(std::string name, std::string file, bool queue);
  void Remove(std::size_t index);
  void SetName(std::size_t index, std::string name);
  void SetFile(std::size_t index, std::string file);
  // User folders by name without case; Outbox and Sent stay on top.
  void SortUserFolders();

 private:
  std::string iniPath_;
  std::string foldersDir_;
  std::vector<TFolderInfo> folders_;
};

// The index file beside a folder's body file: ".hdr", or ".qdr" for a queue.
std::string FolderIndexFile(const TFolderInfo& folder);

}  // namespace orvel
