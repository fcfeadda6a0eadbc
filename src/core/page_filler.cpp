#include "core/page_filler.h"

#include <cstdint>
#include <system_error>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace orvel {

PageFiller::PageFiller([[maybe_unused]] void* block, [[maybe_unused]] std::size_t bytes) {
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
  // Only whole pages inside the range: a block from the heap need not start
  // on a page, and the page past its end may belong to another mapping.
  constexpr std::uintptr_t kPage = 4096;
  const auto start = (reinterpret_cast<std::uintptr_t>(block) + kPage - 1) & ~(kPage - 1);
  const auto end = (reinterpret_cast<std::uintptr_t>(block) + bytes) & ~(kPage - 1);
  if (end <= start) return;
  // A kernel without MADV_POPULATE_WRITE (before 5.14) refuses it, and
  // without a thread to spare there is no helper: either way the pages are
  // faulted in by their first writes, as without a filler.
  try {
    helper_ = std::thread([start, end] {
      ::madvise(reinterpret_cast<void*>(start), end - start, MADV_POPULATE_WRITE);
    });
  } catch (const std::system_error&) {
  }
#endif
}

PageFiller& PageFiller::operator=(PageFiller&& other) noexcept {
  wait();
  helper_ = std::move(other.helper_);
  return *this;
}

}  // namespace orvel
