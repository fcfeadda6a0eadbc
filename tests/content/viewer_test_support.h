#pragma once
// Helpers of the viewer tests: articles built from lines, rendered lines as
// short codes ("H|Subject: x", "Q0|> text", "S|-- ", "P|a.jpg"), and a
// launcher that records what it was asked to open.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include <jpeglib.h>

#include "content/article_view.h"

namespace orvel::test {

// The lines joined with CRLF, the last one ended too.
inline std::string Article(std::initializer_list<std::string_view> lines) {
  std::string text;
  for (std::string_view line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

// "H" header, "B" body, "Q<depth>" quoted, "S" signature/part, "F" fixed,
// "P" picture; then "|" and the text.
inline std::string LineCode(const RenderedLine& line) {
  std::string code;
  switch (line.style) {
    case LineStyle::Header: code = "H"; break;
    case LineStyle::Body: code = "B"; break;
    case LineStyle::Quoted: code = "Q" + std::to_string(line.quoteDepth); break;
    case LineStyle::Signature: code = "S"; break;
    case LineStyle::Fixed: code = "F"; break;
  }
  if (line.kind == LineKind::Picture) code = "P";
  return code + "|" + line.text;
}

inline std::vector<std::string> LineCodes(const ArticleView& view) {
  std::vector<std::string> codes;
  for (const RenderedLine& line : view.lines()) codes.push_back(LineCode(line));
  return codes;
}

class RecordingLauncher : public FileLauncher {
 public:
  bool open(const std::string& path) override {
    opened.push_back(path);
    return true;
  }
  std::vector<std::string> opened;
};

// A grey picture of the given size, compressed with libjpeg.
inline std::string MakeJpeg(int width, int height) {
  jpeg_compress_struct info;
  jpeg_error_mgr error;
  info.err = jpeg_std_error(&error);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = 1;
  info.in_color_space = JCS_GRAYSCALE;
  jpeg_set_defaults(&info);
  jpeg_start_compress(&info, TRUE);
  std::string row(static_cast<std::size_t>(width), '\x80');
  while (info.next_scanline < info.image_height) {
    JSAMPROW rows[1] = {reinterpret_cast<JSAMPROW>(row.data())};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  std::string bytes(reinterpret_cast<const char*>(buffer), size);
  jpeg_destroy_compress(&info);
  std::free(buffer);
  return bytes;
}

// Base64 in lines of 76 characters, each ended with CRLF.
inline std::string Base64Lines(std::string_view bytes) {
  static constexpr char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string encoded;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
    unsigned value = 0;
    for (std::size_t k = 0; k < 3; ++k) {
      value = value << 8 | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0u);
    }
    for (std::size_t k = 0; k < 4; ++k) {
      encoded += k <= n ? kAlphabet[(value >> (18 - 6 * k)) & 63] : '=';
    }
  }
  std::string lines;
  for (std::size_t i = 0; i < encoded.size(); i += 76) lines += encoded.substr(i, 76) + "\r\n";
  return lines;
}

}  // namespace orvel::test
