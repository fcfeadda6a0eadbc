// Arbitrary bytes as an XOVER reply, fed in pieces whose sizes the first byte
// chooses, then threaded and sorted; and the same bytes as an XHDR reply.
// Nothing may crash, hang or allocate by a number found in the text.
#include <cstdint>
#include <string>
#include <string_view>

#include "articles/article_arena.h"
#include "articles/threading.h"
#include "articles/xover.h"

namespace {

void feed(orvel::XoverView& view, std::string_view text, std::size_t piece, bool xhdr) {
  std::string pending;
  bool done = false;
  for (std::size_t pos = 0; pos < text.size() && !done; pos += piece) {
    pending.append(text.substr(pos, piece));
    const std::size_t rest = xhdr ? orvel::ParseXHDR(view, nullptr, pending, done)
                                  : orvel::ParseXOVER(view, nullptr, pending, done);
    pending = rest == std::string_view::npos ? std::string() : pending.substr(rest);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t piece = 1 + data[0] % 64;
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  orvel::ArticleArena arena;
  orvel::ViewLists lists;
  orvel::XoverView view(arena, lists);
  view.groupName = "comp.test";
  view.idTokens = {"tok"};
  view.options.MaxXPostKill = 3;
  view.SizeSets(0, 4096);
  view.extraNames = {"X-A", "X-B"};
  view.expectedArticles = static_cast<std::int64_t>(size);
  view.extraIndex = data[0] % 2;
  feed(view, text, piece, true);
  feed(view, text, piece, false);
  orvel::ThreadOptions options;
  options.sort.column = data[0] % 8 - 1;
  orvel::ThreadStats stats;
  orvel::ThreadArticles(lists, options, stats);
  if (stats.articles != static_cast<std::int64_t>(lists.masterList.size())) __builtin_trap();
  for (const orvel::TArticle* a : lists.masterList) {
    if (a->Position < 0) __builtin_trap();
  }
  return 0;
}
