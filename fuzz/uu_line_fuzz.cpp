// The uu line decoder: any line and any previous length, never more bytes
// than a line can carry, and a data line always decodes to the count its
// first character gives.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "content/uu_lines.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const int previous = static_cast<int>(data[0] % 64) - 1;
  const std::string_view line(reinterpret_cast<const char*>(data + 1), size - 1);
  char out[orvel::kMaxUULineBytes + 3];
  const int bytes = orvel::DecodeUUBytes(line, previous, out);
  if (bytes < -1 || bytes > orvel::kMaxUULineBytes) std::abort();
  if (bytes >= 0 && bytes != orvel::kUUValues[static_cast<unsigned char>(line[0])]) std::abort();
  return 0;
}
