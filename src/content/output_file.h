#pragma once
// The file a decoder writes into: created inside its directory without an
// execute bit and without following a link at the final name, written
// through a buffer of 1 MiB at a write position that seek moves (the parts
// of a yEnc file go to their offsets): few, large positioned writes. Errors raise EDecodeOutput
// with the path and the system's reason.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace orvel {

class EDecodeOutput : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class CreateMode {
  Exclusive,  // fail when the name exists (the caller picks another name)
  Overwrite,  // empty an existing file of that name
};

class OutputFile {
 public:
  static constexpr std::size_t kBufferSize = 1 << 20;

  OutputFile() = default;
  ~OutputFile();
  OutputFile(OutputFile&& other) noexcept;
  OutputFile& operator=(OutputFile&& other) noexcept;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Creates path; with Exclusive returns false (no error) when it exists.
  bool create(const std::string& path, CreateMode mode);
  // Opens an existing file, cuts it to size bytes and writes from there.
  void reopenAt(const std::string& path, std::int64_t size);
  // Opens an existing file to write into it at offsets: nothing is cut but
  // what lies beyond limit, and the position is 0.
  void reopenWithin(const std::string& path, std::int64_t limit);

  bool isOpen() const { return fd_ >= 0; }
  const std::string& path() const { return path_; }
  // Where the next byte goes, buffered bytes included: for a file written
  // from its start, the bytes written so far.
  std::int64_t position() const { return bufferStart_ + static_cast<std::int64_t>(used_); }
  // Writes what is buffered and moves the write position.
  void seek(std::int64_t offset);

  // Room for n more bytes (n <= kBufferSize) at the end of the buffer; commit
  // says how many of them were filled.
  char* reserve(std::size_t n);
  void commit(std::size_t n) { used_ += n; }
  void write(const char* data, std::size_t n);
  void flush();
  // Flushes and closes; a no-op when not open.
  void close();

 private:
  [[noreturn]] void fail(std::string_view what) const;
  // Closes the file and fails with the error that stopped a resumption.
  [[noreturn]] void failResume();
  void openExisting(const std::string& path);
  // Allocates the buffer on first use, left uninitialised, and empties it.
  void startBuffer(std::int64_t start);

  int fd_ = -1;
  std::string path_;
  std::unique_ptr<char[]> buffer_;
  std::size_t used_ = 0;
  std::int64_t bufferStart_ = 0;  // the file offset of the buffer's first byte
};

}  // namespace orvel
