// Arbitrary bytes as a newsrc: reading must never crash, every record must
// have a name the file can hold, and what we write must read back to the
// same text.
#include <cstdint>
#include <string>
#include <string_view>

#include "groups/newsrc_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  orvel::GroupLists lists;
  orvel::ReadNewsrc(text, lists);
  for (const auto& g : lists.all()) {
    if (!orvel::IsStorableGroupName(g->name)) __builtin_trap();
    if (lists.FindNoCase(g->name) == nullptr) __builtin_trap();
  }
  const std::string written = orvel::NewsrcText(lists);
  orvel::GroupLists again;
  orvel::ReadNewsrc(written, again);
  if (again.all().size() != lists.all().size()) __builtin_trap();
  if (again.subscribed().size() != lists.subscribed().size()) __builtin_trap();
  if (orvel::NewsrcText(again) != written) __builtin_trap();
  return 0;
}
