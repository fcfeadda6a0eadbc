#pragma once
// Where the user manual ("manual.html") is found. A build puts it beside the
// program; an installation puts the program in <prefix>/bin and the manual
// in <prefix>/share/orvel. The program's directory is tried first, so a
// build run from its tree never opens an older installed copy.

#include <optional>
#include <string>
#include <vector>

namespace orvel {

// The places looked at, in order, for a program in programDir.
std::vector<std::string> ManualCandidates(const std::string& programDir);
// The first candidate that is a regular file; nothing when none is.
std::optional<std::string> FindManual(const std::string& programDir);

}  // namespace orvel
