#pragma once
// Finding a regex in the viewer's text: "Trouver" while the viewer has the
// focus searches from the caret on, and a match found in an article's stored
// text (by the list's find or the folder search) is shown selected where the
// viewer shows it. Offsets are bytes of the UTF-8 text.

#include <cstddef>
#include <optional>
#include <string_view>

#include "core/perlre.h"

namespace orvel {

struct TextMatch {
  std::size_t offset = 0;
  std::size_t length = 0;
};

// The first match starting at or after the caret; nothing when none follows
// (the search does not wrap round).
std::optional<TextMatch> FindFrom(TPerlre& re, std::string_view text, std::size_t caret);

// Where a match of re in the stored text shows in the viewer's text, which is
// decoded and without the headers: the first match there with the same
// matched text, else the first match.
std::optional<TextMatch> LocateMatch(TPerlre& re, std::string_view shown, std::string_view matched);

}  // namespace orvel
