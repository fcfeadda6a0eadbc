#pragma once
// Header and line decoders shared by the overview parser and the MIME parser:
// quoted-printable lines, base64 text and RFC 2047 encoded words; and the
// base64 encoder of short texts (SMTP credentials).

#include <string>
#include <string_view>

namespace orvel {

// Decodes one quoted-printable line in place (trimmed at the right first).
// Header mode also turns "_" into a space. Returns true for a hard line end,
// false when a final "=" asked to join the next line.
bool DecodeQPLine(std::string& line, bool headerMode);

// Base64 over a whole text, in groups of four characters: a character outside
// the alphabet (including "=") adds zero bits and does not count; the first
// byte of a group is always kept, the second with 3 valid characters, the
// third with 4.
std::string DecodeBase64Text(std::string_view text);

// Standard base64 (RFC 4648) of bytes, padded with "=", on one line.
std::string EncodeBase64Text(std::string_view bytes);

// Replaces every encoded word ("=?charset?Q|B?text?=") by its text converted
// to UTF-8; the blanks between two adjacent encoded words are dropped. Text
// outside encoded words is kept as it is.
std::string DecodeEncodedWords(std::string_view value);

// An extended MIME parameter value ("utf-8'fr'na%C3%AFve.txt"): the
// percent-encoded bytes converted from the named charset to UTF-8. A value
// without the two quotes is only percent-decoded.
std::string DecodeExtendedParameter(std::string_view value);

}  // namespace orvel
