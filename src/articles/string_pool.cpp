#include "articles/string_pool.h"

#include <algorithm>

namespace orvel {

namespace {

constexpr std::size_t kChunkSize = 1 << 20;
constexpr std::uint64_t kMul = 0x9E3779B97F4A7C15ull;

}  // namespace

std::uint64_t TextHash(std::string_view text) {
  std::uint64_t h = kMul ^ text.size();
  const char* p = text.data();
  std::size_t n = text.size();
  while (n >= 8) {
    std::uint64_t k;
    std::memcpy(&k, p, 8);
    h = (h ^ k) * kMul;
    h ^= h >> 29;
    p += 8;
    n -= 8;
  }
  if (n) {
    std::uint64_t k = 0;
    std::memcpy(&k, p, n);
    h = (h ^ k) * kMul;
    h ^= h >> 29;
  }
  return h * kMul ^ (h >> 32);
}

PooledString PooledString::encode(char* at, std::string_view text) {
  if (text.size() < kLongMark) {
    at[0] = static_cast<char>(text.size());
    std::memcpy(at + 1, text.data(), text.size());
  } else {
    at[0] = static_cast<char>(kLongMark);
    const auto n = static_cast<std::uint32_t>(text.size());
    std::memcpy(at + 1, &n, 4);
    std::memcpy(at + 5, text.data(), text.size());
  }
  return PooledString(at);
}

void OwnedString::assign(std::string_view text) {
  if (text.empty()) {
    buffer_.reset();
    value_ = PooledString();
    return;
  }
  buffer_ = std::make_unique<char[]>(PooledString::encodedSize(text.size()));
  value_ = PooledString::encode(buffer_.get(), text);
}

char* StringPool::allocate(std::size_t n) {
  if (n > left_) {
    const std::size_t size = std::max(n, kChunkSize);
    chunks_.push_back(std::make_unique_for_overwrite<char[]>(size));
    chunkBytes_ += size;
    cursor_ = chunks_.back().get();
    left_ = size;
  }
  char* at = cursor_;
  cursor_ += n;
  left_ -= n;
  return at;
}

PooledString StringPool::Store(std::string_view text) {
  if (text.empty()) return {};
  return PooledString::encode(allocate(PooledString::encodedSize(text.size())), text);
}

PooledString StringPool::Intern(std::string_view text) {
  if (text.empty()) return {};
  if ((interned_ + 1) * 4 > slots_.size() * 3) growTable();
  const auto h = static_cast<std::uint32_t>(TextHash(text));
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = h & mask;; i = (i + 1) & mask) {
    if (slots_[i].empty()) {
      slots_[i] = Store(text);
      hashes_[i] = h;
      ++interned_;
      return slots_[i];
    }
    if (hashes_[i] == h && slots_[i].view() == text) return slots_[i];
  }
}

void StringPool::growTable() {
  const std::size_t size = slots_.empty() ? 1024 : slots_.size() * 2;
  std::vector<PooledString> slots(size);
  std::vector<std::uint32_t> hashes(size);
  for (std::size_t k = 0; k < slots_.size(); ++k) {
    if (slots_[k].empty()) continue;
    for (std::size_t i = hashes_[k] & (size - 1);; i = (i + 1) & (size - 1)) {
      if (slots[i].empty()) {
        slots[i] = slots_[k];
        hashes[i] = hashes_[k];
        break;
      }
    }
  }
  slots_ = std::move(slots);
  hashes_ = std::move(hashes);
}

std::size_t StringPool::MemoryUsed() const {
  return chunkBytes_ + slots_.capacity() * sizeof(PooledString) +
         hashes_.capacity() * sizeof(std::uint32_t);
}

void StringPool::Clear() {
  chunks_.clear();
  cursor_ = nullptr;
  left_ = chunkBytes_ = 0;
  slots_.clear();
  hashes_.clear();
  interned_ = 0;
}

}  // namespace orvel
