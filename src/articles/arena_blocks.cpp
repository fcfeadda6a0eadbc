#include "articles/arena_blocks.h"

#include <utility>

#include "core/hash.h"

namespace orvel {

namespace {

char* allocate(std::size_t bytes, std::size_t held) {
  return static_cast<char*>(AllocateLargeBlock(bytes, held >= kSmallPagedArena));
}

}  // namespace

void FreeArenaBlock(char* block, std::size_t bytes) { FreeLargeBlock(block, bytes); }

ArenaBlocks::ArenaBlocks(ArenaBlocks&& other) noexcept
    : spare_(std::exchange(other.spare_, nullptr)),
      spareBytes_(std::exchange(other.spareBytes_, 0)),
      filler_(std::move(other.filler_)) {}

ArenaBlocks& ArenaBlocks::operator=(ArenaBlocks&& other) noexcept {
  if (this != &other) {
    dropSpare();
    spare_ = std::exchange(other.spare_, nullptr);
    spareBytes_ = std::exchange(other.spareBytes_, 0);
    filler_ = std::move(other.filler_);
  }
  return *this;
}

char* ArenaBlocks::take(std::size_t bytes, std::size_t held) {
  if (held < kSmallPagedArena) return allocate(bytes, held);
  char* block = nullptr;
  if (spare_ && spareBytes_ == bytes) {
    filler_.wait();
    block = std::exchange(spare_, nullptr);
  } else {
    block = allocate(bytes, held);
  }
  // The next block is most likely of the same size: arenas grow to their
  // largest block and stay there.
  if (!spare_) {
    spare_ = allocate(bytes, held + bytes);
    spareBytes_ = bytes;
    filler_ = PageFiller(spare_, bytes);
  }
  return block;
}

void ArenaBlocks::dropSpare() {
  filler_.wait();
  if (spare_) FreeArenaBlock(std::exchange(spare_, nullptr), spareBytes_);
}

}  // namespace orvel
