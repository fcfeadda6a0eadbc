#pragma once
// Reads a file front to back through a buffer of bounded size, so that a
// store of gigabytes is never resident whole while it is loaded: window()
// holds the bytes read and not yet consumed, and refill() keeps those past
// what was consumed and reads on after them. A piece larger than the buffer
// (one huge record) grows the buffer, never past what the file still holds:
// a damaged length field costs at most the file's size.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace orvel::store_io {

class SequentialReader {
 public:
  explicit SequentialReader(std::size_t bufferSize);
  ~SequentialReader();
  SequentialReader(const SequentialReader&) = delete;
  SequentialReader& operator=(const SequentialReader&) = delete;

  // Opens the file and reads its first buffer; false when it cannot be opened.
  bool open(const std::string& path);
  std::string_view window() const { return {buffer_.get() + begin_, end_ - begin_}; }
  // Drops the window's first consumed bytes and reads more behind the rest.
  // False when nothing more could be read (the file's end, or an error).
  bool refill(std::size_t consumed);
  std::size_t capacity() const { return capacity_; }

 private:
  bool fill();

  int fd_ = -1;
  std::unique_ptr<char[]> buffer_;
  std::size_t capacity_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  std::size_t unread_ = 0;  // bytes of the file not yet read
};

}  // namespace orvel::store_io
