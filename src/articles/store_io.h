#pragma once
// File access for the header and body stores: little-endian numbers and
// counted strings, a bounds-checked reader over a file's bytes, a buffered
// writer that either replaces a file through a temporary one (crash-safe) or
// appends to it, and small file helpers.

#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace orvel::store_io {

bool FileExists(const std::string& path);
// Size in bytes, or -1 when the file cannot be examined.
std::int64_t FileSize(const std::string& path);
bool RemoveFile(const std::string& path);
// Reads at most limit bytes from offset; false on an I/O error.
bool ReadAt(const std::string& path, std::int64_t offset, std::size_t limit, std::string& out);
// Writes bytes at offset of an existing file.
bool WriteAt(const std::string& path, std::int64_t offset, std::string_view bytes);
bool ReadFile(const std::string& path, std::string& out);
// Cuts a file back to size bytes (undoing an append that failed).
bool Truncate(const std::string& path, std::int64_t size);

// Reads pieces of one file by offset.
class FileReader {
 public:
  FileReader() = default;
  ~FileReader();
  FileReader(const FileReader&) = delete;
  FileReader& operator=(const FileReader&) = delete;
  bool open(const std::string& path);
  // At most limit bytes from offset (fewer at the end of the file).
  bool readAt(std::int64_t offset, std::size_t limit, std::string& out) const;

 private:
  int fd_ = -1;
};

inline std::uint32_t byteswap32(std::uint32_t v) {
  return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
}
inline std::uint64_t byteswap64(std::uint64_t v) {
  return (static_cast<std::uint64_t>(byteswap32(static_cast<std::uint32_t>(v))) << 32) |
         byteswap32(static_cast<std::uint32_t>(v >> 32));
}

// Reads numbers and counted strings; every read checks the bytes left, and a
// failed read leaves the reader failed. Running out of bytes is told apart
// from a damaged length, for a reader over part of a file.
class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes_(bytes) {}
  bool ok() const { return ok_; }
  // Failed by a read past the end of the bytes.
  bool shortOfBytes() const { return short_; }
  std::size_t pos() const { return pos_; }
  std::size_t left() const { return bytes_.size() - pos_; }
  void seek(std::size_t pos) { pos_ = pos <= bytes_.size() ? pos : bytes_.size(); }

  std::int32_t i32() {
    if (!need(4)) return 0;
    std::uint32_t v;
    std::memcpy(&v, bytes_.data() + pos_, 4);
    pos_ += 4;
    if constexpr (std::endian::native == std::endian::big) v = byteswap32(v);
    return static_cast<std::int32_t>(v);
  }
  double f64() {
    if (!need(8)) return 0;
    std::uint64_t v;
    std::memcpy(&v, bytes_.data() + pos_, 8);
    pos_ += 8;
    if constexpr (std::endian::native == std::endian::big) v = byteswap64(v);
    double d;
    std::memcpy(&d, &v, 8);
    return d;
  }
  // A 32-bit length, then that many bytes; a negative length or one past the
  // end fails the reader.
  std::string_view str() {
    const std::int32_t n = i32();
    if (!ok_ || n < 0 || !need(static_cast<std::size_t>(n))) {
      ok_ = false;
      return {};
    }
    const std::string_view s = bytes_.substr(pos_, static_cast<std::size_t>(n));
    pos_ += static_cast<std::size_t>(n);
    return s;
  }
  std::int64_t i64() {
    const auto low = static_cast<std::uint32_t>(i32());
    const auto high = static_cast<std::uint32_t>(i32());
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(high) << 32) | low);
  }
  // Seven bits a byte, low bits first, the top bit set on all but the last.
  std::uint64_t varint() {
    std::uint64_t v = 0;
    for (unsigned shift = 0; shift < 64; shift += 7) {
      if (!need(1)) return 0;
      const auto byte = static_cast<std::uint8_t>(bytes_[pos_++]);
      v |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
      if (byte < 0x80) return v;
    }
    ok_ = false;
    return 0;
  }
  // A hint that the bytes n ahead are read soon. A mapped file's pages are
  // small, and the processor's own prefetch stops at each page's end.
  void prefetch(std::size_t n) const {
    if (n < left()) __builtin_prefetch(bytes_.data() + pos_ + n);
  }
  void skip(std::size_t n) {
    if (need(n)) pos_ += n;
  }

 private:
  bool need(std::size_t n) {
    if (ok_ && left() < n) short_ = true;
    if (!ok_ || left() < n) ok_ = false;
    return ok_;
  }
  std::string_view bytes_;
  std::size_t pos_ = 0;
  bool ok_ = true;
  bool short_ = false;
};

// Buffered writing of a whole new file (to a temporary file renamed over the
// target by commit) or of an append to an existing one.
class Writer {
 public:
  Writer() = default;
  ~Writer();
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;

  bool openReplacing(const std::string& path);
  // Appends at the end (creating the file); position() starts at its size.
  bool openAppending(const std::string& path);
  std::int64_t position() const { return written_ + static_cast<std::int64_t>(used_); }

  void i32(std::int32_t v) {
    auto u = static_cast<std::uint32_t>(v);
    if constexpr (std::endian::native == std::endian::big) u = byteswap32(u);
    put(&u, 4);
  }
  void i64(std::int64_t v) {
    const auto u = static_cast<std::uint64_t>(v);
    i32(static_cast<std::int32_t>(static_cast<std::uint32_t>(u)));
    i32(static_cast<std::int32_t>(static_cast<std::uint32_t>(u >> 32)));
  }
  void varint(std::uint64_t v) {
    char b[10];
    std::size_t n = 0;
    for (; v >= 0x80; v >>= 7) b[n++] = static_cast<char>((v & 0x7F) | 0x80);
    b[n++] = static_cast<char>(v);
    put(b, n);
  }
  void f64(double d) {
    std::uint64_t u;
    std::memcpy(&u, &d, 8);
    if constexpr (std::endian::native == std::endian::big) u = byteswap64(u);
    put(&u, 8);
  }
  void str(std::string_view s) {
    i32(static_cast<std::int32_t>(s.size()));
    bytes(s);
  }
  void bytes(std::string_view s) {
    if (s.size() > kBufferSize) {
      flush();
      writeOut(s);
    } else {
      put(s.data(), s.size());
    }
  }
  // Overwrites bytes already written (flushing first).
  void patch(std::int64_t offset, std::string_view s);
  // Flushes and, for a replacement, makes the data durable and renames the
  // temporary file over the target. False when anything failed.
  bool commit();
  // Drops a replacement's temporary file.
  void abandon();
  bool ok() const { return ok_; }

 private:
  static constexpr std::size_t kBufferSize = 1 << 20;
  void put(const void* p, std::size_t n) {
    if (n == 0) return;  // an empty text's data pointer may be null
    if (!buffer_) buffer_ = std::make_unique_for_overwrite<char[]>(kBufferSize);
    if (used_ + n > kBufferSize) flush();
    std::memcpy(buffer_.get() + used_, p, n);
    used_ += n;
  }
  void flush();
  void writeOut(std::string_view s);
  void startWriteBack();

  int fd_ = -1;
  std::string target_;
  std::string temp_;
  std::unique_ptr<char[]> buffer_;
  std::size_t used_ = 0;
  std::int64_t written_ = 0;
  std::int64_t writeBackFrom_ = 0;  // where the next write-back starts
  bool ok_ = true;
};

std::string Int32Bytes(std::int32_t v);

}  // namespace orvel::store_io
