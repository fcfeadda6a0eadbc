#pragma once
// Strings of the article records. A PooledString is one pointer to a
// length-prefixed text kept elsewhere (a StringPool, or a thread node's own
// buffer); records stay small and copying a record's string is free.
//
// A StringPool is an append-only arena in large chunks. Intern() keeps one
// copy of equal texts (authors, subjects and References repeat across a
// group), Store() always copies. Nothing is freed before the pool itself, so
// a pool lives as long as the records that point into it.

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace orvel {

class PooledString {
 public:
  PooledString() = default;

  std::string_view view() const {
    if (!p_) return {};
    const auto first = static_cast<unsigned char>(p_[0]);
    if (first < kLongMark) return {p_ + 1, first};
    std::uint32_t n;
    std::memcpy(&n, p_ + 1, 4);
    return {p_ + 5, n};
  }
  operator std::string_view() const { return view(); }
  std::string str() const { return std::string(view()); }
  bool empty() const { return !p_; }
  std::size_t size() const { return view().size(); }

  friend bool operator==(const PooledString& a, std::string_view b) { return a.view() == b; }
  friend bool operator==(const PooledString& a, const PooledString& b) {
    return a.p_ == b.p_ || a.view() == b.view();
  }

  // Bytes needed to hold text with its prefix, and the writer of that form.
  static std::size_t encodedSize(std::size_t n) { return n + (n < kLongMark ? 1 : 5); }
  static PooledString encode(char* at, std::string_view text);

 private:
  static constexpr unsigned kLongMark = 255;
  explicit PooledString(const char* p) : p_(p) {}
  const char* p_ = nullptr;
};

// A text with its own storage, for strings that are not in a pool (a thread
// node's multi-part key).
class OwnedString {
 public:
  OwnedString() = default;
  explicit OwnedString(std::string_view text) { assign(text); }
  void assign(std::string_view text);
  PooledString get() const { return value_; }

 private:
  std::unique_ptr<char[]> buffer_;
  PooledString value_;
};

class StringPool {
 public:
  StringPool() = default;
  StringPool(const StringPool&) = delete;
  StringPool& operator=(const StringPool&) = delete;

  PooledString Store(std::string_view text);
  PooledString Intern(std::string_view text);

  // Bytes held in chunks and in the intern table.
  std::size_t MemoryUsed() const;
  void Clear();

 private:
  char* allocate(std::size_t n);
  void growTable();

  std::vector<std::unique_ptr<char[]>> chunks_;
  char* cursor_ = nullptr;
  std::size_t left_ = 0;
  std::size_t chunkBytes_ = 0;
  // Open addressing over interned strings, with each slot's hash beside it.
  std::vector<PooledString> slots_;
  std::vector<std::uint32_t> hashes_;
  std::size_t interned_ = 0;
};

// A fast 64-bit hash of a text (multiply and fold, eight bytes at a time).
std::uint64_t TextHash(std::string_view text);

}  // namespace orvel
