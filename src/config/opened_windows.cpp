#include "config/opened_windows.h"

#include "core/text.h"

namespace orvel {

namespace {
constexpr const char* kSection = "Opened";
}

std::vector<OpenedWindow> ReadOpenedWindows(const IniFile& ini) {
  std::vector<OpenedWindow> out;
  const int count = ini.readInteger(kSection, "Count", 0);
  for (int i = 1; i <= count; ++i) {
    const auto entry = ini.read(kSection, std::to_string(i));
    if (!entry) continue;
    if (*entry == "Folders") {
      out.push_back({OpenedWindow::Kind::FolderWindow, {}});
    } else if (entry->rfind("F:", 0) == 0 && entry->size() > 2) {
      out.push_back({OpenedWindow::Kind::FolderView, entry->substr(2)});
    } else if (entry->rfind("S:", 0) == 0 && entry->size() > 2) {
      out.push_back({OpenedWindow::Kind::ServerGroups, entry->substr(2)});
    }
  }
  return out;
}

void WriteOpenedWindows(IniFile& ini, const std::vector<OpenedWindow>& windows) {
  ini.eraseSection(kSection);
  int n = 0;
  for (const auto& w : windows) {
    std::string text;
    switch (w.kind) {
      case OpenedWindow::Kind::FolderWindow: text = "Folders"; break;
      case OpenedWindow::Kind::FolderView: text = "F:" + w.name; break;
      case OpenedWindow::Kind::ServerGroups: text = "S:" + w.name; break;
    }
    ini.write(kSection, std::to_string(++n), text);
  }
  if (n > 0) ini.writeInteger(kSection, "Count", n);
}

}  // namespace orvel
