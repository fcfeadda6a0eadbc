#include "articles/store_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace orvel::store_io {

namespace {

bool writeFully(int fd, std::string_view s) {
  while (!s.empty()) {
    const ssize_t n = ::write(fd, s.data(), s.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    s.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

bool pwriteFully(int fd, std::int64_t offset, std::string_view s) {
  while (!s.empty()) {
    const ssize_t n = ::pwrite(fd, s.data(), s.size(), offset);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    s.remove_prefix(static_cast<std::size_t>(n));
    offset += n;
  }
  return true;
}

}  // namespace

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::int64_t FileSize(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return -1;
  return st.st_size;
}

bool RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

FileReader::~FileReader() {
  if (fd_ >= 0) ::close(fd_);
}

bool FileReader::open(const std::string& path) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  return fd_ >= 0;
}

bool FileReader::readAt(std::int64_t offset, std::size_t limit, std::string& out) const {
  out.clear();
  if (fd_ < 0 || offset < 0) return false;
  out.resize(limit);
  std::size_t got = 0;
  bool ok = true;
  while (got < limit) {
    const ssize_t n =
        ::pread(fd_, out.data() + got, limit - got, offset + static_cast<std::int64_t>(got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  out.resize(got);
  return ok;
}

bool ReadAt(const std::string& path, std::int64_t offset, std::size_t limit, std::string& out) {
  FileReader reader;
  if (!reader.open(path)) {
    out.clear();
    return false;
  }
  return reader.readAt(offset, limit, out);
}

bool WriteAt(const std::string& path, std::int64_t offset, std::string_view bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = pwriteFully(fd, offset, bytes);
  return ::close(fd) == 0 && ok;
}

bool ReadFile(const std::string& path, std::string& out) {
  const std::int64_t size = FileSize(path);
  if (size < 0) return false;
  return ReadAt(path, 0, static_cast<std::size_t>(size), out);
}

bool Truncate(const std::string& path, std::int64_t size) {
  return size >= 0 && ::truncate(path.c_str(), size) == 0;
}

Writer::~Writer() { abandon(); }

bool Writer::openReplacing(const std::string& path) {
  target_ = path;
  temp_ = path + ".tmpXXXXXX";
  fd_ = ::mkstemp(temp_.data());
  writeBackFrom_ = 0;
  ok_ = fd_ >= 0;
  if (!ok_) temp_.clear();
  return ok_;
}

bool Writer::openAppending(const std::string& path) {
  target_ = path;
  temp_.clear();
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  ok_ = fd_ >= 0;
  if (ok_) {
    struct stat st {};
    ok_ = ::fstat(fd_, &st) == 0;
    written_ = st.st_size;
  }
  return ok_;
}

void Writer::writeOut(std::string_view s) {
  if (!ok_ || fd_ < 0) {
    ok_ = false;
    return;
  }
  ok_ = writeFully(fd_, s);
  written_ += static_cast<std::int64_t>(s.size());
  startWriteBack();
}

// A replacement's written bytes start going to the disk every few megabytes,
// while the rest is encoded, so that the sync at the commit finds little
// left to wait for (a large header store took 0.2 s there).
void Writer::startWriteBack() {
#if defined(__linux__)
  constexpr std::int64_t kStep = 8 << 20;
  if (temp_.empty() || !ok_ || written_ - writeBackFrom_ < kStep) return;
  ::sync_file_range(fd_, writeBackFrom_, written_ - writeBackFrom_, SYNC_FILE_RANGE_WRITE);
  writeBackFrom_ = written_;
#endif
}

void Writer::flush() {
  if (used_ == 0) return;
  writeOut(std::string_view(buffer_.get(), used_));
  used_ = 0;
}

void Writer::patch(std::int64_t offset, std::string_view s) {
  flush();
  if (ok_ && fd_ >= 0) ok_ = pwriteFully(fd_, offset, s);
}

bool Writer::commit() {
  flush();
  if (fd_ < 0) return false;
  // A replacement is made durable before it takes the old file's name; an
  // append is not synced: a reader stops at a torn last entry, and syncing
  // every article of a batch costs milliseconds each.
  bool ok = ok_ && (temp_.empty() || ::fsync(fd_) == 0);
  ok = ::close(fd_) == 0 && ok;
  fd_ = -1;
  if (!temp_.empty()) {
    if (ok) {
      struct stat old {};
      ::chmod(temp_.c_str(), ::stat(target_.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644);
      ok = ::rename(temp_.c_str(), target_.c_str()) == 0;
    }
    if (!ok) ::unlink(temp_.c_str());
    temp_.clear();
  }
  ok_ = ok;
  return ok;
}

void Writer::abandon() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temp_.empty()) ::unlink(temp_.c_str());
  temp_.clear();
}

std::string Int32Bytes(std::int32_t v) {
  std::string b(4, '\0');
  const auto u = static_cast<std::uint32_t>(v);
  for (int k = 0; k < 4; ++k) b[static_cast<std::size_t>(k)] = static_cast<char>((u >> (8 * k)) & 0xFF);
  return b;
}

}  // namespace orvel::store_io
