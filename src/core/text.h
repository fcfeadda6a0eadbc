#pragma once
// Small text helpers shared by every layer: ASCII case folding, trimming,
// number reading in the program's formats, and printf-style formatting.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvel {

char toLowerAscii(char c);
char toUpperAscii(char c);
std::string lowerAscii(std::string_view text);
std::string upperAscii(std::string_view text);
bool equalsNoCase(std::string_view a, std::string_view b);
bool startsWithNoCase(std::string_view text, std::string_view prefix);
bool endsWithNoCase(std::string_view text, std::string_view suffix);
// Position of needle in text without regard to ASCII case, or npos.
std::size_t findNoCase(std::string_view text, std::string_view needle, std::size_t from = 0);

// Removes blanks and control characters (bytes up to 32) at both ends.
std::string_view trimView(std::string_view text);
std::string trim(std::string_view text);
std::string_view trimLeftView(std::string_view text);
std::string_view trimRightView(std::string_view text);

// A whole text read as a signed decimal integer ("-12", "+7", "007"), nothing
// when it is empty, has any other character, or overflows 64 bits.
std::optional<std::int64_t> parseDecimal(std::string_view text);
// As parseDecimal, and also "$" or "0x" followed by hexadecimal digits.
std::optional<std::int64_t> parseNumber(std::string_view text);
// parseNumber within the 32-bit signed range, else the fallback.
int toIntDef(std::string_view text, int fallback);

// The value of a hexadecimal digit (either case), -1 for any other character.
int hexDigitValue(char c);
// Each escape character followed by two hexadecimal digits becomes the byte
// they give ("%3C" with '%'); anything else is kept as it is.
std::string unescapeHex(std::string_view text, char escape);

// Splits at each separator character; empty pieces are kept.
std::vector<std::string> splitChar(std::string_view text, char separator);

// printf into a std::string.
std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

}  // namespace orvel
