#pragma once
// Reading the data of a multi-line reply line by line, for OnData handlers.

#include <functional>
#include <string_view>

namespace orvel {

class TNNTP;

// Hands each line of the connection's data() to onLine (without its line
// end, dot-stuffing undone). Returns true when the reply ended with this
// arrival.
bool ReadDataLines(TNNTP& connection, const std::function<void(std::string_view line)>& onLine);

}  // namespace orvel
