#pragma once
// Strings of the article records. A PooledString is one pointer to a
// length-prefixed text kept elsewhere (a StringPool, or a thread node's own
// buffer); records stay small and copying a record's string is free.
//
// A StringPool is an append-only arena in large chunks. Store() always copies;
// InternAuthor() keeps one record per distinct name and address pair through
// a table of every author (a group has few, and they repeat); Share() only
// looks among the last few thousand texts it was given, which catches the
// repeats that come close together (the subject and References of replies
// to one article) without a table of every subject in the group, whose
// look-ups would miss the cache every time. Nothing is freed before the pool itself, so
// a pool lives as long as the records that point into it.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "articles/arena_blocks.h"
#include "core/prefetch.h"

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
  // Loads the text's first cache line ahead of a read (bulk passes).
  void Prefetch() const {
    if (p_) PrefetchRead(p_);
  }
  // The same for the text from byte offset on (a guess past 254 bytes,
  // whose prefix is four bytes longer).
  void PrefetchAt(std::size_t offset) const {
    if (p_) PrefetchRead(p_ + 1 + offset);
  }

  friend bool operator==(const PooledString& a, std::string_view b) { return a.view() == b; }
  friend bool operator==(const PooledString& a, const PooledString& b) {
    return a.p_ == b.p_ || a.view() == b.view();
  }

  // Bytes needed to hold text with its prefix, and the writer of that form.
  static std::size_t encodedSize(std::size_t n) { return n + (n < kLongMark ? 1 : 5); }
  static PooledString encode(char* at, std::string_view text);

 private:
  friend class PooledReferences;
  friend class StringPool;
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

// The References of an article record. A follow-up's References are nearly
// always its parent's plus the parent's Message-ID; such a value is a link
// to a node in the pool holding the parent's value and the parent's own
// pooled Message-ID (one node for all the replies to a parent), not a copy
// of a text that in a large group is the longest of the record. Other values
// are pooled texts. A node starts with a zero byte, which no stored text
// does (texts are never empty), so one pointer says which it is.
class PooledReferences {
 public:
  PooledReferences() = default;
  explicit PooledReferences(PooledString text) : p_(text.p_) {}

  bool empty() const { return !p_; }
  bool IsLink() const { return p_ && *p_ == 0; }
  // The text; a link is spelt out into scratch.
  std::string_view Text(std::string& scratch) const;
  std::string str() const;
  // The last Message-ID of a link (its parent's Message-ID), empty for a text.
  std::string_view LinkedParentID() const { return IsLink() ? node().parentId.view() : std::string_view{}; }
  // The whole value when it is a text, empty for a link.
  std::string_view PlainText() const { return IsLink() ? std::string_view{} : PooledString(p_).view(); }
  // Whether the value spells exactly this text.
  bool Spells(std::string_view text) const;
  void Prefetch() const {
    if (p_) PrefetchRead(p_);
  }
  // Loads the last Message-ID: a link's parent ID, or a text's last bytes
  // (the value's start must be in the cache).
  void PrefetchParentID() const {
    if (!p_) return;
    if (IsLink()) {
      node().parentId.Prefetch();
      return;
    }
    const std::string_view text = PlainText();
    PrefetchRead(text.data() + text.size() - std::min<std::size_t>(text.size(), 40));
  }

  friend bool operator==(const PooledReferences& a, std::string_view b) { return a.Spells(b); }

 private:
  friend class StringPool;
  struct Node {
    char mark = 0;
    const char* parentRefs = nullptr;
    PooledString parentId;
  };
  explicit PooledReferences(const Node* node) : p_(reinterpret_cast<const char*>(node)) {}
  const Node& node() const { return *reinterpret_cast<const Node*>(p_); }
  static PooledReferences at(const char* p) {
    PooledReferences v;
    v.p_ = p;
    return v;
  }
  std::size_t length() const;

  const char* p_ = nullptr;
};

// An author as the From header gave it, shared by all of the author's articles.
struct TAuthor {
  PooledString Name;
  PooledString Address;
};

class StringPool {
 public:
  StringPool() = default;
  StringPool(const StringPool&) = delete;
  StringPool& operator=(const StringPool&) = delete;

  PooledString Store(std::string_view text);
  PooledString Share(std::string_view text);
  // References with their last Message-ID (parentId, empty when none): a link
  // when they are a recent article's References plus its Message-ID, else
  // the text shared. An article whose Message-ID was the last text stored
  // (ownId) is remembered as a parent for the articles after it.
  PooledReferences StoreReferences(std::string_view references, std::string_view parentId,
                                  PooledString ownId);
  // Nothing for an empty name and address.
  const TAuthor* InternAuthor(std::string_view name, std::string_view address);
  // The author InternAuthor returned last.
  const TAuthor* LastAuthor() const { return lastAuthor_; }
  // The author made earlier from this exact From text; a From value repeats
  // on every article of its author, so decoding and splitting it once per
  // author saves most of that work.
  const TAuthor* AuthorOfRawFrom(std::string_view from) const;
  void RememberRawFrom(std::string_view from, const TAuthor* author);

  // Bytes held in chunks and in the intern table.
  std::size_t MemoryUsed() const;
  void Clear();
  // Frees the caches of recent texts and parents that a bulk load fills
  // (2 MB from a hundred thousand articles on); the next load makes them
  // again. The stored texts stay.
  void ReleaseCaches();

 private:
  // Chunks that grow from small to 4 MB, handed out front to back.
  class Arena {
   public:
    char* allocate(std::size_t n, std::size_t align);
    std::size_t bytes() const { return chunkBytes_; }

   private:
    struct ChunkDeleter {
      std::size_t bytes = 0;
      void operator()(char* chunk) const;
    };
    std::vector<std::unique_ptr<char, ChunkDeleter>> chunks_;
    char* cursor_ = nullptr;
    std::size_t left_ = 0;
    std::size_t chunkBytes_ = 0;
    std::size_t nextChunk_ = 0;
    ArenaBlocks blocks_;
  };

  PooledString storeIn(Arena& arena, std::string_view text);
  void growTable();

  Arena texts_;
  // Authors and their strings apart from the other texts, so that the few
  // thousand of them stay together in the cache.
  Arena authors_;
  // Open addressing over the authors, with each slot's hash beside it.
  std::vector<const TAuthor*> slots_;
  std::vector<std::uint32_t> hashes_;
  std::size_t interned_ = 0;
  const TAuthor* lastAuthor_ = nullptr;
  // Raw From texts and their authors, open addressing; the texts sit together
  // in one buffer so that look-ups stay in the cache.
  struct RawFrom {
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
    const TAuthor* author = nullptr;
    std::uint32_t hash = 0;
  };
  std::vector<RawFrom> rawFroms_;
  std::string rawFromText_;
  std::size_t rawFromCount_ = 0;
  // Recently shared texts, direct-mapped by hash.
  static constexpr std::size_t kRecentSlots = 8192;
  std::vector<PooledString> recent_;
  std::vector<std::uint32_t> recentHashes_;
  // Recent articles by Message-ID hash, direct-mapped, for StoreReferences:
  // their References, and the link node made for their replies.
  struct RecentParent {
    PooledString id;
    PooledReferences references;
    PooledReferences replies;
    std::uint32_t hash = 0;
  };
  static constexpr std::size_t kRecentParents = 1 << 16;
  void rememberParent(PooledString id, PooledReferences references);
  RecentParent* recentParent(std::string_view id, std::uint32_t hash);
  std::vector<RecentParent> recentParents_;
  std::size_t parentsRemembered_ = 0;
  PooledString lastStored_;
};

// A fast 64-bit hash of a text (multiply and fold, eight bytes at a time).
std::uint64_t TextHash(std::string_view text);

}  // namespace orvel
