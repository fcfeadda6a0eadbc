#pragma once
// The quote marks of a line: the leading run of quote characters and spaces,
// and its depth (quote characters in the run minus one: -1 unquoted, 0 for
// one mark). The quote characters come from the `QuoteChars` setting, read as
// UTF-8 (a byte that is not UTF-8 stands for its Latin-1 character), so "»"
// counts whether the line was Latin-1 or UTF-8 before display.

#include <bitset>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace orvel {

inline constexpr std::string_view kDefaultQuoteChars = ">:|]\xC2\xBB";

class QuoteMarks {
 public:
  // An empty or blank setting keeps the default characters.
  explicit QuoteMarks(std::string_view quoteChars = kDefaultQuoteChars);

  int Depth(std::string_view line) const;
  // Byte offset of the first character after the leading run.
  std::size_t TextPosition(std::string_view line) const;
  // Byte length of the leading run cut to at most maxChars characters.
  std::size_t PrefixLength(std::string_view line, std::size_t maxChars) const;
  // The line with its leading run written as one ">" per quote mark and one
  // space after them; a line without marks comes back as it is.
  std::string Uniform(std::string_view line) const;

 private:
  bool isMark(char32_t c) const;
  // Walks the leading run; returns its length in bytes and counts the marks.
  std::size_t scanRun(std::string_view line, int& marks,
                      std::size_t maxChars = static_cast<std::size_t>(-1)) const;

  std::vector<char32_t> marks_;
  std::bitset<128> asciiMarks_;  // the ASCII members of marks_, for the common case
};

// The code point at pos (moved past it); a byte that does not start a valid
// UTF-8 sequence is taken as its Latin-1 character.
char32_t NextCodePoint(std::string_view text, std::size_t& pos);

}  // namespace orvel
