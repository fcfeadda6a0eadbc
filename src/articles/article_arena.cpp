#include "articles/article_arena.h"

#include <algorithm>
#include <new>

namespace orvel {

void ArticleArena::SlabDeleter::operator()(TArticle* records) const {
  FreeArenaBlock(reinterpret_cast<char*>(records), bytes);
}

TArticle* ArticleArena::New() {
  ++live_;
  if (!freeList_.empty()) {
    TArticle* a = freeList_.back();
    freeList_.pop_back();
    return new (a) TArticle();
  }
  if (usedInSlab_ == slabRecords_) {
    slabRecords_ = nextSlabBytes_ / sizeof(TArticle);
    nextSlabBytes_ = std::min(2 * nextSlabBytes_, kLargestSlabBytes);
    const std::size_t bytes = sizeof(TArticle) * slabRecords_;
    slabs_.emplace_back(reinterpret_cast<TArticle*>(blocks_.take(bytes, slabBytes_)),
                        SlabDeleter{bytes});
    slabBytes_ += bytes;
    usedInSlab_ = 0;
  }
  return new (slabs_.back().get() + usedInSlab_++) TArticle();
}

void ArticleArena::Free(TArticle* article) {
  if (!article) return;
  article->~TArticle();
  freeList_.push_back(article);
  --live_;
}

std::size_t ArticleArena::MemoryUsed() const {
  return slabBytes_ +
         freeList_.capacity() * sizeof(TArticle*) + strings_.MemoryUsed();
}

}  // namespace orvel
