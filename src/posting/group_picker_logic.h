#pragma once
// The group picker's choice, without its window: which groups it lists, which
// start ticked, and what OK gives back.

#include <string>
#include <string_view>
#include <vector>

namespace orvel {

struct PickerEntry {
  std::string group;
  bool ticked = false;

  bool operator==(const PickerEntry&) const = default;
};

// The button that asks for answers by mail gives this instead of groups.
inline constexpr std::string_view kPickerPoster = "poster";

// The groups of the comma list groups, then those of extra that are not
// already listed (any case), blanks trimmed and empty names dropped; ticked
// when current names them (any case).
std::vector<PickerEntry> PickerEntries(std::string_view groups, std::string_view extra,
                                       std::string_view current);

// The ticked groups joined by ","; empty when every entry is ticked.
std::string PickerResult(const std::vector<PickerEntry>& entries);

}  // namespace orvel
