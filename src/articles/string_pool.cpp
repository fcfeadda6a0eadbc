#include "articles/string_pool.h"

#include <algorithm>
#include <new>

namespace orvel {

namespace {

// Chunks start small and double up to 4 MB.
constexpr std::size_t kFirstChunkSize = 16 << 10;
constexpr std::size_t kLargestChunkSize = 4 << 20;
constexpr std::uint64_t kMul = 0x9E3779B97F4A7C15ull;

}  // namespace

namespace {

std::uint64_t load8(const char* p) {
  std::uint64_t k;
  std::memcpy(&k, p, 8);
  return k;
}

std::uint64_t mix(std::uint64_t h, std::uint64_t k) {
  h = (h ^ k) * kMul;
  return h ^ (h >> 29);
}

}  // namespace

// Two lanes of sixteen bytes a step, so that their multiplications overlap;
// the last bytes are read as the eight that end the text (overlapping what
// came before) rather than byte by byte.
std::uint64_t TextHash(std::string_view text) {
  const char* p = text.data();
  std::size_t n = text.size();
  std::uint64_t h = kMul ^ n;
  if (n < 8) {
    std::uint64_t k = 0;
    if (n) std::memcpy(&k, p, n);
    h = mix(h, k);
    return h * kMul ^ (h >> 32);
  }
  const char* last = p + n - 8;
  std::uint64_t g = ~kMul;
  while (n > 16) {
    h = mix(h, load8(p));
    g = mix(g, load8(p + 8));
    p += 16;
    n -= 16;
  }
  if (n > 8) h = mix(h, load8(p));
  g = mix(g, load8(last));
  h = mix(h, g);
  return h * kMul ^ (h >> 32);
}

void StringPool::Arena::ChunkDeleter::operator()(char* chunk) const { FreeArenaBlock(chunk, bytes); }

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

char* StringPool::Arena::allocate(std::size_t n, std::size_t align) {
  const std::size_t pad = (align - reinterpret_cast<std::uintptr_t>(cursor_) % align) % align;
  if (n + pad > left_) {
    nextChunk_ = nextChunk_ == 0 ? kFirstChunkSize : std::min(2 * nextChunk_, kLargestChunkSize);
    const std::size_t size = std::max(n, nextChunk_);
    chunks_.emplace_back(blocks_.take(size, chunkBytes_), ChunkDeleter{size});
    chunkBytes_ += size;
    cursor_ = chunks_.back().get();
    left_ = size;
  } else {
    cursor_ += pad;
    left_ -= pad;
  }
  char* at = cursor_;
  cursor_ += n;
  left_ -= n;
  return at;
}

PooledString StringPool::storeIn(Arena& arena, std::string_view text) {
  if (text.empty()) return {};
  return PooledString::encode(arena.allocate(PooledString::encodedSize(text.size()), 1), text);
}

PooledString StringPool::Store(std::string_view text) { return lastStored_ = storeIn(texts_, text); }

const TAuthor* StringPool::InternAuthor(std::string_view name, std::string_view address) {
  if (name.empty() && address.empty()) return nullptr;
  if ((interned_ + 1) * 4 > slots_.size() * 3) growTable();
  const auto h = static_cast<std::uint32_t>(TextHash(name) * 31 + TextHash(address));
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = h & mask;; i = (i + 1) & mask) {
    if (!slots_[i]) {
      auto* author = new (authors_.allocate(sizeof(TAuthor), alignof(TAuthor)))
          TAuthor{storeIn(authors_, name), storeIn(authors_, address)};
      slots_[i] = author;
      hashes_[i] = h;
      ++interned_;
      return lastAuthor_ = author;
    }
    if (hashes_[i] == h && slots_[i]->Name.view() == name && slots_[i]->Address.view() == address) {
      return lastAuthor_ = slots_[i];
    }
  }
}

PooledString StringPool::Share(std::string_view text) {
  if (text.empty()) return {};
  if (recent_.empty()) {
    recent_.resize(kRecentSlots);
    recentHashes_.resize(kRecentSlots);
  }
  const auto h = static_cast<std::uint32_t>(TextHash(text));
  const std::size_t slot = (h ^ (h >> 13)) & (kRecentSlots - 1);
  if (recentHashes_[slot] == h && !recent_[slot].empty() && recent_[slot].view() == text) {
    return recent_[slot];
  }
  recentHashes_[slot] = h;
  return recent_[slot] = Store(text);
}

const TAuthor* StringPool::AuthorOfRawFrom(std::string_view from) const {
  if (rawFroms_.empty()) return nullptr;
  const auto h = static_cast<std::uint32_t>(TextHash(from));
  const std::size_t mask = rawFroms_.size() - 1;
  for (std::size_t i = h & mask;; i = (i + 1) & mask) {
    const RawFrom& slot = rawFroms_[i];
    if (!slot.author) return nullptr;
    if (slot.hash == h && slot.length == from.size() &&
        std::memcmp(rawFromText_.data() + slot.offset, from.data(), from.size()) == 0) {
      return slot.author;
    }
  }
}

void StringPool::RememberRawFrom(std::string_view from, const TAuthor* author) {
  if (from.empty() || !author || from.size() > 4096 || AuthorOfRawFrom(from) ||
      rawFromText_.size() + from.size() > UINT32_MAX) {
    return;
  }
  if ((rawFromCount_ + 1) * 4 > rawFroms_.size() * 3) {
    std::vector<RawFrom> old(std::max<std::size_t>(1024, rawFroms_.size() * 2));
    old.swap(rawFroms_);
    for (const RawFrom& r : old) {
      if (!r.author) continue;
      for (std::size_t i = r.hash & (rawFroms_.size() - 1);; i = (i + 1) & (rawFroms_.size() - 1)) {
        if (!rawFroms_[i].author) {
          rawFroms_[i] = r;
          break;
        }
      }
    }
  }
  const auto h = static_cast<std::uint32_t>(TextHash(from));
  for (std::size_t i = h & (rawFroms_.size() - 1);; i = (i + 1) & (rawFroms_.size() - 1)) {
    if (!rawFroms_[i].author) {
      rawFroms_[i] = RawFrom{static_cast<std::uint32_t>(rawFromText_.size()),
                             static_cast<std::uint32_t>(from.size()), author, h};
      rawFromText_.append(from);
      ++rawFromCount_;
      return;
    }
  }
}

void StringPool::growTable() {
  const std::size_t size = slots_.empty() ? 1024 : slots_.size() * 2;
  std::vector<const TAuthor*> slots(size, nullptr);
  std::vector<std::uint32_t> hashes(size);
  for (std::size_t k = 0; k < slots_.size(); ++k) {
    if (!slots_[k]) continue;
    for (std::size_t i = hashes_[k] & (size - 1);; i = (i + 1) & (size - 1)) {
      if (!slots[i]) {
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
  return texts_.bytes() + authors_.bytes() + slots_.capacity() * sizeof(const TAuthor*) +
         hashes_.capacity() * sizeof(std::uint32_t) + recent_.capacity() * sizeof(PooledString) +
         recentHashes_.capacity() * sizeof(std::uint32_t) + rawFroms_.capacity() * sizeof(RawFrom) +
         rawFromText_.capacity() + recentParents_.capacity() * sizeof(RecentParent);
}

void StringPool::ReleaseCaches() {
  std::vector<PooledString>().swap(recent_);
  std::vector<std::uint32_t>().swap(recentHashes_);
  std::vector<RecentParent>().swap(recentParents_);
  parentsRemembered_ = 0;
}

void StringPool::Clear() {
  texts_ = Arena();
  authors_ = Arena();
  slots_.clear();
  hashes_.clear();
  interned_ = 0;
  lastAuthor_ = nullptr;
  recent_.clear();
  recentHashes_.clear();
  recentParents_.clear();
  parentsRemembered_ = 0;
  lastStored_ = {};
  rawFroms_.clear();
  rawFromText_.clear();
  rawFromCount_ = 0;
}

}  // namespace orvel
