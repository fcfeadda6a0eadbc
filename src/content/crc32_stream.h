#pragma once
// A CRC-32 (as Crc32Update) taken over bytes added span after span. On
// processors with carry-less multiplication every whole 64 bytes are folded
// into four 128-bit remainders (one 512-bit register where AVX-512 carries
// the wide form), reduced to 32 bits only when the value is read; bytes
// short of a whole 64 wait in the stream for the next span. Elsewhere each
// span goes to Crc32Update, which stays the definition: the tests hold the
// two equal.

#include <cstddef>
#include <cstdint>

namespace orvel {

class Crc32Stream {
 public:
  Crc32Stream() { reset(); }

  void reset();
  // Counts size bytes at data; they may change once this returns.
  void add(const char* data, std::size_t size);
  // The CRC of every byte added since the reset, in the finished form of
  // Crc32Update.
  std::uint32_t value() const;

 private:
  alignas(64) unsigned char folded_[64];  // the four remainders
  unsigned char tail_[64];                // bytes waiting for a whole 64
  std::size_t tailSize_;
  bool started_;         // folded_ holds the bytes of at least one block
  std::uint32_t crc_;    // without carry-less multiplication: the CRC so far
};

namespace detail {
// Folds with 128-bit registers even where the 512-bit form runs, so that a
// test holds both forms to Crc32Update on one machine.
void Crc32StreamFoldNarrow(bool narrow);
}  // namespace detail

}  // namespace orvel
