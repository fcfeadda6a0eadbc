#pragma once
// What a JPEG file's header says, read with libjpeg without decoding any
// pixel: whether the viewer may show the picture inline. Pictures larger
// than the cap are listed as files instead, so no display ever allocates
// for a header that claims billions of pixels.

#include <cstdint>
#include <optional>
#include <string_view>

namespace orvel {

inline constexpr std::int64_t kMaxInlinePicturePixels = 50'000'000;

struct JpegSize {
  int width = 0;
  int height = 0;
};

// The size of a JPEG picture whose header reads cleanly and whose
// width x height stays within maxPixels; nothing otherwise.
std::optional<JpegSize> ProbeJpeg(std::string_view bytes,
                                  std::int64_t maxPixels = kMaxInlinePicturePixels);

// A name that ends in ".JPG", ".JPEG" or ".JPE" (any case).
bool HasJpegExtension(std::string_view name);

}  // namespace orvel
