#pragma once
// The threading pass's indexes of articles by a text of theirs: by
// Message-ID, and by subject without its "Re:".
//
// Open addressing with linear probing, at most three entries in four slots
// (any count of slots), so a pass makes no allocation per entry and a
// collision usually stays in the cache line of its home slot. A slot is one
// word: the article's address in its low 48 bits (all a user-space address
// has on the 64-bit systems built for) and 16 bits of the key's hash above
// it, bits the home slot is not taken from. Eight bytes a slot keep the
// Message-ID table of ten million articles at 107 MB. The key itself is read
// from the article and compared in full only when the hash bits match.
//
// Add does not look for an equal key: duplicates are all kept, and Find and
// Remove meet them in insertion order. That order holds because an entry
// lies further along its probe sequence than every earlier entry of the
// same key, Remove leaves a marker that later inserts do not reuse, and a
// table that outgrows its slots moves its entries cluster by cluster, in
// their order.
//
// The caller hashes each key once with HashOf and passes that hash to every
// call: a table that grows hashes its keys again with HashOf.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "articles/article.h"
#include "articles/header_utils.h"
#include "core/hash.h"
#include "core/prefetch.h"

namespace orvel {

template <class KeyOf>
class ArticleKeyTable {
 public:
  // Room for entries articles; the table grows past them.
  explicit ArticleKeyTable(std::size_t entries) { allocate(slotsFor(entries)); }
  ~ArticleKeyTable() { FreeLargeBlock(slots_, count_ * sizeof(Slot)); }
  ArticleKeyTable(const ArticleKeyTable&) = delete;
  ArticleKeyTable& operator=(const ArticleKeyTable&) = delete;

  static std::uint64_t HashOf(std::string_view key) { return TextHash(key); }

  // Indexes article under its key (nothing for an empty one).
  void Add(TArticle* article, std::uint64_t hash) {
    if (KeyOf::Of(*article).empty()) return;
    if (++used_ > count_ / 4 * 3) grow();
    insert(tagOf(hash) | reinterpret_cast<std::uintptr_t>(article), hash);
  }
  // The first article added under key and not removed, or nullptr.
  TArticle* Find(std::string_view key, std::uint64_t hash) const {
    const Slot* s = locate(key, hash);
    return s ? articleIn(*s) : nullptr;
  }
  // Removes the entry Find would answer; false when there is none.
  bool Remove(std::string_view key, std::uint64_t hash) {
    Slot* s = locate(key, hash);
    if (s) *s = (*s & kTagMask) | reinterpret_cast<std::uintptr_t>(removed());
    return s != nullptr;
  }

  // A look-up waits on three loads in turn: its home slot, the record the
  // slot names and that record's key text. A bulk pass asks for each a few
  // look-ups before the one that needs it.
  void Prefetch(std::uint64_t hash) const { PrefetchRead(&slots_[home(hash)]); }
  void PrefetchEntry(std::uint64_t hash) const {
    if (const TArticle* a = articleIn(slots_[home(hash)]); a && a != removed()) PrefetchRead(a);
  }
  void PrefetchKey(std::uint64_t hash) const {
    if (const TArticle* a = articleIn(slots_[home(hash)]); a && a != removed()) KeyOf::Prefetch(*a);
  }

  std::size_t SlotCount() const { return count_; }

 private:
  static_assert(sizeof(std::uintptr_t) == 8, "a slot packs a 64-bit address");
  // Tag bits and address; zero: empty.
  using Slot = std::uint64_t;
  static constexpr unsigned kAddressBits = 48;
  static constexpr Slot kTagMask = ~Slot{0} << kAddressBits;

  static std::size_t slotsFor(std::size_t entries) { return std::max<std::size_t>(16, entries / 3 * 4 + 8); }
  static Slot tagOf(std::uint64_t hash) { return hash << kAddressBits; }
  static TArticle* articleIn(Slot s) { return reinterpret_cast<TArticle*>(s & ~kTagMask); }

  // The marker of a removed entry: an address no record has.
  static TArticle* removed() { return reinterpret_cast<TArticle*>(alignof(TArticle)); }
  // The high 32 bits scaled to the slot count pick the home slot: the
  // hash's low bits are its weakest, and the tag has them.
  std::size_t home(std::uint64_t hash) const {
    return static_cast<std::size_t>(((hash >> 32) * count_) >> 32);
  }
  std::size_t next(std::size_t i) const { return i + 1 == count_ ? 0 : i + 1; }

  // Huge pages where offered: a million random probes would otherwise miss
  // the TLB on nearly every one.
  void allocate(std::size_t count) {
    count_ = count;
    slots_ = static_cast<Slot*>(AllocateLargeBlock(count_ * sizeof(Slot)));
    std::memset(slots_, 0, count_ * sizeof(Slot));
  }

  void insert(Slot slot, std::uint64_t hash) {
    std::size_t i = home(hash);
    while (slots_[i]) i = next(i);
    slots_[i] = slot;
  }

  // Doubles the slots. Entries move in their old order from just after an
  // empty slot, so no cluster is split by the wrap and duplicates keep
  // their order; removal markers are dropped.
  void grow() {
    Slot* old = slots_;
    const std::size_t oldCount = count_;
    std::size_t start = 0;
    while (old[start]) ++start;  // a table is never full
    allocate(2 * oldCount);
    used_ = 1;  // the entry being added
    for (std::size_t k = 1; k <= oldCount; ++k) {
      const Slot s = old[(start + k) % oldCount];
      if (!s || articleIn(s) == removed()) continue;
      // The new home needs the key's hash again; the tag is only a part.
      insert(s, HashOf(KeyOf::Of(*articleIn(s))));
      ++used_;
    }
    FreeLargeBlock(old, oldCount * sizeof(Slot));
  }

  // The slot of the entry Find would answer, or nullptr.
  Slot* locate(std::string_view key, std::uint64_t hash) const {
    if (key.empty()) return nullptr;
    for (std::size_t i = home(hash);; i = next(i)) {
      Slot& s = slots_[i];
      if (!s) return nullptr;
      if ((s & kTagMask) != tagOf(hash)) continue;
      const TArticle* a = articleIn(s);
      if (a != removed() && KeyOf::Of(*a) == key) return &s;
    }
  }

  Slot* slots_ = nullptr;
  std::size_t count_ = 0;  // at most 2^32 (article counts are 32-bit)
  std::size_t used_ = 0;   // entries and removal markers
};

struct MessageIdKey {
  static std::string_view Of(const TArticle& a) { return a.MessageID.view(); }
  static void Prefetch(const TArticle& a) { a.MessageID.Prefetch(); }
};
// Articles that start a thread, by subject without "Re:": replies whose
// parent is missing join the thread of their subject.
struct SubjectKey {
  static std::string_view Of(const TArticle& a) { return StripRe(a.Subject); }
  static void Prefetch(const TArticle& a) { a.Subject.Prefetch(); }
};

using MessageIdTable = ArticleKeyTable<MessageIdKey>;
using SubjectTable = ArticleKeyTable<SubjectKey>;

}  // namespace orvel
