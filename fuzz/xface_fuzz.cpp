// X-Face values: the check before libcompface and the decoding itself.

#include <cstdint>
#include <string_view>

#include "content/xface.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view value(reinterpret_cast<const char*>(data), size);
  const auto face = orvel::DecodeXFace(value);
  if (face && !orvel::IsPlausibleXFace(value.substr(0, orvel::kMaxXFaceChars))) __builtin_trap();
  return 0;
}
