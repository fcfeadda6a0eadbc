#pragma once
// The common start-up step: the command line, the base directory and its
// sub-directories, the seven settings bags, the shared regular expressions and
// the date formats. It runs once, before the main window, for the GUI and for
// orvel-cli alike.

#include <string>
#include <vector>

#include "config/app_state.h"
#include "config/shortcuts.h"
#include "core/bag.h"

namespace orvel {

struct CommandLine {
  std::string baseDir;  // "/d:" + directory
  std::string url;      // "/url=" + news URL
  bool allowSecondInstance = false;  // "/m"
  std::string profile;  // the last argument not starting with "/"
};

// Arguments after the program name; prefixes are compared without regard to case.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// $XDG_DATA_HOME/Orvel/, else $HOME/.local/share/Orvel/.
std::string DefaultBaseDir();

// The given directory when it exists, else the default one (created when
// missing); a trailing "/" is added only when missing.
std::string ResolveBaseDir(const std::string& given, const std::string& defaultDir);

struct StartupOptions {
  std::string defaultBaseDir = DefaultBaseDir();
  ShortcutCodec shortcutCodec = KeysFileCodec();  // shortcut texts of "keys.ini"
  bool useLocaleDateFormats = true;
};

// Runs the whole step and returns the process-wide state.
void RunCommonStartup(AppState& state, const CommandLine& commandLine,
                      const StartupOptions& options = {});

inline constexpr const char* kSeparatorPattern =
    "^\\s*([\\-\\*\\=] ?){8,}\\s*$|^\\s*[:;][-^o]?[o\\(\\)]";

}  // namespace orvel
