#include "core/page_filler.h"

#include <system_error>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace orvel {

PageFiller::PageFiller([[maybe_unused]] void* block, [[maybe_unused]] std::size_t bytes) {
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
  // A kernel without MADV_POPULATE_WRITE (before 5.14) refuses it, and
  // without a thread to spare there is no helper: either way the pages are
  // faulted in by their first writes, as without a filler.
  try {
    helper_ = std::thread([block, bytes] { ::madvise(block, bytes, MADV_POPULATE_WRITE); });
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
