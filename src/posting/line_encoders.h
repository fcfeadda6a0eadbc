#pragma once
// One encoded line of an attachment: uuencode and base64 take 45 bytes a
// line, yEnc up to 128 output characters (129 when the last is an escape).
// Each writes into a caller's buffer and returns the characters written, so
// the writer holds nothing but the current line.

#include <cstddef>

namespace orvel {

inline constexpr std::size_t kUuBytesPerLine = 45;
inline constexpr std::size_t kYEncLineLength = 128;
// The room one yEnc line needs: the line and a closing escape.
inline constexpr std::size_t kYEncLineCapacity = kYEncLineLength + 1;
inline constexpr std::size_t kTextLineCapacity = 61;  // a full uuencode line

// A uuencode line of size bytes (1 to 45): the length character, then four
// characters per three bytes, "`" standing for 0.
std::size_t EncodeUuLine(const unsigned char* data, std::size_t size, char* out);

// A base64 line of size bytes (1 to 45), the last group filled up with "=".
std::size_t EncodeBase64Line(const unsigned char* data, std::size_t size, char* out);

// Encodes bytes from data (at most size) while the line is shorter than 128
// characters; taken receives how many bytes went into the line.
std::size_t EncodeYEncLine(const unsigned char* data, std::size_t size, char* out,
                           std::size_t& taken);

}  // namespace orvel
