// Arbitrary bytes as the lines of a LIST reply, merged twice (a new-groups
// list, then a full list): every line is either counted or skipped, every
// record has a name the newsrc can hold, and the full list keeps exactly the
// groups it named.
#include <cstdint>
#include <string>
#include <string_view>

#include "groups/list_merge.h"
#include "groups/newsrc_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  orvel::GroupLists lists;
  lists.AddGroup("kept.subscribed", orvel::SubscriptionState::Subscribed);
  lists.AddGroup("dropped.unless.listed", orvel::SubscriptionState::Unsubscribed);
  for (bool full : {false, true}) {
    orvel::ListMerge merge(lists, full);
    int lines = 0;
    for (std::size_t pos = 0; pos <= text.size();) {
      const std::size_t end = std::min(text.find('\n', pos), text.size());
      merge.AddLine(text.substr(pos, end - pos));
      ++lines;
      pos = end + 1;
    }
    if (merge.found() + merge.skipped() != lines) __builtin_trap();
    merge.Finish();
  }
  for (const auto& g : lists.all()) {
    if (!orvel::IsStorableGroupName(g->name)) __builtin_trap();
    if (!g->subscribed() && g->listMark != lists.listGeneration) __builtin_trap();
    if (g->total < 0 && g->first >= 0) __builtin_trap();
  }
  if (lists.FindNoCase("kept.subscribed") == nullptr) __builtin_trap();
  return 0;
}
