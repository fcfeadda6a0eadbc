#pragma once
// Reads an attachment in small steps straight from disk through a buffer of
// its own, so a file larger than memory can be posted. The file must still
// be the one composed: gone, shorter or longer than its recorded size is an
// error, in words.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "posting/post_job.h"

namespace orvel {

class PostFileReader {
 public:
  PostFileReader();
  ~PostFileReader();
  PostFileReader(const PostFileReader&) = delete;
  PostFileReader& operator=(const PostFileReader&) = delete;

  // Opens the file at its start; false when it cannot be read or its size
  // is not the recorded one.
  bool Open(const PostFile& file, std::string& error);
  void Close();

  // Up to n bytes at the current position (fewer only at the end of the
  // file), valid until the next call; the position does not move. Empty
  // with error set when the file could not be read or changed size.
  std::string_view Peek(std::size_t n, std::string& error);
  void Advance(std::size_t n) {
    start_ += n;
    position_ += n;
  }
  // At the end of the file: false when it has grown past its recorded size.
  bool CheckEnd(std::string& error);
  std::uint64_t Position() const { return position_; }
  bool AtEnd() const { return position_ >= size_; }

 private:
  bool refill(std::size_t wanted, std::string& error);

  struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  std::unique_ptr<std::FILE, Closer> file_;
  std::string path_;
  std::uint64_t size_ = 0;
  std::uint64_t position_ = 0;  // of the byte at start_
  std::uint64_t read_ = 0;      // bytes read from the file so far
  std::vector<unsigned char> buffer_;
  std::size_t start_ = 0, end_ = 0;  // unread bytes in buffer_
};

}  // namespace orvel
