// JPEG headers of decoded files: the size read without decoding, and the cap.

#include <cstdint>
#include <string_view>

#include "content/jpeg_probe.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto picture = orvel::ProbeJpeg(bytes);
  if (picture && static_cast<std::int64_t>(picture->width) * picture->height >
                     orvel::kMaxInlinePicturePixels) {
    __builtin_trap();
  }
  return 0;
}
