#pragma once
// The settings table: one row per key of "Orvel.ini" sections "Compose",
// "XOVER", "ToolBars", "Popups", "Misc" and "Display", giving the member of
// Settings it fills, its type, the values a read accepts and any special
// rule. Reading, writing back, printing and the options window all walk it.
//
// Reading: an absent key, or a value outside the accepted values, leaves the
// default. "Compose", "XOVER", "ToolBars" and "Popups" are read from the INI
// file, where a boolean is any integer (0 false); "Misc" and "Display" come
// from their bags, where a boolean is true exactly when "1". Writing: the
// first four sections key by key, "Misc" and "Display" through their bags.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "config/app_state.h"
#include "config/settings.h"
#include "core/ini_file.h"

namespace orvel {

enum class SettingsSection { Compose, XOver, ToolBars, Popups, Misc, Display };
const char* SectionName(SettingsSection section);
inline bool IsBagSection(SettingsSection s) {
  return s == SettingsSection::Misc || s == SettingsSection::Display;
}

// How a read value is taken beyond its range check.
enum class SettingRule {
  None,
  AboveMaxIsZero,    // a value above the maximum becomes 0 (WarnExcessiveQuote, CatchUpButton)
  ZeroIsOne,         // 0 counts as 1 (AutoResumeDelay)
  Seconds,           // the file holds seconds, the member milliseconds (XferTimeOut)
  NeedsPercentM,     // a text without "%m" is not taken (DejaQuery)
  NonEmpty,          // an empty text keeps the default (QuoteChars)
  DefaultsToDecodeDir,  // absent: the DecodeDir value (SaveDir)
  ExtensionList,     // upper-cased (LaunchTypes, SaveTypes)
  SortColumn,        // a column name, or its index -1..6 (SortOn)
};

using SettingField = std::variant<bool Settings::*, int Settings::*, std::string Settings::*,
                                  std::uint32_t Settings::*, BagFont Settings::*>;

struct SettingKey {
  SettingsSection section;
  const char* key;
  SettingField field;
  int minimum = INT32_MIN;  // integers: the accepted values
  int maximum = INT32_MAX;
  SettingRule rule = SettingRule::None;
  bool onlyEnds = false;    // only the minimum and the maximum are accepted (SortOrder)
};

// Every key, section by section, in the order the options window lists them.
std::span<const SettingKey> SettingsTable();
const SettingKey* FindSettingKey(std::string_view section, std::string_view key);

// Reads every key: the four INI sections from ini (section "Compose" also
// gives the personal header lines, kept when they match headerLinePattern),
// "Misc" and "Display" from their bags. A font line that cannot be read keeps
// the default and adds a message to problems.
Settings ReadSettings(const IniFile& ini, const TBag& misc, const TBag& display,
                      TPerlre& headerLinePattern, std::vector<std::string>* problems = nullptr);

// Takes one value of a key into settings after its range and rule; false
// (settings unchanged) when it is not accepted. bagBooleans: a boolean is true
// exactly when "1", else any integer (0 false).
bool ApplySettingText(Settings& settings, const SettingKey& key, const std::string& text,
                      bool bagBooleans, std::vector<std::string>* problems = nullptr);

// Writes every key back: the four INI sections (and the personal header
// lines) into ini, "Misc" and "Display" into their bags.
void WriteSettings(const Settings& settings, IniFile& ini, TBag& misc, TBag& display);

// Writes "Orvel.ini" and the two bags' sections. False with error set when a
// file cannot be written.
bool SaveSettings(const Settings& settings, AppState& app, std::string* error = nullptr);

// A key's value in its file form ("1"/"0", decimal, "$" + six hex digits,
// font line, column name; XferTimeOut in seconds).
std::string SettingText(const Settings& settings, const SettingKey& key);
// Whether a key's value differs from its default (SaveDir: from DecodeDir).
bool SettingIsDefault(const Settings& settings, const SettingKey& key);

}  // namespace orvel
