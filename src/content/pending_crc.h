#pragma once
// A CRC-32 over decoded bytes that stay in memory for a while (an output
// buffer): spans that follow each other in memory are joined and folded into
// the CRC (a Crc32Stream) in one call once kFoldBytes are pending, or when
// the value is read. One call over a large span runs the carry-less
// multiplication at full speed; one call per 128-byte line spends most of
// its time starting up. Folding sooner, while the bytes are in the
// first-level cache, measured slower: the CRC then reads bytes the decoder
// has only just stored.
//
// The owner of the memory calls foldUnlessNext before it overwrites the
// bytes after the pending ones, and fold before it frees or moves them.

#include <cstddef>
#include <cstdint>

#include "content/crc32_stream.h"

namespace orvel {

class PendingCrc {
 public:
  static constexpr std::size_t kFoldBytes = 64 * 1024;

  void reset() {
    crc_.reset();
    start_ = nullptr;
    size_ = 0;
  }
  // Counts size bytes at data, which stay unchanged until the next fold.
  void add(const char* data, std::size_t size);
  // Folds the pending bytes unless next is where they end: the next span
  // then goes elsewhere, and the buffer may be about to be overwritten.
  void foldUnlessNext(const char* next) {
    if (next != start_ + size_) fold();
  }
  void fold();
  // The CRC of every byte added since the reset, in the finished form of
  // Crc32Update.
  std::uint32_t value() {
    fold();
    return crc_.value();
  }

 private:
  Crc32Stream crc_;
  const char* start_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace orvel
