#pragma once
// One uuencoded data line: the value and expected-length tables and the
// length rules that tell a data line from text. Pure functions; the MIME
// parser applies them while it walks an article.

#include <array>
#include <cstdint>
#include <string_view>

namespace orvel {

// Value of each byte as a uu character, -1 when invalid: " " to "_" give 0-63,
// "`" gives 0, "~" gives 62, "a" to "z" give what "A" to "Z" give.
extern const std::array<std::int8_t, 256> kUUValues;

// Most bytes one uu line can carry ("M" lines carry 45; the count character
// can say up to 60).
inline constexpr int kMaxUULineBytes = 60;

// Characters of a line carrying n bytes: 1 for 0, else 1 + 4 x ceil(n / 3).
int UUExpectedLength(int n);

// Applies the length rules to one line (without its line end), given the
// byte count of the previous data line (-1 or 0 when there is none). On
// success writes the line's byte count of bytes to out (room for
// kMaxUULineBytes + 2) and returns that count; returns -1 for a line that is
// not uu data.
int DecodeUUBytes(std::string_view line, int previousBytes, char* out);

}  // namespace orvel
