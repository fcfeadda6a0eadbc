#pragma once
// One base64 line of a MIME body (`DecodeBase64Line` without its output).

#include <cstddef>
#include <string_view>

namespace orvel {

// Decodes groups of four characters while characters remain and the current
// one is above CR. A character outside the alphabet ("=" included) adds zero
// bits and does not count: a group of 4 valid characters gives 3 bytes, of 3
// gives 2, of 1 or 2 gives 1, and a group without any valid character gives
// nothing. out needs room for (line.size() + 3) / 4 * 3 bytes.
std::size_t DecodeBase64Bytes(std::string_view line, char* out);

}  // namespace orvel
