// Arbitrary bytes as a From value: splitting never fails, and a name and
// address written by FormatAddress split back into the same name.
#include <cstdint>
#include <string>
#include <string_view>

#include "articles/header_utils.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const orvel::FromParts parts = orvel::ParseFrom(text);
  if (parts.name.size() > text.size() || parts.address.size() > text.size()) __builtin_trap();
  // A plain address (no blanks, brackets or parentheses) with any name.
  const std::string name(text.substr(0, text.size() / 2));
  bool plainName = !name.empty();
  for (unsigned char c : name) plainName = plainName && c >= 33;
  if (plainName) {
    const orvel::FromParts back = orvel::ParseFrom(orvel::FormatAddress(name, "a@b.c"));
    if (back.address != "a@b.c" || back.name != name) __builtin_trap();
  }
  return 0;
}
