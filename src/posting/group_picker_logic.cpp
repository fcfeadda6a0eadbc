#include "posting/group_picker_logic.h"

#include <algorithm>

#include "core/text.h"

namespace orvel {

namespace {

std::vector<std::string> Names(std::string_view list) {
  std::vector<std::string> names;
  for (const std::string& piece : splitChar(list, ',')) {
    std::string name = trim(piece);
    if (!name.empty()) names.push_back(std::move(name));
  }
  return names;
}

bool Contains(const std::vector<std::string>& names, std::string_view name) {
  return std::any_of(names.begin(), names.end(),
                     [&](const std::string& n) { return equalsNoCase(n, name); });
}

}  // namespace

std::vector<PickerEntry> PickerEntries(std::string_view groups, std::string_view extra,
                                       std::string_view current) {
  std::vector<std::string> listed;
  for (std::string& name : Names(groups)) {
    if (!Contains(listed, name)) listed.push_back(std::move(name));
  }
  for (std::string& name : Names(extra)) {
    if (!Contains(listed, name)) listed.push_back(std::move(name));
  }
  const std::vector<std::string> ticked = Names(current);
  std::vector<PickerEntry> entries;
  for (std::string& name : listed) {
    const bool on = Contains(ticked, name);
    entries.push_back({std::move(name), on});
  }
  return entries;
}

std::string PickerResult(const std::vector<PickerEntry>& entries) {
  std::string result;
  bool all = true;
  for (const PickerEntry& e : entries) {
    if (!e.ticked) {
      all = false;
      continue;
    }
    if (!result.empty()) result += ',';
    result += e.group;
  }
  return all ? std::string() : result;
}

}  // namespace orvel
