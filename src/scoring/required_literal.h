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

// A text lowered once for every caseless literal tested on it.
struct LoweredText {
  bool ready = false;
  bool ascii = true;  // only then is the lowered text searched
  std::string text;
};

// Whether text can match a pattern whose required literal is literal. A
// caseless literal is searched for only in an ASCII text, whose case folding
// is exact; any other text is left to the regex (true).
bool MayContain(std::string_view text, std::string_view literal, bool caseless,
                LoweredText& lowered);

}  // namespace orvel
