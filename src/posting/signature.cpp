#include "posting/signature.h"

#include <vector>

#include "core/atomic_file.h"

namespace orvel {

namespace {

// Lines at LF, CR LF or a lone CR; a final line end starts no extra line.
std::vector<std::string_view> FileLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') {
      ++end;
    }
    start = end + 1;
  }
  return lines;
}

bool IsBlank(std::string_view line) {
  return line.find_first_not_of(" \t") == std::string_view::npos;
}

bool IsSeparator(std::string_view line) { return line == "--" || line == "-- "; }

// Removes one line end (CR LF or LF) from the end of text; false without one.
bool DropLineEnd(std::string& text) {
  if (text.empty() || text.back() != '\n') return false;
  text.pop_back();
  if (!text.empty() && text.back() == '\r') text.pop_back();
  return true;
}

}  // namespace

std::string SignatureBlock(const std::string& path) {
  std::string file;
  if (!ReadWholeFile(path, file)) return {};
  const std::vector<std::string_view> lines = FileLines(file);
  std::size_t i = 0;
  while (i < lines.size() && IsBlank(lines[i])) ++i;
  if (i == lines.size()) return {};

  std::string taken;
  bool separator = false;
  int count = 0;
  for (; i < lines.size() && count < kSignatureLines; ++i) {
    std::string_view line = lines[i];
    if (!separator && IsSeparator(line)) {
      separator = true;
      count = 0;
      line = "-- ";
    }
    taken.append(line).append("\r\n");
    ++count;
  }
  return (separator ? "\r\n\r\n" : "\r\n\r\n-- \r\n") + taken;
}

std::string WithoutSignature(std::string_view body) {
  std::size_t cut = std::string_view::npos;
  for (std::size_t start = 0; start <= body.size();) {
    std::size_t end = body.find('\n', start);
    if (end == std::string_view::npos) end = body.size();
    std::string_view line = body.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line == "-- ") cut = start;
    start = end + 1;
  }
  if (cut == std::string_view::npos) return std::string(body);
  std::string kept(body.substr(0, cut));
  if (DropLineEnd(kept)) DropLineEnd(kept);
  return kept;
}

}  // namespace orvel
