#pragma once
// The windows open at the last shutdown, section "Opened" of "Orvel.ini":
// "Count", then keys "1".."Count" holding "Folders", "F:" + folder name or
// "S:" + server alias, in window-list order.

#include <string>
#include <vector>

#include "core/ini_file.h"

namespace orvel {

struct OpenedWindow {
  enum class Kind { FolderWindow, FolderView, ServerGroups };
  Kind kind;
  std::string name;  // folder name or server alias

  bool operator==(const OpenedWindow&) const = default;
};

// Unrecognised entries are skipped.
std::vector<OpenedWindow> ReadOpenedWindows(const IniFile& ini);

// Erases the section and writes the entries; "Count" only when there is one.
void WriteOpenedWindows(IniFile& ini, const std::vector<OpenedWindow>& windows);

}  // namespace orvel
