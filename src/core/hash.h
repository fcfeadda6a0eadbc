#pragma once
// THash: the program's string-keyed table of object references.
//
// Separate chaining over a prime number of buckets. A bucket is empty, holds
// one entry directly, or holds a collision list (its own key left empty).
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

namespace orvel {

// Replaces the built-in hash of a table; read as a signed 32-bit number.
using HashFunction = std::int32_t (*)(std::string_view key);

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
inline std::uint32_t BuiltinHash(std::string_view key) {
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
      return;
    }
    std::vector<std::pair<Key, V*>> pairs;
    pairs.reserve(static_cast<std::size_t>(count_));
    for (auto& b : buckets_) {
      if (b.list) {
        for (auto& e : *b.list) pairs.emplace_back(std::move(e.key), e.value);
      } else if (b.value) {
        pairs.emplace_back(std::move(b.key), b.value);
      }
    }
    Clear(false);
    buckets_.assign(static_cast<std::size_t>(size), Bucket{});
    for (auto& p : pairs) Add(p.first, p.second);
  }

  V* Find(std::string_view key) const {
    const Bucket& b = buckets_[bucketIndex(key)];
    if (b.list) {
      for (const auto& e : *b.list) {
        if (std::string_view(e.key) == key) return e.value;
      }
      return nullptr;
    }
    return b.value && std::string_view(b.key) == key ? b.value : nullptr;
  }

  bool Add(std::string_view key, V* value) {
    if (key.empty() || !value) return false;
    insertAt(buckets_[bucketIndex(key)], key, value);
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
    if (b.list) {
      for (auto& e : *b.list) {
        if (std::string_view(e.key) == key) {
          e.value = value;
          return;
        }
      }
    } else if (b.value && std::string_view(b.key) == key) {
      b.value = value;
      return;
    }
    insertAt(b, key, value);
    afterInsert();
  }

  bool Remove(std::string_view key) {
    if (key.empty()) return false;
    Bucket& b = buckets_[bucketIndex(key)];
    if (b.list) {
      auto& list = *b.list;
      for (std::size_t i = 0; i < list.size(); ++i) {
        if (std::string_view(list[i].key) == key) {
          list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
          if (list.empty()) {
            delete b.list;
            b.list = nullptr;
            --chainedBuckets_;
            --usedBuckets_;
          }
          --count_;
          return true;
        }
      }
      return false;
    }
    if (b.value && std::string_view(b.key) == key) {
      b = Bucket{};
      --usedBuckets_;
      --count_;
      return true;
    }
    return false;
  }

  // Frees the values when asked and the table owns them; always frees the
  // collision lists; back to 17 empty buckets.
  void Clear(bool freeValues) {
    const bool freeing = freeValues && ownsValues_;
    for (auto& b : buckets_) {
      if (b.list) {
        if (freeing) {
          for (auto& e : *b.list) delete e.value;
        }
        delete b.list;
      } else if (freeing) {
        delete b.value;
      }
    }
    buckets_.assign(hash_detail::kDefaultBuckets, Bucket{});
    count_ = usedBuckets_ = chainedBuckets_ = 0;
    cursorBucket_ = cursorIndex_ = -1;
  }

  Pair First() {
    cursorBucket_ = 0;
    cursorIndex_ = -1;
    return Next();
  }

  Pair Next() {
    if (cursorBucket_ < 0) return {};
    while (cursorBucket_ < BucketCount()) {
      const Bucket& b = buckets_[static_cast<std::size_t>(cursorBucket_)];
      if (b.list) {
        const auto next = static_cast<std::size_t>(cursorIndex_ + 1);
        if (next < b.list->size()) {
          cursorIndex_ = static_cast<std::int32_t>(next);
          const auto& e = (*b.list)[next];
          return {std::string_view(e.key), e.value};
        }
      } else if (b.value && cursorIndex_ < 0) {
        cursorIndex_ = 0;
        return {std::string_view(b.key), b.value};
      }
      ++cursorBucket_;
      cursorIndex_ = -1;
    }
    cursorBucket_ = -1;
    return {};
  }

  // Visits every pair in iteration order without moving the cursor.
  template <class F>
  void ForEach(F&& visit) const {
    for (const auto& b : buckets_) {
      if (b.list) {
        for (const auto& e : *b.list) visit(std::string_view(e.key), e.value);
      } else if (b.value) {
        visit(std::string_view(b.key), b.value);
      }
    }
  }

 private:
  struct Entry {
    Key key;
    V* value;
  };
  // Direct entry: key and value set, list null. Collision list: list set,
  // key empty, value null. Empty: all three empty.
  struct Bucket {
    Key key{};
    V* value = nullptr;
    std::vector<Entry>* list = nullptr;
  };

  std::size_t bucketIndex(std::string_view key) const {
    const std::uint32_t h = hashFunction_ ? static_cast<std::uint32_t>(hashFunction_(key))
                                          : hash_detail::BuiltinHash(key);
    return hash_detail::BucketOf(h, BucketCount());
  }

  void insertAt(Bucket& b, std::string_view key, V* value) {
    if (b.list) {
      b.list->push_back(Entry{Key(key), value});
    } else if (b.value) {
      b.list = new std::vector<Entry>{Entry{std::move(b.key), b.value}, Entry{Key(key), value}};
      b.key = Key{};
      b.value = nullptr;
      ++chainedBuckets_;
    } else {
      b.key = Key(key);
      b.value = value;
      ++usedBuckets_;
    }
    ++count_;
  }

  void afterInsert() {
    if (grows_ && 2 * static_cast<std::int64_t>(BucketCount()) < count_) {
      SetSize(2 * BucketCount());
    }
  }

  std::vector<Bucket> buckets_;
  HashFunction hashFunction_ = nullptr;
  const bool ownsValues_;
  std::int32_t count_ = 0;
  std::int32_t usedBuckets_ = 0;
  std::int32_t chainedBuckets_ = 0;
  std::int32_t cursorBucket_ = -1;
  std::int32_t cursorIndex_ = -1;
  bool grows_ = true;
};

template <class V>
using THash = BasicHash<V, std::string>;
template <class V>
using THashView = BasicHash<V, std::string_view>;

}  // namespace orvel
