#pragma once
// A small yEnc encoder for building test articles (not the program's poster).

#include <cstdint>
#include <string>
#include <string_view>

#include "content/crc32.h"

namespace orvel::test {

inline std::string YEncLines(std::string_view bytes, std::size_t lineLength = 128) {
  std::string out;
  std::size_t column = 0;
  for (unsigned char b : bytes) {
    const auto c = static_cast<unsigned char>(b + 42);
    if (c == 0 || c == '\n' || c == '\r' || c == '=' || (column == 0 && c == '.')) {
      out += '=';
      out += static_cast<char>(c + 64);
      column += 2;
    } else {
      out += static_cast<char>(c);
      ++column;
    }
    if (column >= lineLength) {
      out += "\r\n";
      column = 0;
    }
  }
  if (column > 0) out += "\r\n";
  return out;
}

inline std::string Hex(std::uint32_t value) {
  char text[9];
  std::snprintf(text, sizeof text, "%08x", value);
  return text;
}

// One article of a yEnc post: part k of n over data (n = 0: single part).
// The last part carries the whole file's "crc32=" (wholeCrc, when given, in
// its place).
inline std::string YEncArticle(std::string_view name, std::string_view data, int k, int n,
                               bool withTotal = true, std::string crcOverride = {},
                               std::string wholeCrc = {}) {
  const std::size_t size = data.size();
  std::size_t begin = 0;
  std::size_t end = size;
  if (n > 0) {
    const std::size_t chunk = (size + static_cast<std::size_t>(n) - 1) / static_cast<std::size_t>(n);
    begin = chunk * static_cast<std::size_t>(k - 1);
    end = std::min(size, begin + chunk);
  }
  const std::string_view piece = data.substr(begin, end - begin);
  const std::string crc = crcOverride.empty() ? Hex(Crc32Update(0, piece.data(), piece.size()))
                                              : crcOverride;
  std::string text = "Subject: " + std::string(name) + "\r\n\r\n";
  if (n > 0) {
    text += "=ybegin part=" + std::to_string(k) + (withTotal ? " total=" + std::to_string(n) : "") +
            " line=128 size=" + std::to_string(size) + " name=" + std::string(name) + "\r\n";
    text += "=ypart begin=" + std::to_string(begin + 1) + " end=" + std::to_string(end) + "\r\n";
  } else {
    text += "=ybegin line=128 size=" + std::to_string(size) + " name=" + std::string(name) + "\r\n";
  }
  text += YEncLines(piece);
  text += "=yend size=" + std::to_string(piece.size());
  text += n > 0 ? " part=" + std::to_string(k) + " pcrc32=" + crc : " crc32=" + crc;
  if (n > 0 && k == n) {
    text += " crc32=" + (wholeCrc.empty() ? Hex(Crc32Update(0, data.data(), data.size())) : wholeCrc);
  }
  text += "\r\n";
  return text;
}

}  // namespace orvel::test
