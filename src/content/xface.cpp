#include "content/xface.h"

namespace orvel {

namespace {

// The library keeps the face as a number of at most 576 bytes; each character
// carries log2(94) bits, so a face never needs more than 703 of them.
constexpr std::size_t kMaxFaceDigits = 703;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

bool IsPlausibleXFace(std::string_view value) {
  std::size_t digits = 0;
  for (char c : value) {
    if (c >= '!' && c <= '~') {
      if (++digits > kMaxFaceDigits) return false;
    } else if (!isBlank(c)) {
      return false;
    }
  }
  return digits > 0;
}

std::optional<XFaceBitmap> DecodeXFace(std::string_view value) {
  value = value.substr(0, kMaxXFaceChars);
  if (!IsPlausibleXFace(value)) return std::nullopt;
  XFaceBitmap face;
  if (!detail::UncompressFace(value, face)) return std::nullopt;
  return face;
}

}  // namespace orvel
