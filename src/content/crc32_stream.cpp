#include "content/crc32_stream.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "content/crc32.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace orvel {

namespace {

#if defined(__x86_64__)

// The folding constants of the reflected polynomial: x^(4*128±32) and
// x^(128±32) modulo P for folding by four and by one block, x^64 modulo P,
// and P with its Barrett quotient for the last step.
alignas(16) constexpr std::uint64_t kFold4[2] = {0x0154442bd4, 0x01c6e41596};
alignas(16) constexpr std::uint64_t kFold1[2] = {0x01751997d0, 0x00ccaa009e};
alignas(16) constexpr std::uint64_t kFold64[2] = {0x0163cd6124, 0};
alignas(16) constexpr std::uint64_t kBarrett[2] = {0x01db710641, 0x01f7011641};

bool hasClmul() {
  static const bool has = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
  return has;
}

__attribute__((target("pclmul"))) inline __m128i foldInto(__m128i x, __m128i k, __m128i next) {
  return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x00), _mm_clmulepi64_si128(x, k, 0x11)),
                       next);
}

inline __m128i load(const unsigned char* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

// Folds count blocks of 64 bytes at in into the four remainders at state.
__attribute__((target("pclmul"))) void foldBlocks(unsigned char* state, const unsigned char* in,
                                                  std::size_t count) {
  auto* s = reinterpret_cast<__m128i*>(state);
  __m128i x1 = _mm_load_si128(s);
  __m128i x2 = _mm_load_si128(s + 1);
  __m128i x3 = _mm_load_si128(s + 2);
  __m128i x4 = _mm_load_si128(s + 3);
  const __m128i k = _mm_load_si128(reinterpret_cast<const __m128i*>(kFold4));
  for (; count != 0; --count, in += 64) {
    x1 = foldInto(x1, k, load(in));
    x2 = foldInto(x2, k, load(in + 16));
    x3 = foldInto(x3, k, load(in + 32));
    x4 = foldInto(x4, k, load(in + 48));
  }
  _mm_store_si128(s, x1);
  _mm_store_si128(s + 1, x2);
  _mm_store_si128(s + 2, x3);
  _mm_store_si128(s + 3, x4);
}

// The same folding with the four remainders in one 512-bit register: each
// 128-bit lane folds by 64 bytes as above, one instruction for all four.
__attribute__((target("avx512f,vpclmulqdq"))) void foldBlocksWide(unsigned char* state,
                                                                 const unsigned char* in,
                                                                 std::size_t count) {
  __m512i x = _mm512_load_si512(state);
  const __m512i k =
      _mm512_broadcast_i32x4(_mm_load_si128(reinterpret_cast<const __m128i*>(kFold4)));
  for (; count != 0; --count, in += 64) {
    const __m512i low = _mm512_clmulepi64_epi128(x, k, 0x00);
    const __m512i high = _mm512_clmulepi64_epi128(x, k, 0x11);
    x = _mm512_ternarylogic_epi64(low, high, _mm512_loadu_si512(in), 0x96);  // three-way xor
  }
  _mm512_store_si512(state, x);
}

std::atomic<bool> foldNarrow{false};

// The widest folding the processor runs, chosen on first use.
void foldFastest(unsigned char* state, const unsigned char* in, std::size_t count) {
  static const auto fold = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("vpclmulqdq")
                               ? foldBlocksWide
                               : foldBlocks;
  (foldNarrow.load(std::memory_order_relaxed) ? foldBlocks : fold)(state, in, count);
}

// The remainders of the first block: its bytes with the start value of the
// CRC (all ones) over the first four.
void startBlocks(unsigned char* state, const unsigned char* in) {
  std::memcpy(state, in, 64);
  for (int i = 0; i < 4; ++i) state[i] = static_cast<unsigned char>(~state[i]);
}

// The CRC (before its final complement) of the bytes folded into state.
__attribute__((target("pclmul,sse4.1"))) std::uint32_t reduce(const unsigned char* state) {
  const auto* s = reinterpret_cast<const __m128i*>(state);
  __m128i k = _mm_load_si128(reinterpret_cast<const __m128i*>(kFold1));
  __m128i x = _mm_load_si128(s);
  x = foldInto(x, k, _mm_load_si128(s + 1));
  x = foldInto(x, k, _mm_load_si128(s + 2));
  x = foldInto(x, k, _mm_load_si128(s + 3));
  // 128 bits to 64.
  const __m128i low32 = _mm_setr_epi32(~0, 0, ~0, 0);
  x = _mm_xor_si128(_mm_srli_si128(x, 8), _mm_clmulepi64_si128(x, k, 0x10));
  k = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(kFold64));
  x = _mm_xor_si128(_mm_srli_si128(x, 4), _mm_clmulepi64_si128(_mm_and_si128(x, low32), k, 0x00));
  // Barrett reduction to 32 bits.
  k = _mm_load_si128(reinterpret_cast<const __m128i*>(kBarrett));
  __m128i q = _mm_clmulepi64_si128(_mm_and_si128(x, low32), k, 0x10);
  q = _mm_clmulepi64_si128(_mm_and_si128(q, low32), k, 0x00);
  return static_cast<std::uint32_t>(_mm_extract_epi32(_mm_xor_si128(x, q), 1));
}

#else

bool hasClmul() { return false; }
void foldFastest(unsigned char*, const unsigned char*, std::size_t) {}
void startBlocks(unsigned char*, const unsigned char*) {}
std::uint32_t reduce(const unsigned char*) { return 0; }

#endif

}  // namespace

void detail::Crc32StreamFoldNarrow(bool narrow) {
#if defined(__x86_64__)
  foldNarrow.store(narrow, std::memory_order_relaxed);
#else
  (void)narrow;
#endif
}

void Crc32Stream::reset() {
  tailSize_ = 0;
  started_ = false;
  crc_ = 0;
}

void Crc32Stream::add(const char* data, std::size_t size) {
  if (!hasClmul()) {
    crc_ = Crc32Update(crc_, data, size);
    return;
  }
  const auto* in = reinterpret_cast<const unsigned char*>(data);
  auto consume = [this](const unsigned char* blocks, std::size_t count) {
    if (!started_) {
      startBlocks(folded_, blocks);
      started_ = true;
      blocks += 64;
      --count;
    }
    if (count != 0) foldFastest(folded_, blocks, count);
  };
  if (tailSize_ != 0) {
    const std::size_t take = std::min(size, sizeof tail_ - tailSize_);
    std::memcpy(tail_ + tailSize_, in, take);
    tailSize_ += take;
    in += take;
    size -= take;
    if (tailSize_ < sizeof tail_) return;
    consume(tail_, 1);
    tailSize_ = 0;
  }
  const std::size_t whole = size / 64;
  if (whole != 0) consume(in, whole);
  tailSize_ = size % 64;
  std::memcpy(tail_, in + whole * 64, tailSize_);
}

std::uint32_t Crc32Stream::value() const {
  if (!hasClmul()) return crc_;
  const std::uint32_t folded = started_ ? ~reduce(folded_) : 0;
  return Crc32Update(folded, tail_, tailSize_);
}

}  // namespace orvel
