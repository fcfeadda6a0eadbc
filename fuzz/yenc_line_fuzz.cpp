// Every yEnc line decoder the processor runs against a plain reference of
// the same rules, and the keyword line readers.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "content/yenc_decoders.h"
#include "content/yenc_lines.h"

namespace {

std::string reference(std::string_view line, bool& ok) {
  std::string out;
  ok = true;
  line = line.substr(0, line.find('\0'));  // a NUL ends the line
  for (std::size_t i = 0; i < line.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(line[i]);
    if (c == 0) break;
    if (c == '=') {
      if (i + 1 == line.size()) {
        ok = false;
        break;
      }
      c = static_cast<unsigned char>(static_cast<unsigned char>(line[++i]) - 64);
    }
    out += static_cast<char>(static_cast<unsigned char>(c - 42));
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const auto decoders = orvel::detail::YEncDecoders();
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  bool ok = true;
  const std::string expected = reference(line, ok);
  for (const auto& decoder : decoders) {
    std::string out(size, '\0');
    const orvel::YEncLineResult result = decoder.decode(line, out.data());
    if (result.size > size || result.ok != ok) std::abort();
    if (out.substr(0, result.size) != expected) std::abort();
  }
  if (line.substr(0, 8) == "=ybegin ") orvel::ReadYBegin(line);
  if (line.substr(0, 7) == "=ypart ") orvel::ReadYPart(line);
  orvel::ReadYEndCrc(line, " pcrc32=");
  return 0;
}
