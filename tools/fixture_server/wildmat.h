#pragma once
// Wildmat matching as news servers do it: "*" any text, "?" one character,
// "[...]" a set with ranges and "^" negation, "\" quotes the next character.
// A list is comma-separated patterns, each optionally led by "!"; the last
// pattern that matches decides.

#include <string_view>

namespace orvel::fixture {

bool wildmatMatch(std::string_view pattern, std::string_view text);
bool wildmatListMatch(std::string_view list, std::string_view text);

}  // namespace orvel::fixture
