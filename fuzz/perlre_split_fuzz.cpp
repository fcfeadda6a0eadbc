// Arbitrary patterns splitting arbitrary text: the first line of the input is
// the pattern, the rest the text. Bad patterns raise EPerlRe; nothing else may
// go wrong, and the walk must always end.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/perlre.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t nl = input.find('\n');
  const std::string_view pattern = input.substr(0, nl);
  const std::string text(nl == std::string_view::npos ? std::string_view() : input.substr(nl + 1));
  for (std::uint32_t options : {0u, orvel::TPerlre::kCaseless | orvel::TPerlre::kUngreedy}) {
    orvel::TPerlre re(true, options);
    std::vector<std::string> pieces;
    try {
      re.Split(pattern, text, (size & 1) != 0, &pieces);
    } catch (const orvel::EPerlRe&) {
      return 0;
    }
    if (pieces.size() > text.size() + 1) __builtin_trap();
  }
  return 0;
}
