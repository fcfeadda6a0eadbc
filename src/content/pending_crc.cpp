#include "content/pending_crc.h"

namespace orvel {

void PendingCrc::add(const char* data, std::size_t size) {
  if (size == 0) return;
  foldUnlessNext(data);
  if (size_ == 0) start_ = data;
  size_ += size;
  if (size_ >= kFoldBytes) fold();
}

void PendingCrc::fold() {
  if (size_ != 0) crc_.add(start_, size_);
  start_ = nullptr;
  size_ = 0;
}

}  // namespace orvel
