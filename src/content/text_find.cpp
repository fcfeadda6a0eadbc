#include "content/text_find.h"

namespace orvel {

namespace {

TextMatch matchOf(const TPerlre& re) {
  const auto [position, length] = re.SubExpPos(0);
  return {static_cast<std::size_t>(position - 1), static_cast<std::size_t>(length)};
}

}  // namespace

std::optional<TextMatch> FindFrom(TPerlre& re, std::string_view text, std::size_t caret) {
  if (caret > text.size() || !re.Match(text, caret)) return std::nullopt;
  return matchOf(re);
}

std::optional<TextMatch> LocateMatch(TPerlre& re, std::string_view shown, std::string_view matched) {
  if (!re.Match(shown)) return std::nullopt;
  const TextMatch first = matchOf(re);
  for (bool found = true; found; found = re.NextMatch()) {
    if (re.SubExpView(0) == matched) return matchOf(re);
  }
  return first;
}

}  // namespace orvel
