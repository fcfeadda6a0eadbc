// Arbitrary bytes as a newsrc and an ".Orvelrc" (split at the first NUL
// byte): every subscribed group must stand in the tree exactly once, no
// unsubscribed one may, and the ".Orvelrc" we write must rebuild the same
// tree.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>

#include "groups/newsrc_format.h"

namespace {

void checkTree(const orvel::GroupLists& lists) {
  std::unordered_set<const orvel::TGrpInfo*> placed;
  auto place = [&](const orvel::TGrpInfo* g, const orvel::TGrpCat* category) {
    if (!g->subscribed() || g->category != category || !placed.insert(g).second) {
      __builtin_trap();
    }
  };
  for (const auto& item : lists.tree()) {
    if (item.group) {
      place(item.group, nullptr);
    } else {
      for (const orvel::TGrpInfo* g : item.category->groups) place(g, item.category);
    }
  }
  if (placed.size() != lists.subscribed().size()) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t split = input.find('\0');
  const std::string_view newsrc = split == std::string_view::npos ? "a:\r\nb!\r\n" : input.substr(0, split);
  const std::string_view rc = split == std::string_view::npos ? input : input.substr(split + 1);

  orvel::GroupLists lists;
  orvel::ReadNewsrc(newsrc, lists);
  orvel::ReadOrvelrc(rc, lists);
  checkTree(lists);
  for (const auto& g : lists.all()) {
    if (!orvel::IsStorableGroupName(g->name)) __builtin_trap();
  }

  const std::string written = orvel::OrvelrcText(lists);
  orvel::ReadOrvelrc(written, lists);
  checkTree(lists);
  if (orvel::OrvelrcText(lists) != written) __builtin_trap();

  // Both files written and read back give the same arrangement.
  orvel::GroupLists again;
  orvel::ReadNewsrc(orvel::NewsrcText(lists), again);
  orvel::ReadOrvelrc(written, again);
  if (orvel::OrvelrcText(again) != written) __builtin_trap();
  return 0;
}
