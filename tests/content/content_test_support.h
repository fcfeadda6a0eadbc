#pragma once
// Helpers of the content tests: a scratch directory, feeding whole texts to a
// parser, a table MIME lookup and small file helpers.

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "content/mime.h"
#include "content/mime_types.h"
#include "core/text.h"

namespace orvel::test {

// A fresh directory under the system's temporary directory, removed after.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::string& path() const { return path_; }
  std::string file(std::string_view name) const { return path_ + "/" + std::string(name); }
  // Names of the entries, sorted.
  std::vector<std::string> entries() const;

 private:
  std::string path_;
};

struct ParsedLine {
  LineClass lineClass;
  std::string text;
};

// Walks a whole text (one article) and returns every line with its class.
std::vector<ParsedLine> ParseAll(TMime& mime, std::string_view text,
                                 LineSource source = LineSource::Text);
// The classes alone, as numbers, for compact expectations.
std::vector<int> Classes(const std::vector<ParsedLine>& lines);

// Only image/gif -> .gif and image/jpeg -> .jpg.
class TableMimeTypes : public MimeTypeLookup {
 public:
  std::string extensionForType(std::string_view type) const override;
  std::string typeForFileName(std::string_view name) const override;
};

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, std::string_view bytes);
// Deterministic pseudo-random bytes.
std::string RandomBytes(std::size_t size, unsigned seed);



inline ScratchDir::ScratchDir() {
  std::string pattern =
      (std::filesystem::temp_directory_path() / "orvel-content-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

inline ScratchDir::~ScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

inline std::vector<std::string> ScratchDir::entries() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(path_)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

inline std::vector<ParsedLine> ParseAll(TMime& mime, std::string_view text, LineSource source) {
  std::vector<ParsedLine> lines;
  std::size_t pos = 0;
  std::string line;
  bool last = false;
  while (!last) {
    const LineClass c = mime.ParseLine(text, pos, line, nullptr, source, ParseDepth::Full, last);
    if (c == LineClass::Incomplete) break;
    lines.push_back({c, line});
  }
  return lines;
}

inline std::vector<int> Classes(const std::vector<ParsedLine>& lines) {
  std::vector<int> out;
  for (const ParsedLine& l : lines) out.push_back(static_cast<int>(l.lineClass));
  return out;
}

inline std::string TableMimeTypes::extensionForType(std::string_view type) const {
  const std::string t = lowerAscii(type);
  if (t == "image/gif") return ".gif";
  if (t == "image/jpeg") return ".jpg";
  return {};
}

inline std::string TableMimeTypes::typeForFileName(std::string_view name) const {
  if (endsWithNoCase(name, ".gif")) return "image/gif";
  if (endsWithNoCase(name, ".jpg")) return "image/jpeg";
  return {};
}

inline std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

inline void WriteFileBytes(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string RandomBytes(std::size_t size, unsigned seed) {
  std::mt19937 generator(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(generator() & 0xFF);
  return bytes;
}

}  // namespace orvel::test
