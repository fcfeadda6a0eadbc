#pragma once
// Faults in the pages of a fresh memory block on a helper thread, so that the
// kernel's zeroing of them overlaps the caller's work instead of stalling its
// first write to each page: a load of ten million headers touches about 2 GB
// of fresh memory, and zeroing it on the loading thread took a quarter of the
// load. The helper only asks the kernel to populate the range; it reads and
// writes nothing, so the caller may use the block meanwhile. Where the system
// cannot populate a range this way, it does nothing.

#include <cstddef>
#include <thread>

namespace orvel {

class PageFiller {
 public:
  PageFiller() = default;
  // The block must stay mapped until wait() or the destructor returns; only
  // the whole pages inside it are filled.
  PageFiller(void* block, std::size_t bytes);
  ~PageFiller() { wait(); }
  PageFiller(PageFiller&&) noexcept = default;
  PageFiller& operator=(PageFiller&& other) noexcept;

  // Returns once the helper has finished.
  void wait() {
    if (helper_.joinable()) helper_.join();
  }

 private:
  std::thread helper_;
};

}  // namespace orvel
