#pragma once
// A whole file's bytes, mapped read-only (no copy, no zeroing of a buffer),
// or read into memory where mapping is not possible. Our files are replaced
// by renaming, never truncated in place, so a mapping stays valid.

#include <string>
#include <string_view>

namespace orvel {

class MappedFile {
 public:
  MappedFile() = default;
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  // False when the path is not a readable regular file.
  bool open(const std::string& path);
  std::string_view bytes() const { return bytes_; }

 private:
  void* map_ = nullptr;
  std::size_t mapSize_ = 0;
  std::string copy_;
  std::string_view bytes_;
};

}  // namespace orvel
