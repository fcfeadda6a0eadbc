#pragma once
// Where a line of stored text ends: the first CR, LF or NUL. One pass over
// the bytes, sixteen at a time where the processor has SSE2, instead of a
// search for each of the three.

#include <cstddef>

namespace orvel {

// The index of the first CR, LF or NUL among the size bytes at text, or
// size when there is none.
std::size_t FindLineEnd(const char* text, std::size_t size);

}  // namespace orvel
