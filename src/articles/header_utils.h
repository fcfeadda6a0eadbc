#pragma once
// Small header utilities shared by the overview parser, the stores and the
// posting side: author splitting and formatting, References handling,
// "Re:" stripping, address checks and file-name escaping.

#include <string>
#include <string_view>
#include <utility>

namespace orvel {

struct FromParts {
  std::string name;
  std::string address;
};

// Splits a From value: "addr (Name)" (the comment's backslash escapes
// removed), "Name <addr>" (one pair of enclosing quotes and the escapes
// removed), or a bare address with an empty name.
FromParts ParseFrom(std::string_view from);
// The same without copies where it can: name and address view the input, or
// scratch when escapes had to be removed from the name.
void ParseFromInto(std::string_view from, std::string_view& name, std::string_view& address,
                   std::string& scratch);

// The name and address as a From value: the address alone for an empty name,
// else the name (quotes and backslashes escaped, quoted when it holds anything
// but letters, digits and spaces), " <", the address, ">".
std::string FormatAddress(std::string_view name, std::string_view address);

// Trims references after their last ">" (to nothing without one) and returns
// the view of the last Message-ID, from its "<" to the end.
std::string_view LastReference(std::string_view& references);

// "Re:" (any case, then blanks) stripped from a subject longer than 3
// characters; wasRe tells whether it was there.
std::string_view StripRe(std::string_view subject, bool* wasRe = nullptr);

// Relaxed: no blank at all. Strict: local@domain.tld without blanks or a
// second "@", and not ending in ".invalid".
bool IsValidAddress(std::string_view text, bool relaxed);

// The "References: " header line for a References text: the first and as many
// of the last Message-IDs as fit in 998 characters, invalid tokens dropped.
std::string BuildReferencesLine(std::string_view references);

// Replaces each of "%*/:<>?\| and the double quote by "%" and two lowercase
// hexadecimal digits.
std::string EscapeFileName(std::string_view text);

std::string ReverseText(std::string_view text);

// The origin of a folder article, "server:group" in its Xref: the server
// part and the group part (all of it the server when there is no colon).
std::pair<std::string_view, std::string_view> FolderOrigin(std::string_view xref);

}  // namespace orvel
