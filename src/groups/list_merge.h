#pragma once
// Merging a "LIST" or "NEWGROUPS" reply into the group lists, line by line.
//
// A line holds the group name, its last and its first article number, then
// fields that are not used ("comp.lang.c 0000123456 0000120001 y"). A known
// group (found by lower-case name) takes the new numbers; an unknown one is
// appended as a new record. A line without a usable name or with numbers
// that are not 32-bit article numbers is counted as skipped. After a full
// list, finish() drops the records the list did not name.

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "groups/group_lists.h"

namespace orvel {

struct ListLine {
  std::string_view name;
  std::int32_t last = 0;
  std::int32_t first = 0;
};

// Longest group name taken from a server; longer lines are skipped.
inline constexpr std::size_t kMaxGroupNameLength = 1000;

std::optional<ListLine> ParseListLine(std::string_view line);

class ListMerge {
 public:
  ListMerge(GroupLists& lists, bool full);

  void AddLine(std::string_view line);
  // After the terminating line. For a full list, drops every record the list
  // did not name unless it is subscribed or keep says so; returns how many
  // went.
  std::size_t Finish(const std::function<bool(const TGrpInfo&)>& keep = {});

  int found() const { return found_; }
  int added() const { return added_; }
  int skipped() const { return skipped_; }

 private:
  GroupLists& lists_;
  bool full_;
  std::uint32_t mark_ = 0;
  int found_ = 0;
  int added_ = 0;
  int skipped_ = 0;
};

}  // namespace orvel
