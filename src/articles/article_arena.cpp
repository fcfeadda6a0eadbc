#include "articles/article_arena.h"

#include <new>

namespace orvel {

void ArticleArena::SlabDeleter::operator()(TArticle* records) const {
  ::operator delete(static_cast<void*>(records), std::align_val_t{alignof(TArticle)});
}

TArticle* ArticleArena::New() {
  ++live_;
  if (!freeList_.empty()) {
    TArticle* a = freeList_.back();
    freeList_.pop_back();
    return new (a) TArticle();
  }
  if (usedInSlab_ == kSlabRecords) {
    void* raw = ::operator new(sizeof(TArticle) * kSlabRecords, std::align_val_t{alignof(TArticle)});
    slabs_.emplace_back(static_cast<TArticle*>(raw));
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
  return slabs_.size() * kSlabRecords * sizeof(TArticle) +
         freeList_.capacity() * sizeof(TArticle*) + strings_.MemoryUsed();
}

}  // namespace orvel
