#pragma once
// The smart decoder's resume record: the state of a multi-part file whose
// decoding broke off, so a later batch that reaches the recorded part can
// reopen the file and go on. One record at a time, under the name "Resume".

#include <optional>
#include <string>

#include "content/mime.h"

namespace orvel {

class ResumeStore {
 public:
  virtual ~ResumeStore() = default;
  virtual std::optional<DecoderState> load() = 0;
  virtual void save(const DecoderState& state) = 0;
  virtual void clear() = 0;
};

// The record as text: a "[Resume]" section of key=value lines ("Dat" the
// directory, "File", "LastSize", "Part", "MIME" flags, "Boundary<n>", ...).
std::string FormatResumeRecord(const DecoderState& state);
// Reads FormatResumeRecord's text; nothing when the file name or the size
// is missing or unreadable.
std::optional<DecoderState> ParseResumeRecord(std::string_view text);

// A record kept in one file (written to a temporary file and renamed).
class FileResumeStore : public ResumeStore {
 public:
  explicit FileResumeStore(std::string path) : path_(std::move(path)) {}
  std::optional<DecoderState> load() override;
  void save(const DecoderState& state) override;
  void clear() override;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// The name a broken-off file takes: name + "__error_part_" + part, or
// name + "__error" without a part number.
std::string BrokenPartName(std::string_view name, std::int64_t part);

}  // namespace orvel
