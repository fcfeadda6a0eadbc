#pragma once
// Personal header lines: "CustomHeadersCount" and "CustomHeader1".. in
// section "Compose" of "Orvel.ini" and in the group property sets of
// "groups.ini". Only lines of the form [*]Name: value are kept; a leading "*"
// starts the compose window's row switched on.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/ini_file.h"
#include "core/perlre.h"

namespace orvel {

struct CustomHeader {
  bool on = false;    // the line began with "*"
  std::string name;   // "X-Face"
  std::string value;  // may be empty
  std::string line;   // the line as stored, "*" included

  bool operator==(const CustomHeader&) const = default;
};

// The line split by the header-line pattern (a TPerlre compiled with
// kHeaderLinePattern); nothing when it does not match.
std::optional<CustomHeader> ParseCustomHeader(TPerlre& pattern, std::string_view line);

// Appends the valid lines of a section (count key, then keys 1..count).
void ReadCustomHeaders(const IniFile& ini, std::string_view section, TPerlre& pattern,
                       std::vector<CustomHeader>& headers);
// Same from key/value pairs (a group property set held in memory).
void ReadCustomHeaders(const std::vector<std::pair<std::string, std::string>>& entries,
                       TPerlre& pattern, std::vector<CustomHeader>& headers);

// Writes the count and the lines, and removes numbered keys beyond the count.
void WriteCustomHeaders(IniFile& ini, std::string_view section,
                        const std::vector<CustomHeader>& headers);

}  // namespace orvel
