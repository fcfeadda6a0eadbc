#pragma once
// THash: the program's string-keyed table of object references.
//
// Separate chaining over a prime number of buckets. A bucket is empty, holds
// one entry directly, or heads a collision list of the entries that followed.
// Keys compare exactly. Add never looks for an equal key, so a key may be
// stored twice; Find answers with the first one met. Iteration visits the
// buckets in index order and each collision list in insertion order, which
// makes the order observable: callers rely on it, so this is not a
// std::unordered_map. The table grows (bucket count doubled, rounded up to a
// table prime) once it holds more than two entries per bucket.
//
// THash<V> copies its keys; THashView<V> keeps only a view of each key, for
// bulk tables whose keys already live elsewhere (the threading pass keys
// articles by their own Message-ID text). A table that owns its values
// deletes them when cleared or destroyed.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/prefetch.h"

namespace orvel {

// Replaces the built-in hash of a table; read as a signed 32-bit number.
using HashFunction = std::int32_t (*)(std::string_view key);

// Memory for large tables and arenas: blocks of 2 MB and more are backed by
// huge pages where the system offers them, so that random look-ups in a
// table of a million entries do not miss the TLB on every probe; a caller
// that fills a block only in part may ask for small pages instead. A block is
// freed with the size it was allocated with.
void* AllocateLargeBlock(std::size_t bytes, bool hugePages = true);
void FreeLargeBlock(void* block, std::size_t bytes);

template <class T>
struct LargeBlockAllocator {
  using value_type = T;
  LargeBlockAllocator() = default;
  template <class U>
  LargeBlockAllocator(const LargeBlockAllocator<U>&) {}
  T* allocate(std::size_t n) { return static_cast<T*>(AllocateLargeBlock(n * sizeof(T))); }
  void deallocate(T* p, std::size_t n) { FreeLargeBlock(p, n * sizeof(T)); }
  friend bool operator==(const LargeBlockAllocator&, const LargeBlockAllocator&) { return true; }
};

namespace hash_detail {

inline constexpr std::int32_t kDefaultBuckets = 17;
inline constexpr std::int32_t kLargestPrime = 51503;
inline constexpr std::int32_t kSizeLimit = 0x8000000;

// The first table prime not below n; n itself above the largest table prime.
std::int32_t BucketCountFor(std::int32_t n);
// The 288 bucket counts, ascending.
const std::int32_t* BucketPrimes();
inline constexpr int kBucketPrimeCount = 288;

// Length, then for each byte a left rotation by 5 and an XOR with the byte.
// Rotation distributes over XOR, so the result is the length rotated by 5n
// XOR each byte rotated by 5 times the bytes after it: the terms are
// independent and the loop has no chain of rotations to wait on.
inline std::uint32_t BuiltinHash(std::string_view key) {
  const auto rotl = [](std::uint32_t v, unsigned r) {
    r &= 31;
    return r ? (v << r) | (v >> (32 - r)) : v;
  };
  const std::size_t n = key.size();
  std::uint32_t h = rotl(static_cast<std::uint32_t>(n), static_cast<unsigned>(5 * (n % 32)));
  for (std::size_t i = 0; i < n; ++i) {
    h ^= rotl(static_cast<unsigned char>(key[i]), static_cast<unsigned>(5 * ((n - 1 - i) % 32)));
  }
  return h;
}

// Reference form of the same hash, for tests.
inline std::uint32_t BuiltinHashSerial(std::string_view key) {
  std::uint32_t h = static_cast<std::uint32_t>(key.size());
  for (unsigned char b : key) h = ((h << 5) ^ (h >> 27)) ^ b;
  return h;
}

// The bucket of a hash value: the magnitude of its signed reading, modulo the
// count (0x80000000 has the magnitude 2147483648).
inline std::uint32_t BucketOf(std::uint32_t h, std::int32_t count) {
  const std::uint32_t magnitude =
      static_cast<std::int32_t>(h) < 0 ? 0u - h : h;
  return magnitude % static_cast<std::uint32_t>(count);
}

// x % d by two multiplications with a constant made once per divisor
// (Lemire's method, exact for 32-bit x and d).
struct FastModulo {
  explicit FastModulo(std::uint32_t d = 17) : d(d), m(~std::uint64_t{0} / d + 1) {}
  std::uint32_t operator()(std::uint32_t x) const {
    const std::uint64_t low = m * x;
    return static_cast<std::uint32_t>((static_cast<unsigned __int128>(low) * d) >> 64);
  }
  std::uint32_t d;
  std::uint64_t m;
};

}  // namespace hash_detail

template <class V, class Key = std::string>
class BasicHash {
 public:
  struct Pair {
    std::string_view key;
    V* value = nullptr;  // nullptr marks the end of an iteration
  };

  explicit BasicHash(bool ownsValues = false) : ownsValues_(ownsValues) {
    buckets_.resize(hash_detail::kDefaultBuckets);
  }
  ~BasicHash() { Clear(ownsValues_); }
  BasicHash(const BasicHash&) = delete;
  BasicHash& operator=(const BasicHash&) = delete;

  bool OwnsValues() const { return ownsValues_; }
  bool Grows() const { return grows_; }
  void SetGrows(bool grows) { grows_ = grows; }
  // Only before the first insert: a table keeps one hash for its entries.
  void SetHashFunction(HashFunction function) {
    if (count_ == 0) hashFunction_ = function;
  }

  std::int32_t Count() const { return count_; }
  std::int32_t BucketCount() const { return static_cast<std::int32_t>(buckets_.size()); }
  std::int32_t UsedBuckets() const { return usedBuckets_; }
  std::int32_t ChainedBuckets() const { return chainedBuckets_; }

  void SetSize(std::int32_t n) {
    if (n < 1 || n >= hash_detail::kSizeLimit || n == BucketCount()) return;
    const std::int32_t size = hash_detail::BucketCountFor(n);
    if (count_ == 0) {
      buckets_.assign(static_cast<std::size_t>(size), Bucket{});
      modulo_ = hash_detail::FastModulo(static_cast<std::uint32_t>(size));
      // At one entry per bucket about a quarter of the entries collide.
      slots_.reserve(static_cast<std::size_t>(size) / 4);
      return;
    }
    std::vector<std::pair<Key, V*>> pairs;
    pairs.reserve(static_cast<std::size_t>(count_));
    for (auto& b : buckets_) {
      if (!b.value) continue;
      pairs.emplace_back(std::move(b.key), b.value);
      for (std::int32_t k = b.next; k >= 0; k = slots_[static_cast<std::size_t>(k)].next) {
        pairs.emplace_back(std::move(slots_[static_cast<std::size_t>(k)].key),
                           slots_[static_cast<std::size_t>(k)].value);
      }
    }
    Clear(false);
    buckets_.assign(static_cast<std::size_t>(size), Bucket{});
    modulo_ = hash_detail::FastModulo(static_cast<std::uint32_t>(size));
    for (auto& p : pairs) Add(p.first, p.second);
  }

  V* Find(std::string_view key) const { return FindHashed(key, HashOf(key)); }

  // The table's hash of key. A bulk pass that touches one key several times
  // (prefetch, prefetch of the entry, look-up) computes it once and hands it
  // to the *Hashed forms, which behave as the plain ones.
  std::uint32_t HashOf(std::string_view key) const {
    return hashFunction_ ? static_cast<std::uint32_t>(hashFunction_(key))
                         : hash_detail::BuiltinHash(key);
  }

  V* FindHashed(std::string_view key, std::uint32_t hash) const {
    const Bucket& b = buckets_[bucketOf(hash)];
    if (!b.value) return nullptr;
    if (std::string_view(b.key) == key) return b.value;
    for (std::int32_t k = b.next; k >= 0; k = slots_[static_cast<std::size_t>(k)].next) {
      const Slot& s = slots_[static_cast<std::size_t>(k)];
      if (std::string_view(s.key) == key) return s.value;
    }
    return nullptr;
  }

  // A hint before a look-up or insert of key a little later: loads its
  // bucket into the cache (bulk passes are bound by those misses).
  void Prefetch(std::string_view key) const { PrefetchHashed(HashOf(key)); }
  void PrefetchHashed(std::uint32_t hash) const { PrefetchRead(&buckets_[bucketOf(hash)]); }
  // The second step, once the bucket is likely cached: loads the first
  // entry's key text and value, which a look-up compares and returns.
  void PrefetchEntry(std::string_view key) const { PrefetchEntryHashed(HashOf(key)); }
  void PrefetchEntryHashed(std::uint32_t hash) const {
    const Bucket& b = buckets_[bucketOf(hash)];
    if (b.value) {
      PrefetchRead(std::string_view(b.key).data());
      PrefetchRead(b.value);
    }
  }

  bool Add(std::string_view key, V* value) { return AddHashed(key, HashOf(key), value); }
  bool AddHashed(std::string_view key, std::uint32_t hash, V* value) {
    if (key.empty() || !value) return false;
    insertAt(buckets_[bucketOf(hash)], key, value);
    afterInsert();
    return true;
  }

  void Put(std::string_view key, V* value) {
    if (key.empty()) return;
    if (!value) {
      Remove(key);
      return;
    }
    Bucket& b = buckets_[bucketIndex(key)];
    if (b.value && std::string_view(b.key) == key) {
      b.value = value;
      return;
    }
    for (std::int32_t k = b.value ? b.next : -1; k >= 0; k = slots_[static_cast<std::size_t>(k)].next) {
      Slot& s = slots_[static_cast<std::size_t>(k)];
      if (std::string_view(s.key) == key) {
        s.value = value;
        return;
      }
    }
    insertAt(b, key, value);
    afterInsert();
  }

  bool Remove(std::string_view key) { return RemoveHashed(key, HashOf(key)); }
  bool RemoveHashed(std::string_view key, std::uint32_t hash) {
    if (key.empty()) return false;
    Bucket& b = buckets_[bucketOf(hash)];
    if (!b.value) return false;
    if (std::string_view(b.key) == key) {
      if (b.next < 0) {
        b = Bucket{};
        --usedBuckets_;
      } else {
        // The first entry of the list takes the bucket's own place.
        const std::int32_t first = b.next;
        Slot& s = slots_[static_cast<std::size_t>(first)];
        b.key = std::move(s.key);
        b.value = s.value;
        b.next = s.next;
        if (b.next < 0) {
          b.last = -1;
          --chainedBuckets_;
        }
        release(first);
      }
      --count_;
      return true;
    }
    std::int32_t previous = -1;
    for (std::int32_t k = b.next; k >= 0; previous = k, k = slots_[static_cast<std::size_t>(k)].next) {
      Slot& s = slots_[static_cast<std::size_t>(k)];
      if (std::string_view(s.key) != key) continue;
      if (previous < 0) {
        b.next = s.next;
      } else {
        slots_[static_cast<std::size_t>(previous)].next = s.next;
      }
      if (b.last == k) b.last = previous;
      if (b.next < 0) {
        b.last = -1;
        --chainedBuckets_;
      }
      release(k);
      --count_;
      return true;
    }
    return false;
  }

  // Frees the values when asked and the table owns them; drops the
  // collision lists; back to 17 empty buckets.
  void Clear(bool freeValues) {
    if (freeValues && ownsValues_) {
      for (auto& b : buckets_) delete b.value;
      for (auto& s : slots_) delete s.value;
    }
    buckets_.assign(hash_detail::kDefaultBuckets, Bucket{});
    modulo_ = hash_detail::FastModulo(hash_detail::kDefaultBuckets);
    slots_.clear();
    freeSlots_.clear();
    count_ = usedBuckets_ = chainedBuckets_ = 0;
    cursorBucket_ = -1;
    cursorSlot_ = kBeforeBucket;
  }

  Pair First() {
    cursorBucket_ = 0;
    cursorSlot_ = kBeforeBucket;
    return Next();
  }

  Pair Next() {
    if (cursorBucket_ < 0) return {};
    while (cursorBucket_ < BucketCount()) {
      const Bucket& b = buckets_[static_cast<std::size_t>(cursorBucket_)];
      if (b.value) {
        if (cursorSlot_ == kBeforeBucket) {
          cursorSlot_ = kOwnEntry;
          return {std::string_view(b.key), b.value};
        }
        const std::int32_t next =
            cursorSlot_ == kOwnEntry ? b.next : slots_[static_cast<std::size_t>(cursorSlot_)].next;
        if (next >= 0) {
          cursorSlot_ = next;
          const Slot& s = slots_[static_cast<std::size_t>(next)];
          return {std::string_view(s.key), s.value};
        }
      }
      ++cursorBucket_;
      cursorSlot_ = kBeforeBucket;
    }
    cursorBucket_ = -1;
    return {};
  }

  // Visits every pair in iteration order without moving the cursor.
  template <class F>
  void ForEach(F&& visit) const {
    for (const auto& b : buckets_) {
      if (!b.value) continue;
      visit(std::string_view(b.key), b.value);
      for (std::int32_t k = b.next; k >= 0; k = slots_[static_cast<std::size_t>(k)].next) {
        visit(std::string_view(slots_[static_cast<std::size_t>(k)].key),
              slots_[static_cast<std::size_t>(k)].value);
      }
    }
  }

 private:
  // A bucket holds its first entry itself; further entries of the same
  // bucket (its collision list) are slots linked in insertion order, kept in
  // one array so a large table makes no allocation per collision.
  struct Slot {
    Key key{};
    V* value = nullptr;
    std::int32_t next = -1;
  };
  struct Bucket {
    Key key{};
    V* value = nullptr;       // none: the bucket is empty
    std::int32_t next = -1;   // first slot of the collision list
    std::int32_t last = -1;   // its last slot
  };
  static constexpr std::int32_t kBeforeBucket = -2;
  static constexpr std::int32_t kOwnEntry = -1;

  std::size_t bucketIndex(std::string_view key) const { return bucketOf(HashOf(key)); }
  std::size_t bucketOf(std::uint32_t h) const {
    const std::uint32_t magnitude = static_cast<std::int32_t>(h) < 0 ? 0u - h : h;
    return modulo_(magnitude);
  }

  void insertAt(Bucket& b, std::string_view key, V* value) {
    ++count_;
    if (!b.value) {
      b.key = Key(key);
      b.value = value;
      ++usedBuckets_;
      return;
    }
    std::int32_t k;
    if (!freeSlots_.empty()) {
      k = freeSlots_.back();
      freeSlots_.pop_back();
      slots_[static_cast<std::size_t>(k)] = Slot{Key(key), value, -1};
    } else {
      k = static_cast<std::int32_t>(slots_.size());
      slots_.push_back(Slot{Key(key), value, -1});
    }
    if (b.next < 0) {
      b.next = k;
      ++chainedBuckets_;
    } else {
      slots_[static_cast<std::size_t>(b.last)].next = k;
    }
    b.last = k;
  }

  void release(std::int32_t k) {
    slots_[static_cast<std::size_t>(k)] = Slot{};
    freeSlots_.push_back(k);
  }

  void afterInsert() {
    if (grows_ && 2 * static_cast<std::int64_t>(BucketCount()) < count_) {
      SetSize(2 * BucketCount());
    }
  }

  std::vector<Bucket, LargeBlockAllocator<Bucket>> buckets_;
  hash_detail::FastModulo modulo_;
  std::vector<Slot, LargeBlockAllocator<Slot>> slots_;
  std::vector<std::int32_t> freeSlots_;
  HashFunction hashFunction_ = nullptr;
  const bool ownsValues_;
  std::int32_t count_ = 0;
  std::int32_t usedBuckets_ = 0;
  std::int32_t chainedBuckets_ = 0;
  std::int32_t cursorBucket_ = -1;
  std::int32_t cursorSlot_ = kBeforeBucket;
  bool grows_ = true;
};

template <class V>
using THash = BasicHash<V, std::string>;
template <class V>
using THashView = BasicHash<V, std::string_view>;

}  // namespace orvel
