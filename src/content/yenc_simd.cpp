// The vectorised yEnc line decoders (x86-64).
//
// SSE2: a block of 16 bytes is lowered by 42 and stored whole. A block with
// one "=" (the byte after it no NUL, both inside the block) is stored with
// the "=" taken out and that byte lowered by 64 more, and counts one byte
// short. Otherwise, when a block holds "=" or NUL, only the bytes before the
// first of them count, that byte is handled by the scalar rules, and the next
// block starts after it. The bytes left after the last whole block go to the
// scalar decoder, so a line ends exactly as the scalar one ends it.
//
// AVX-512 (VBMI2): a block of 64 bytes, the line's last one shorter, loaded
// and stored under a mask. Any number of escapes is taken in one step: each
// escaped byte lowered by 64 more and the "=" bytes squeezed out by a
// compress. A block with a NUL, an "=" as its last byte or an escaped "="
// takes the slow road, as in the SSE2 decoder.

#include "content/yenc_decoders.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace orvel::detail {

namespace {

#if defined(__x86_64__)

enum class Special { Continue, EndOfLine, LoneEscape };

// Decodes the "=" or NUL at in[i]; on Continue, i and j are past it.
inline Special decodeSpecial(const unsigned char* in, std::size_t n, std::size_t& i,
                             unsigned char* o, std::size_t& j) {
  if (in[i] == 0) return Special::EndOfLine;
  if (i + 1 == n || in[i + 1] == 0) return Special::LoneEscape;
  o[j++] = static_cast<unsigned char>(in[i + 1] - 64 - 42);
  i += 2;
  return Special::Continue;
}

// True when the first special byte of a 16-byte block, at p, is an "="
// whose escaped byte follows inside the block and is no NUL, and no other
// special byte follows (the escaped byte may itself be "=").
inline bool oneEscape(const unsigned char* block, unsigned special, unsigned p) {
  return block[p] == '=' && p + 1 < 16 && (special >> (p + 1)) <= 1 && block[p + 1] != 0;
}

YEncLineResult decodeSse2(std::string_view line, char* out) {
  const auto* in = reinterpret_cast<const unsigned char*>(line.data());
  const std::size_t n = line.size();
  auto* o = reinterpret_cast<unsigned char*>(out);
  const __m128i equals = _mm_set1_epi8('=');
  const __m128i zero = _mm_setzero_si128();
  const __m128i k42 = _mm_set1_epi8(42);
  const __m128i k64 = _mm_set1_epi8(64);
  const __m128i index = _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
  std::size_t i = 0;
  std::size_t j = 0;
  // j <= i throughout, so a whole block stored at o + j stays within n.
  while (i + 16 <= n) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
    const unsigned special = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, equals), _mm_cmpeq_epi8(v, zero))));
    const __m128i lowered = _mm_sub_epi8(v, k42);
    if (special == 0) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(o + j), lowered);
      i += 16;
      j += 16;
      continue;
    }
    const unsigned plain = static_cast<unsigned>(__builtin_ctz(special));
    if (oneEscape(in + i, special, plain)) {
      const __m128i at = _mm_set1_epi8(static_cast<char>(plain));
      const __m128i before = _mm_cmpgt_epi8(at, index);
      const __m128i after = _mm_srli_si128(lowered, 1);
      __m128i r = _mm_or_si128(_mm_and_si128(before, lowered), _mm_andnot_si128(before, after));
      r = _mm_sub_epi8(r, _mm_and_si128(_mm_cmpeq_epi8(at, index), k64));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(o + j), r);
      i += 16;
      j += 15;
      continue;
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(o + j), lowered);
    i += plain;
    j += plain;
    const Special s = decodeSpecial(in, n, i, o, j);
    if (s != Special::Continue) return {j, s == Special::EndOfLine};
  }
  // The bytes after the last whole block, by the scalar rules.
  const YEncLineResult rest = DecodeYEncScalar(line.substr(i), out + j);
  return {j + rest.size, rest.ok};
}

__attribute__((target("avx512f,avx512bw,avx512vbmi2,bmi,bmi2,popcnt")))
YEncLineResult decodeAvx512(std::string_view line, char* out) {
  const auto* in = reinterpret_cast<const unsigned char*>(line.data());
  const std::size_t n = line.size();
  auto* o = reinterpret_cast<unsigned char*>(out);
  const __m512i equals = _mm512_set1_epi8('=');
  const __m512i k42 = _mm512_set1_epi8(42);
  const __m512i k64 = _mm512_set1_epi8(64);
  constexpr unsigned long long kAll = ~0ULL;
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < n) {
    const __mmask64 valid = n - i >= 64 ? kAll : _bzhi_u64(kAll, static_cast<unsigned>(n - i));
    const __m512i v = _mm512_maskz_loadu_epi8(valid, in + i);
    const __mmask64 eq = _mm512_cmpeq_epi8_mask(v, equals);
    const __mmask64 nul = _mm512_mask_testn_epi8_mask(valid, v, v);
    const __mmask64 lastValid = valid ^ (valid >> 1);
    const __m512i lowered = _mm512_sub_epi8(v, k42);
    if (nul == 0 && (eq & lastValid) == 0 && (eq & (eq << 1)) == 0) {
      const __m512i decoded = _mm512_mask_sub_epi8(lowered, eq << 1, lowered, k64);
      const __mmask64 keep = valid & ~eq;
      const auto count = static_cast<std::size_t>(_mm_popcnt_u64(keep));
      _mm512_mask_storeu_epi8(o + j, _bzhi_u64(kAll, static_cast<unsigned>(count)),
                              _mm512_maskz_compress_epi8(keep, decoded));
      i += static_cast<std::size_t>(_mm_popcnt_u64(valid));
      j += count;
      continue;
    }
    const auto plain = static_cast<unsigned>(_tzcnt_u64(eq | nul));
    _mm512_mask_storeu_epi8(o + j, _bzhi_u64(kAll, plain), lowered);
    i += plain;
    j += plain;
    const Special s = decodeSpecial(in, n, i, o, j);
    if (s != Special::Continue) return {j, s == Special::EndOfLine};
  }
  return {j, true};
}

#endif

}  // namespace

std::vector<NamedYEncDecoder> YEncDecoders() {
  std::vector<NamedYEncDecoder> decoders{{"scalar", DecodeYEncScalar}};
#if defined(__x86_64__)
  // SSE2 only: a 32-byte AVX2 version measured slower (more blocks hold two
  // escapes and leave the fast path).
  decoders.push_back({"sse2", decodeSse2});
  if (__builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vbmi2")) {
    decoders.push_back({"avx512", decodeAvx512});
  }
#endif
  return decoders;
}

}  // namespace orvel::detail
