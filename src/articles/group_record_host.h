#pragma once
// The side of the group list that an open group view talks to: the view
// registers while it is open, and hands its copy's read state and counts
// back to the group record it was opened from; the group list then saves
// them with the newsrc.

#include <cstdint>
#include <optional>
#include <string>

#include "groups/grp_info.h"

namespace orvel {

class TGroupView;

// What a view gives back to its record; numbers left empty keep the record's.
struct ViewReadState {
  ReadRanges read;
  std::string toFetch;
  StorageMode storage = StorageMode::Default;
  std::optional<std::int32_t> first, last, unread, total;
};

class GroupRecordHost {
 public:
  virtual ~GroupRecordHost() = default;
  virtual void ViewOpened(TGroupView& view) = 0;
  virtual void ViewClosed(TGroupView& view) = 0;
  virtual void HandBack(TGrpInfo& record, const ViewReadState& state) = 0;
};

}  // namespace orvel
