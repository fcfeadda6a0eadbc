#pragma once
// The threading pass's index of articles by Message-ID.
//
// Open addressing with linear probing over an array sized once for the pass
// (at most five entries in eight slots, any count of slots), so a pass makes no
// allocation per entry and a collision usually stays in the cache line of
// its home slot. A slot is one word: the article's address in its low 48
// bits (all a user-space address has on the 64-bit systems built for) and
// 16 bits of the key's hash above it, bits the home slot is not taken from.
// Eight bytes a slot keep the table of ten million articles at 128 MB, half
// the memory to zero and half the pages to walk. The key itself is the
// article's MessageID, compared in full only when the hash bits match.
//
// As in the general table, Add does not look for an equal key: duplicate
// Message-IDs are all kept, and Find and Remove meet them in insertion
// order. That order holds because an entry lies further along its probe
// sequence than every earlier entry of the same key, and Remove leaves a
// marker that later inserts do not reuse.
//
// The caller hashes each key once with HashOf and passes the hash to every
// call.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "articles/article.h"
#include "core/prefetch.h"

namespace orvel {

class MessageIdTable {
 public:
  // Room for entries articles.
  explicit MessageIdTable(std::size_t entries);
  ~MessageIdTable();
  MessageIdTable(const MessageIdTable&) = delete;
  MessageIdTable& operator=(const MessageIdTable&) = delete;

  static std::uint64_t HashOf(std::string_view id) { return TextHash(id); }

  // Indexes article under its MessageID (nothing for an empty one); at most
  // the number of entries given to the constructor.
  void Add(TArticle* article, std::uint64_t hash) {
    if (article->MessageID.empty()) return;
    std::size_t i = home(hash);
    while (slots_[i]) i = next(i);
    slots_[i] = tagOf(hash) | reinterpret_cast<std::uintptr_t>(article);
  }
  // The first article added under id and not removed, or nullptr.
  TArticle* Find(std::string_view id, std::uint64_t hash) const {
    const Slot* s = locate(id, hash);
    return s ? articleIn(*s) : nullptr;
  }
  // Removes the entry Find would answer; false when there is none.
  bool Remove(std::string_view id, std::uint64_t hash) {
    Slot* s = locate(id, hash);
    if (s) *s = (*s & kTagMask) | reinterpret_cast<std::uintptr_t>(removed());
    return s != nullptr;
  }

  // A look-up waits on three loads in turn: its home slot, the record the
  // slot names and that record's Message-ID text. A bulk pass asks for each
  // a few look-ups before the one that needs it.
  void Prefetch(std::uint64_t hash) const { PrefetchRead(&slots_[home(hash)]); }
  void PrefetchEntry(std::uint64_t hash) const {
    if (const TArticle* a = articleIn(slots_[home(hash)]); a && a != removed()) PrefetchRead(a);
  }
  void PrefetchKey(std::uint64_t hash) const {
    if (const TArticle* a = articleIn(slots_[home(hash)]); a && a != removed()) a->MessageID.Prefetch();
  }

 private:
  static_assert(sizeof(std::uintptr_t) == 8, "a slot packs a 64-bit address");
  // Tag bits and address; zero: empty.
  using Slot = std::uint64_t;
  static constexpr unsigned kAddressBits = 48;
  static constexpr Slot kTagMask = ~Slot{0} << kAddressBits;

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
  // The slot of the entry Find would answer, or nullptr.
  Slot* locate(std::string_view id, std::uint64_t hash) const {
    if (id.empty()) return nullptr;
    for (std::size_t i = home(hash);; i = next(i)) {
      Slot& s = slots_[i];
      if (!s) return nullptr;
      if ((s & kTagMask) != tagOf(hash)) continue;
      const TArticle* a = articleIn(s);
      if (a != removed() && a->MessageID.view() == id) return &s;
    }
  }

  Slot* slots_ = nullptr;
  std::size_t count_ = 0;  // at most 2^32 (article counts are 32-bit)
};

}  // namespace orvel
