#pragma once
// The blocks of the record and string arenas. Blocks of a large arena are
// backed by huge pages where the system offers them (a million headers touch
// hundreds of megabytes: small pages cost a fault every 4 KB) once the arena
// holds kSmallPagedArena bytes or more. Below, small pages: a huge page is
// resident whole from its first write, so the last, partly filled block of a
// small arena would hold up to 2 MB it does not use.
//
// A large arena's next block is allocated one ahead and filled in by a
// PageFiller while the arena hands out the current one, so that loading
// millions of headers does not wait on the kernel's zeroing of every fresh
// page. At most one such spare block is held.

#include <cstddef>

#include "core/page_filler.h"

namespace orvel {

inline constexpr std::size_t kSmallPagedArena = std::size_t{16} << 20;
void FreeArenaBlock(char* block, std::size_t bytes);

class ArenaBlocks {
 public:
  ArenaBlocks() = default;
  ~ArenaBlocks() { dropSpare(); }
  ArenaBlocks(const ArenaBlocks&) = delete;
  ArenaBlocks& operator=(const ArenaBlocks&) = delete;
  ArenaBlocks(ArenaBlocks&& other) noexcept;
  ArenaBlocks& operator=(ArenaBlocks&& other) noexcept;

  // A block of bytes for an arena that already holds `held` bytes; freed by
  // FreeArenaBlock.
  char* take(std::size_t bytes, std::size_t held);

 private:
  void dropSpare();

  char* spare_ = nullptr;
  std::size_t spareBytes_ = 0;
  PageFiller filler_;  // filling spare_
};

}  // namespace orvel
