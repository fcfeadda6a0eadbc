#pragma once
// The process-wide values settled once by the common start-up step, before
// any window exists, and read by every part of the program.

#include <string>

#include "core/bag.h"
#include "core/date_format.h"
#include "core/perlre.h"

namespace orvel {

struct SettingsBags {
  TBag metrics;      // "Orvel.ini" [Metrics]: window placements, column sizes
  TBag misc;         // "Orvel.ini" [Misc]
  TBag display;      // "Orvel.ini" [Display]
  TBag groupKeys;    // "keys.ini" [Group]
  TBag editKeys;     // "keys.ini" [Edit]
  TBag mainKeys;     // "keys.ini" [Main]
  TBag articleKeys;  // "keys.ini" [Article]
};

struct AppState {
  std::string baseDir;     // always ends with "/"
  std::string dataDir;     // baseDir + "data/"
  std::string foldersDir;  // baseDir + "folders/"
  std::string tempDir;     // baseDir + "temp/"
  std::string profileArgument;
  std::string startupUrl;
  bool allowSecondInstance = false;
  SettingsBags bags;
  // Lines made of eight or more "-", "*" or "=" (optionally spaced), or a
  // smiley start: separators that are never quotes.
  TPerlre separatorRegex{true, 0};
  // Month and day names and date pictures of the lists (the locale's, or the
  // built-in ones).
  DateFormatSettings dateFormats;

  std::string iniPath() const { return baseDir + "Orvel.ini"; }
  std::string keysPath() const { return baseDir + "keys.ini"; }
  // A relative file name is taken relative to the base directory.
  std::string absolutePath(const std::string& name) const;
};

}  // namespace orvel
