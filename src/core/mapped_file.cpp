#include "core/mapped_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace orvel {

namespace {

// The fallback: the file read to its end through the descriptor.
bool readAll(int fd, std::string& out) {
  char buffer[1 << 16];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n == 0) return true;
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    out.append(buffer, static_cast<std::size_t>(n));
  }
}

}  // namespace

MappedFile::~MappedFile() {
  if (map_) ::munmap(map_, mapSize_);
}

bool MappedFile::open(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  if (ok && st.st_size > 0) {
#if defined(MAP_POPULATE)
    // Loading reads every page: mapping them all at once saves a fault each.
    constexpr int kFlags = MAP_PRIVATE | MAP_POPULATE;
#else
    constexpr int kFlags = MAP_PRIVATE;
#endif
    void* map = ::mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ, kFlags, fd, 0);
    if (map != MAP_FAILED) {
      map_ = map;
      mapSize_ = static_cast<std::size_t>(st.st_size);
      ::madvise(map_, mapSize_, MADV_SEQUENTIAL);
      bytes_ = std::string_view(static_cast<const char*>(map_), mapSize_);
    } else {
      ok = readAll(fd, copy_);
      bytes_ = copy_;
    }
  }
  ::close(fd);
  return ok;
}

}  // namespace orvel
