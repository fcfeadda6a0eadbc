#include "content/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

namespace orvel {

namespace {

// Read and write for everyone the umask allows, never execute.
constexpr mode_t kFileMode = 0666;

}  // namespace

OutputFile::~OutputFile() {
  if (fd_ < 0) return;
  try {
    flush();
  } catch (const EDecodeOutput&) {
    // A destructor cannot report; close() is the place that does.
  }
  ::close(fd_);
}

OutputFile::OutputFile(OutputFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      path_(std::move(other.path_)),
      buffer_(std::move(other.buffer_)),
      used_(std::exchange(other.used_, 0)),
      bufferStart_(std::exchange(other.bufferStart_, 0)) {}

OutputFile& OutputFile::operator=(OutputFile&& other) noexcept {
  if (this != &other) {
    OutputFile old(std::move(*this));
    fd_ = std::exchange(other.fd_, -1);
    path_ = std::move(other.path_);
    buffer_ = std::move(other.buffer_);
    used_ = std::exchange(other.used_, 0);
    bufferStart_ = std::exchange(other.bufferStart_, 0);
  }
  return *this;
}

void OutputFile::fail(std::string_view what) const {
  throw EDecodeOutput(std::string(what) + " " + path_ + ": " + std::strerror(errno));
}

bool OutputFile::create(const std::string& path, CreateMode mode) {
  close();
  path_ = path;
  int flags = O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW;
  flags |= mode == CreateMode::Exclusive ? O_EXCL : O_TRUNC;
  fd_ = ::open(path.c_str(), flags, kFileMode);
  if (fd_ < 0) {
    if (mode == CreateMode::Exclusive && errno == EEXIST) return false;
    fail("Cannot create");
  }
  startBuffer(0);
  return true;
}

void OutputFile::failResume() {
  const int saved = errno;
  ::close(std::exchange(fd_, -1));
  errno = saved;
  fail("Cannot resume");
}

void OutputFile::openExisting(const std::string& path) {
  close();
  path_ = path;
  fd_ = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd_ < 0) fail("Cannot open");
  startBuffer(0);
}

void OutputFile::startBuffer(std::int64_t start) {
  if (!buffer_) buffer_ = std::make_unique_for_overwrite<char[]>(kBufferSize);
  used_ = 0;
  bufferStart_ = start;
}

void OutputFile::reopenAt(const std::string& path, std::int64_t size) {
  openExisting(path);
  if (::ftruncate(fd_, size) != 0) failResume();
  bufferStart_ = size;
}

void OutputFile::reopenWithin(const std::string& path, std::int64_t limit) {
  openExisting(path);
  struct stat st;
  if (::fstat(fd_, &st) != 0 || (st.st_size > limit && ::ftruncate(fd_, limit) != 0)) {
    failResume();
  }
}

void OutputFile::seek(std::int64_t offset) {
  flush();
  bufferStart_ = offset;
}

char* OutputFile::reserve(std::size_t n) {
  if (used_ + n > kBufferSize) flush();
  return buffer_.get() + used_;
}

void OutputFile::write(const char* data, std::size_t n) {
  while (n > 0) {
    if (used_ == kBufferSize) flush();
    const std::size_t chunk = std::min(n, kBufferSize - used_);
    std::memcpy(buffer_.get() + used_, data, chunk);
    used_ += chunk;
    data += chunk;
    n -= chunk;
  }
}

void OutputFile::flush() {
  std::size_t done = 0;
  while (done < used_) {
    const ssize_t written = ::pwrite(fd_, buffer_.get() + done, used_ - done,
                                     static_cast<off_t>(bufferStart_ + static_cast<std::int64_t>(done)));
    if (written < 0) {
      if (errno == EINTR) continue;
      fail("Cannot write");
    }
    done += static_cast<std::size_t>(written);
  }
  bufferStart_ += static_cast<std::int64_t>(used_);
  used_ = 0;
}

void OutputFile::close() {
  if (fd_ < 0) return;
  try {
    flush();
  } catch (...) {
    ::close(std::exchange(fd_, -1));
    throw;
  }
  if (::close(std::exchange(fd_, -1)) != 0) fail("Cannot close");
}

}  // namespace orvel
