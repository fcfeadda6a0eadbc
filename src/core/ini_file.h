#pragma once
// INI files as the program reads and writes them: "[section]" headers and
// "key=value" lines. Section and key names are found without regard to case;
// the first of duplicate keys wins; blanks around names and values are
// ignored and a value wrapped in matching quotes loses them. Writing a key
// replaces its value in place or appends it to its section (a new section goes
// at the end); every other line, comments and malformed lines included, is
// kept as it was. Saving rewrites the whole file atomically.

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/atomic_file.h"

namespace orvel {

class IniFile {
 public:
  IniFile() = default;
  // Reads the file at path; a missing or unreadable file reads as empty.
  explicit IniFile(std::string path);
  static IniFile FromText(std::string_view text);

  const std::string& path() const { return path_; }
  void setPath(std::string path) { path_ = std::move(path); }

  bool hasSection(std::string_view section) const;
  bool hasKey(std::string_view section, std::string_view key) const;
  // Section names in file order.
  std::vector<std::string> sections() const;
  // Key names of a section in file order (the first of duplicates only).
  std::vector<std::string> keys(std::string_view section) const;
  // Key and value pairs of a section in file order.
  std::vector<std::pair<std::string, std::string>> entries(std::string_view section) const;

  std::optional<std::string> read(std::string_view section, std::string_view key) const;
  std::string readString(std::string_view section, std::string_view key,
                         std::string_view fallback = {}) const;
  // Decimal or "$"/"0x" hexadecimal; the fallback when absent or not a number.
  int readInteger(std::string_view section, std::string_view key, int fallback) const;
  // "1" is true, any other present value false.
  bool readBool(std::string_view section, std::string_view key, bool fallback) const;

  void write(std::string_view section, std::string_view key, std::string_view value);
  void writeInteger(std::string_view section, std::string_view key, long long value);
  void writeBool(std::string_view section, std::string_view key, bool value);
  void eraseKey(std::string_view section, std::string_view key);
  void eraseSection(std::string_view section);

  std::string text() const;
  // Writes the file at path() atomically; false with error set on failure.
  bool save(std::string* error = nullptr, AtomicWriteOptions options = {}) const;
  bool modified() const { return modified_; }

 private:
  enum class Kind { Section, Key, Other };
  struct Line {
    Kind kind = Kind::Other;
    std::string raw;    // the line as read, without its line end
    std::string name;   // section or key name as written
    std::string value;  // key value, unquoted
  };

  void parse(std::string_view text);
  void rebuildIndex();
  // Index of the section header line, or -1.
  long sectionLine(std::string_view section) const;
  // End (exclusive) of the section starting at header line index.
  std::size_t sectionEnd(std::size_t header) const;
  long keyLine(std::string_view section, std::string_view key) const;

  std::string path_;
  std::vector<Line> lines_;
  std::unordered_map<std::string, std::size_t> sectionIndex_;  // lower-cased name -> line
  std::string lineEnd_ = "\n";
  bool modified_ = false;
};

}  // namespace orvel
