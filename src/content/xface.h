#pragma once
// X-Face pictures: the 48 x 48 black-and-white face of an "X-Face:" header,
// decoded with libcompface. The header text is checked here before the
// library sees it (the library accepts anything and keeps global state), and
// only its first 2047 characters are read.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace orvel {

struct XFaceBitmap {
  static constexpr int kWidth = 48;
  static constexpr int kHeight = 48;
  static constexpr int kBytesPerRow = kWidth / 8;
  // Row after row, the leftmost pixel in the most significant bit; 1 is black.
  std::array<std::uint8_t, kBytesPerRow * kHeight> bits{};

  bool Pixel(int x, int y) const {
    return (bits[static_cast<std::size_t>(y * kBytesPerRow + x / 8)] >> (7 - x % 8)) & 1;
  }
  void SetPixel(int x, int y) {
    bits[static_cast<std::size_t>(y * kBytesPerRow + x / 8)] |=
        static_cast<std::uint8_t>(0x80 >> (x % 8));
  }
  bool operator==(const XFaceBitmap&) const = default;
};

inline constexpr std::size_t kMaxXFaceChars = 2047;

// Every character is printable ASCII ("!" to "~") or a blank (space, TAB, CR,
// LF), and the printable ones are enough and few enough to be a face.
bool IsPlausibleXFace(std::string_view value);

// The face of an X-Face value (its first kMaxXFaceChars characters), or
// nothing when the value is not a face.
std::optional<XFaceBitmap> DecodeXFace(std::string_view value);

namespace detail {
// The libcompface call, alone in its own source file (the library's header
// defines macros and globals). text must have passed IsPlausibleXFace.
bool UncompressFace(std::string_view text, XFaceBitmap& face);
}  // namespace detail

}  // namespace orvel
