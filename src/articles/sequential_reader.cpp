#include "articles/sequential_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace orvel::store_io {

// An empty buffer could never grow: it holds a byte at least.
SequentialReader::SequentialReader(std::size_t bufferSize)
    : buffer_(std::make_unique_for_overwrite<char[]>(std::max<std::size_t>(bufferSize, 1))),
      capacity_(std::max<std::size_t>(bufferSize, 1)) {}

SequentialReader::~SequentialReader() {
  if (fd_ >= 0) ::close(fd_);
}

bool SequentialReader::open(const std::string& path) {
  if (fd_ >= 0) ::close(fd_);
  begin_ = end_ = 0;
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) return false;
  struct stat st {};
  unread_ = ::fstat(fd_, &st) == 0 && st.st_size > 0 ? static_cast<std::size_t>(st.st_size) : 0;
  ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
  fill();
  return true;
}

bool SequentialReader::refill(std::size_t consumed) {
  begin_ += std::min(consumed, end_ - begin_);
  const std::size_t kept = end_ - begin_;
  if (unread_ == 0) return false;
  if (kept == capacity_) {
    // One piece fills the buffer: room for more of it.
    const std::size_t larger = kept + std::min(capacity_, unread_);
    auto grown = std::make_unique_for_overwrite<char[]>(larger);
    std::memcpy(grown.get(), buffer_.get() + begin_, kept);
    buffer_ = std::move(grown);
    capacity_ = larger;
  } else if (begin_ > 0) {
    std::memmove(buffer_.get(), buffer_.get() + begin_, kept);
  }
  begin_ = 0;
  end_ = kept;
  return fill();
}

// Reads until the buffer is full or the file ends; true when any byte came.
bool SequentialReader::fill() {
  const std::size_t before = end_;
  while (fd_ >= 0 && end_ < capacity_) {
    const ssize_t n = ::read(fd_, buffer_.get() + end_, capacity_ - end_);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    end_ += static_cast<std::size_t>(n);
    unread_ -= std::min(unread_, static_cast<std::size_t>(n));
  }
  return end_ > before;
}

}  // namespace orvel::store_io
