#pragma once
// Storage of a group view's article records: records come from large slabs
// (no allocation per header) and their strings from one string pool. Freeing a
// record returns it to a free list for the next one; its strings stay in the
// pool until the arena goes. The view's master list holds the live records.

#include <cstddef>
#include <memory>
#include <vector>

#include "articles/arena_blocks.h"
#include "articles/article.h"
#include "articles/string_pool.h"

namespace orvel {

class ArticleArena {
 public:
  ArticleArena() = default;
  ArticleArena(const ArticleArena&) = delete;
  ArticleArena& operator=(const ArticleArena&) = delete;

  // A fresh record with the initial field values.
  TArticle* New();
  void Free(TArticle* article);

  StringPool& Strings() { return strings_; }
  std::size_t LiveRecords() const { return live_; }
  std::size_t MemoryUsed() const;

 private:
  // Slabs start small (a folder of ten messages) and double up to 4 MB, in
  // powers of two of bytes: a large slab is then whole huge pages, where a
  // slab of 3 MB would hold a 4 MB mapping resident.
  static constexpr std::size_t kFirstSlabBytes = 32 << 10;
  static constexpr std::size_t kLargestSlabBytes = 4 << 20;
  struct SlabDeleter {
    std::size_t bytes = 0;
    void operator()(TArticle* records) const;
  };

  ArenaBlocks blocks_;
  std::vector<std::unique_ptr<TArticle, SlabDeleter>> slabs_;
  std::size_t slabRecords_ = 0;  // records in the newest slab
  std::size_t nextSlabBytes_ = kFirstSlabBytes;
  std::size_t usedInSlab_ = 0;
  std::size_t slabBytes_ = 0;
  std::vector<TArticle*> freeList_;
  std::size_t live_ = 0;
  StringPool strings_;
};

}  // namespace orvel
