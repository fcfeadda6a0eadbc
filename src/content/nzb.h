#pragma once
// NZB documents: the segments (articles, by Message-ID) of the files of a
// binary post, as an XML file lists them. The reader runs over expat, fed in
// pieces or whole; the writer writes what the reader reads back.
//
// The reader refuses what an NZB never needs and a hostile file could abuse:
// entity declarations (so no expansion blow-up and nothing external is ever
// loaded) and Message-IDs that could not be sent in a command (blanks,
// controls, angle brackets inside). Memory grows with the text only.
// Under the usual external doctype an undefined entity (&nbsp;) in element
// text is an error; in an attribute expat drops it without a word.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvel {

struct NzbSegment {
  std::int32_t number = 0;  // from 1
  std::int64_t bytes = 0;
  std::string messageId;  // "<...>", as the program holds Message-IDs

  bool operator==(const NzbSegment&) const = default;
};

struct NzbFile {
  std::string poster;   // as the From header spells it
  std::int64_t date = 0;  // Unix seconds
  std::string subject;
  std::vector<std::string> groups;
  std::vector<NzbSegment> segments;  // by number, each number once
  // Segments whose number an earlier segment of the file had (left out).
  std::int32_t duplicateSegments = 0;

  bool operator==(const NzbFile&) const = default;
};

struct NzbDocument {
  // The head's meta elements in order: type, value.
  std::vector<std::pair<std::string, std::string>> meta;
  std::vector<NzbFile> files;

  // Duplicate segments left out over all files.
  std::int32_t DuplicateSegments() const;
  bool operator==(const NzbDocument&) const = default;
};

// What reading an NZB text found. After an error the document holds what
// was read before it.
struct NzbParse {
  NzbDocument document;
  std::string error;  // "line 7: mismatched tag"; empty when none
  int errorLine = 0;  // 1-based

  bool ok() const { return error.empty(); }
};

// Reads an NZB text given in pieces of any size.
class NzbReader {
 public:
  NzbReader();
  ~NzbReader();
  NzbReader(const NzbReader&) = delete;
  NzbReader& operator=(const NzbReader&) = delete;

  // False once the text is known to be bad (the rest is then ignored).
  bool Feed(std::string_view bytes);
  // Ends the text and gives the result; the reader is spent.
  NzbParse Finish();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

NzbParse ParseNzb(std::string_view text);

// The document as an NZB text (UTF-8). Bytes of a string that are not UTF-8
// are read as Windows-1252, and characters XML cannot hold become U+FFFD, so
// the text is always well-formed.
std::string WriteNzb(const NzbDocument& document);

}  // namespace orvel
