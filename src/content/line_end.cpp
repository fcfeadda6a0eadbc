#include "content/line_end.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace orvel {

namespace {

inline bool endsLine(char c) { return c == '\r' || c == '\n' || c == '\0'; }

}  // namespace

std::size_t FindLineEnd(const char* text, std::size_t size) {
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i nul = _mm_setzero_si128();
  for (; i + 16 <= size; i += 16) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
    const __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(block, cr), _mm_cmpeq_epi8(block, lf)),
                                     _mm_cmpeq_epi8(block, nul));
    const auto mask = static_cast<unsigned>(_mm_movemask_epi8(hit));
    if (mask != 0) return i + static_cast<std::size_t>(__builtin_ctz(mask));
  }
#endif
  while (i < size && !endsLine(text[i])) ++i;
  return i;
}

}  // namespace orvel
