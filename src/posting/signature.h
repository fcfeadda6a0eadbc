#pragma once
// The signature under a composed message: read from the identity's signature
// file, and cut from a body again when the identity changes.
//
// A signature file may end its lines in LF, CR LF or a lone CR, and its last
// line may lack a line end; the block always uses CR LF after every line.

#include <string>
#include <string_view>

namespace orvel {

// The most lines a signature brings, its "-- " separator included.
inline constexpr int kSignatureLines = 11;

// The text appended to a body for the signature file at path (already
// absolute), or empty when the file is missing, unreadable or blank. Leading
// blank lines are skipped; the first line that is "--" or "-- " becomes "-- "
// and starts the count again, so at most kSignatureLines lines are taken from
// the separator on (or from the first line when there is none, and then at
// most kSignatureLines - 1 before a separator further down). The block starts
// with "\r\n\r\n-- \r\n" when no separator was taken, else with "\r\n\r\n".
std::string SignatureBlock(const std::string& path);

// body (CR LF lines) without its signature: cut at the last line that is
// "-- ", together with the line end before it and one empty line before that
// when there is one, so that WithoutSignature(body + SignatureBlock(path))
// gives body back (for a signature with no second "-- " line). Unchanged when
// there is no such line.
std::string WithoutSignature(std::string_view body);

}  // namespace orvel
