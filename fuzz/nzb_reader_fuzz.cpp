// Arbitrary bytes as an NZB text: reading ends, gives the same result whole
// and in two pieces, and a document read without error is written and read
// back to itself (duplicates were dropped by the first reading).
#include <cstdint>
#include <string_view>

#include "content/nzb.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  orvel::NzbParse parse = orvel::ParseNzb(text);
  orvel::NzbReader halves;
  if (halves.Feed(text.substr(0, size / 2))) halves.Feed(text.substr(size / 2));
  const orvel::NzbParse split = halves.Finish();
  if (split.error != parse.error || split.document != parse.document) __builtin_trap();
  if (!parse.ok()) return 0;
  for (orvel::NzbFile& f : parse.document.files) f.duplicateSegments = 0;
  if (orvel::ParseNzb(orvel::WriteNzb(parse.document)).document != parse.document) __builtin_trap();
  return 0;
}
