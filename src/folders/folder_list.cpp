#include "folders/folder_list.h"

#include <algorithm>
#include <map>

#include "core/ini_file.h"
#include "core/text.h"

namespace orvel {

namespace {

constexpr std::string_view kFoldersSection = "Folders";
constexpr std::string_view kQueuesSection = "Queues";

bool isAbsolute(std::string_view path) { return !path.empty() && path.front() == '/'; }

}  // namespace

TFolderList::TFolderList(std::string iniPath, std::string foldersDir)
    : iniPath_(std::move(iniPath)), foldersDir_(std::move(foldersDir)) {
  if (!foldersDir_.empty() && foldersDir_.back() != '/') foldersDir_ += '/';
}

std::string TFolderList::DefaultFile(std::string_view name) const {
  return foldersDir_ + std::string(name) + ".mbx";
}

bool TFolderList::HasDefaultFile(const TFolderInfo& folder) const {
  return equalsNoCase(folder.file, DefaultFile(folder.name));
}

std::string TFolderList::RelativeFile(const TFolderInfo& folder) const {
  if (folder.file.size() > foldersDir_.size() && folder.file.starts_with(foldersDir_)) {
    return folder.file.substr(foldersDir_.size());
  }
  return folder.file;
}

std::string TFolderList::AbsoluteFile(std::string_view file) const {
  return isAbsolute(file) ? std::string(file) : foldersDir_ + std::string(file);
}

std::vector<std::string> TFolderList::Load() {
  folders_.clear();
  folders_.push_back({"Outbox", foldersDir_ + "Outbox.mbx", kStoreOutbox});
  folders_.push_back({"Sent", foldersDir_ + "Sent.mbx", kStoreSent});

  std::vector<std::string> problems;
  const IniFile ini(iniPath_);
  // The numbered keys in number order; a count beyond them finds nothing,
  // and a huge count costs nothing.
  std::map<std::int64_t, std::string> numbered;
  for (const auto& [key, value] : ini.entries(kFoldersSection)) {
    const auto n = parseDecimal(key);
    if (n && *n >= 1) numbered.emplace(*n, value);
  }
  std::int64_t count = 0;
  if (const auto text = ini.read(kFoldersSection, "count")) {
    const auto n = parseDecimal(trim(*text));
    if (n && *n >= 0) {
      count = *n;
    } else {
      // Without a readable count every numbered entry is taken.
      count = numbered.empty() ? 0 : numbered.rbegin()->first;
      problems.push_back("folders.ini: count \"" + *text + "\" is not a number; " +
                         std::to_string(numbered.size()) + " numbered entries read");
    }
  }
  for (const auto& [n, value] : numbered) {
    if (n > count) break;
    if (value.empty()) continue;
    const std::size_t comma = value.find(',');
    std::string name = trim(std::string_view(value).substr(0, comma));
    std::string file = comma == std::string::npos
                           ? DefaultFile(name)
                           : AbsoluteFile(trim(std::string_view(value).substr(comma + 1)));
    if (name.empty()) {
      problems.push_back("folders.ini: entry " + std::to_string(n) + " has no folder name");
      continue;
    }
    if (IndexOf(name)) {
      problems.push_back("folders.ini: entry " + std::to_string(n) + " repeats the folder name " +
                         name + "; the first one is kept");
      continue;
    }
    if (comma != std::string::npos && file == foldersDir_) file = DefaultFile(name);
    const bool queue = ini.readBool(kQueuesSection, name, false);
    folders_.push_back({std::move(name), std::move(file), queue ? kStoreQueue : kStoreArchive});
  }
  return problems;
}

bool TFolderList::Save(std::string* error) const {
  IniFile ini(iniPath_);
  ini.eraseSection(kFoldersSection);
  ini.eraseSection(kQueuesSection);
  ini.writeInteger(kFoldersSection, "count", static_cast<long long>(Count() - kFixedFolders));
  for (std::size_t i = kFixedFolders; i < Count(); ++i) {
    const TFolderInfo& f = folders_[i];
    ini.write(kFoldersSection, std::to_string(i - kFixedFolders + 1),
              HasDefaultFile(f) ? f.name : f.name + "," + f.file);
  }
  for (std::size_t i = kFixedFolders; i < Count(); ++i) {
    if (folders_[i].IsQueue()) ini.write(kQueuesSection, folders_[i].name, "1");
  }
  return ini.save(error);
}

std::optional<std::size_t> TFolderList::IndexOf(std::string_view name) const {
  for (std::size_t i = 0; i < folders_.size(); ++i) {
    if (equalsNoCase(folders_[i].name, name)) return i;
  }
  return std::nullopt;
}

const TFolderInfo* TFolderList::Find(std::string_view name) const {
  const auto i = IndexOf(name);
  return i ? &folders_[*i] : nullptr;
}

std::size_t TFolderList::Add(std::string name, std::string file, bool queue) {
  folders_.push_back({std::move(name), std::move(file), queue ? kStoreQueue : kStoreArchive});
  return folders_.size() - 1;
}

void TFolderList::Remove(std::size_t index) {
  folders_.erase(folders_.begin() + static_cast<std::ptrdiff_t>(index));
}

void TFolderList::SetName(std::size_t index, std::string name) {
  folders_[index].name = std::move(name);
}

void TFolderList::SetFile(std::size_t index, std::string file) {
  folders_[index].file = std::move(file);
}

void TFolderList::SortUserFolders() {
  std::stable_sort(folders_.begin() + kFixedFolders, folders_.end(),
                   [](const TFolderInfo& a, const TFolderInfo& b) {
                     return lowerAscii(a.name) < lowerAscii(b.name);
                   });
}

std::string FolderIndexFile(const TFolderInfo& folder) {
  std::string index = folder.file;
  const std::size_t dot = index.rfind('.');
  const std::size_t slash = index.rfind('/');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) index.resize(dot);
  return index + (folder.IsQueue() ? ".qdr" : ".hdr");
}

}  // namespace orvel
