#pragma once
// Opening a decoded file with the system's handler (`LaunchFile`). The
// handler itself is injected: the Qt shell passes QDesktopServices, tests a
// recorder.

#include <string>
#include <string_view>

#include "core/prompter.h"

namespace orvel {

class FileLauncher {
 public:
  virtual ~FileLauncher() = default;
  // Hands the file to the system's handler; false when none took it.
  virtual bool open(const std::string& path) = 0;
};

// Where nothing may be opened (the command line).
class NoLauncher final : public FileLauncher {
 public:
  bool open(const std::string&) override { return false; }
};

// The question asked before a dangerous file is opened.
std::string DangerousFileQuestion(std::string_view path);

// Opens an existing regular file unless its extension is in the dangerous
// list; a dangerous file is opened only when ask is set and the person
// answers yes. A file with an execute bit is never opened from here.
// Returns true when the file was handed to the launcher.
bool LaunchFile(const std::string& path, bool ask, FileLauncher& launcher, Prompter& prompter);

// The viewer's completion event (`AttachNotify`): in output mode 3, a file
// saved to disk whose name is in launchTypes (the `LaunchTypes` setting) is
// opened, dangerous ones after asking. True when it was opened.
class TMime;
bool AttachNotify(const TMime& viewer, int code, std::string_view launchTypes,
                  FileLauncher& launcher, Prompter& prompter);

}  // namespace orvel
