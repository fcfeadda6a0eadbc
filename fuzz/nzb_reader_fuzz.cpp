// Arbitrary bytes as an NZB text: reading ends, fails on the same line or
// gives the same document whole and in two pieces, and a document read
// without error is written and read back to itself (duplicates were
// dropped by the first reading).
#include <cstdint>
#include <string_view>

#include "content/nzb.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  orvel::NzbParse parse = orvel::ParseNzb(text);
  orvel::NzbReader halves;
  if (halves.Feed(text.substr(0, size / 2))) halves.Feed(text.substr(size / 2));
  const orvel::NzbParse split = halves.Finish();
  // expat may word an error differently by where the pieces end.
  if (split.ok() != parse.ok() || split.errorLine != parse.errorLine) __builtin_trap();
  if (!parse.ok()) return 0;
  if (split.document != parse.document) __builtin_trap();
  for (orvel::NzbFile& f : parse.document.files) f.duplicateSegments = 0;
  if (orvel::ParseNzb(orvel::WriteNzb(parse.document)).document != parse.document) __builtin_trap();
  return 0;
}
