#pragma once
// Helpers of the viewer tests: articles built from lines, rendered lines as
// short codes ("H|Subject: x", "Q0|> text", "S|-- ", "P|a.jpg"), and a
// launcher that records what it was asked to open.

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

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

}  // namespace orvel::test
