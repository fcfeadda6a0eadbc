// Vectorised yEnc line decoders (x86-64: SSE2 always, AVX2 when the
// processor has it). A block of 16 or 32 bytes is lowered by 42 and stored
// whole; when it holds "=" or NUL, only the bytes before the first of them
// count, that byte is handled by the scalar rules, and the next block starts
// after it. The bytes left after the last whole block go to the next smaller
// decoder, down to the scalar one, so every decoder ends a line exactly as
// the scalar one does.

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

// The rest of the line, from i and j on, by the next smaller decoder.
inline YEncLineResult finish(YEncLineDecoder next, std::string_view line, std::size_t i, char* out,
                             std::size_t j) {
  const YEncLineResult rest = next(line.substr(i), out + j);
  return {j + rest.size, rest.ok};
}

YEncLineResult decodeSse2(std::string_view line, char* out) {
  const auto* in = reinterpret_cast<const unsigned char*>(line.data());
  const std::size_t n = line.size();
  auto* o = reinterpret_cast<unsigned char*>(out);
  const __m128i equals = _mm_set1_epi8('=');
  const __m128i zero = _mm_setzero_si128();
  const __m128i k42 = _mm_set1_epi8(42);
  std::size_t i = 0;
  std::size_t j = 0;
  // j <= i throughout, so a whole block stored at o + j stays within n.
  while (i + 16 <= n) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
    const unsigned special = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, equals), _mm_cmpeq_epi8(v, zero))));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(o + j), _mm_sub_epi8(v, k42));
    if (special == 0) {
      i += 16;
      j += 16;
      continue;
    }
    const unsigned plain = static_cast<unsigned>(__builtin_ctz(special));
    i += plain;
    j += plain;
    const Special s = decodeSpecial(in, n, i, o, j);
    if (s != Special::Continue) return {j, s == Special::EndOfLine};
  }
  return finish(DecodeYEncScalar, line, i, out, j);
}

__attribute__((target("avx2"))) YEncLineResult decodeAvx2(std::string_view line, char* out) {
  const auto* in = reinterpret_cast<const unsigned char*>(line.data());
  const std::size_t n = line.size();
  auto* o = reinterpret_cast<unsigned char*>(out);
  const __m256i equals = _mm256_set1_epi8('=');
  const __m256i zero = _mm256_setzero_si256();
  const __m256i k42 = _mm256_set1_epi8(42);
  std::size_t i = 0;
  std::size_t j = 0;
  while (i + 32 <= n) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + i));
    const auto special = static_cast<unsigned>(_mm256_movemask_epi8(
        _mm256_or_si256(_mm256_cmpeq_epi8(v, equals), _mm256_cmpeq_epi8(v, zero))));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(o + j), _mm256_sub_epi8(v, k42));
    if (special == 0) {
      i += 32;
      j += 32;
      continue;
    }
    const unsigned plain = static_cast<unsigned>(__builtin_ctz(special));
    i += plain;
    j += plain;
    const Special s = decodeSpecial(in, n, i, o, j);
    if (s != Special::Continue) return {j, s == Special::EndOfLine};
  }
  return finish(decodeSse2, line, i, out, j);
}

#endif

}  // namespace

std::vector<NamedYEncDecoder> YEncDecoders() {
  std::vector<NamedYEncDecoder> decoders{{"scalar", DecodeYEncScalar}};
#if defined(__x86_64__)
  decoders.push_back({"sse2", decodeSse2});
  __builtin_cpu_init();  // this may run before the static constructors
  if (__builtin_cpu_supports("avx2")) decoders.push_back({"avx2", decodeAvx2});
#endif
  return decoders;
}

}  // namespace orvel::detail
