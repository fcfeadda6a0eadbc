#pragma once
// The smart decoder's resume records: the state of each multi-part file
// whose decoding broke off or that waits for missing parts, so a later
// batch can reopen the file and go on. A sequential file (uuencode, MIME
// message/partial) goes on from the recorded part; a yEnc file written at
// offsets keeps the parts it holds (number, byte range, CRC) and goes on
// with any missing part, in any order.
//
// The records are "[Resume]" sections of key=value lines ("Dat" the
// directory, "File", "LastSize", "Part", "MIME" flags, "Boundary<n>",
// "YParts" the held parts of a yEnc file, ...). A record written before
// yEnc parts were placed by offsets has no "YParts": its file holds the
// first LastSize bytes, parts 1 to Part - 1 in order, which is what the
// decoder of that time wrote, and it is read that way.

#include <optional>
#include <string>
#include <vector>

#include "content/mime.h"

namespace orvel {

// Records kept at most; the oldest go first.
inline constexpr std::size_t kMaxResumeRecords = 64;

class ResumeStore {
 public:
  virtual ~ResumeStore() = default;
  // Every record kept, oldest first.
  virtual std::vector<DecoderState> load() = 0;
  // Keeps exactly these records.
  virtual void save(const std::vector<DecoderState>& records) = 0;
};

// The records as text, one "[Resume]" section each.
std::string FormatResumeRecords(const std::vector<DecoderState>& records);
// Reads FormatResumeRecords' text. A record without a file name or size,
// or with an unreadable one, is left out; lines before any section belong
// to the first record.
std::vector<DecoderState> ParseResumeRecords(std::string_view text);

// Records kept in one file (written to a temporary file and renamed;
// removed when none is left).
class FileResumeStore : public ResumeStore {
 public:
  explicit FileResumeStore(std::string path) : path_(std::move(path)) {}
  std::vector<DecoderState> load() override;
  void save(const std::vector<DecoderState>& records) override;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// The name a broken-off file takes: name + "__error_part_" + part, or
// name + "__error" without a part number.
std::string BrokenPartName(std::string_view name, std::int64_t part);

}  // namespace orvel
