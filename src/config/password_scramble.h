#pragma once
// How "servers.ini" stores a password: scrambled with a fixed 16-bit key,
// multiplier and increment (never to change, or stored passwords become
// unreadable), then escaped so that only printable ASCII reaches the file.
//
// Scrambling XORs each byte with the high byte of a running 16-bit value; the
// value then becomes (value + scrambled byte) * multiplier + increment. The
// escaping writes bytes 33..126 as themselves and every other byte, "$" and
// the two quote characters (which the INI reader would strip from the ends of
// a value) as "$" and two lower-case hex digits.

#include <string>
#include <string_view>

namespace orvel {

std::string ScramblePassword(std::string_view plain);
std::string UnscramblePassword(std::string_view scrambled);

std::string HexEscape(std::string_view bytes);
// Each "$" and the two hex digits after it become one byte; a "$" not followed
// by two hex digits stays as it is.
std::string HexUnescape(std::string_view text);

// The "PassWd" value of a password and back.
inline std::string EncodePassword(std::string_view plain) {
  return HexEscape(ScramblePassword(plain));
}
inline std::string DecodePassword(std::string_view stored) {
  return UnscramblePassword(HexUnescape(stored));
}

}  // namespace orvel
