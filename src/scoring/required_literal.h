#pragma once
// The longest run of plain characters every match of a pattern must
// contain, so that a text without it is turned down by a substring search
// before the regex engine is started (most score rules test words that most
// articles lack). Conservative: a pattern with groups, alternatives,
// inline options or quoting gives none.

#include <string>
#include <string_view>

namespace orvel {

// The required literal of pattern, lowered for a caseless pattern; empty
// when there is none worth searching for (or it cannot be told safely).
std::string RequiredLiteral(std::string_view pattern, bool caseless);

}  // namespace orvel
