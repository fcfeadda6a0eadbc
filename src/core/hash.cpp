#include "core/hash.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace orvel {

namespace {
constexpr std::size_t kHugePage = 2 << 20;

std::size_t roundedToHugePages(std::size_t bytes) {
  return (bytes + kHugePage - 1) / kHugePage * kHugePage;
}
}  // namespace

// On Linux a large block is a mapping of its own, not malloc's: once a large
// block has been freed, malloc serves the next ones from its heap, where the
// alignment's slack and the freed space around them stay resident (opening
// ten million headers after another view was closed held 0.5 GB more).
void* AllocateLargeBlock(std::size_t bytes, bool hugePages) {
  if (bytes < kHugePage) {
    void* block = std::malloc(bytes ? bytes : 1);
    if (!block) throw std::bad_alloc();
    return block;
  }
  const std::size_t rounded = roundedToHugePages(bytes);
#if defined(__linux__)
  // Map a huge page more than needed and unmap what lies outside the aligned
  // part.
  const std::size_t mapped = rounded + kHugePage;
  void* map = ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (map == MAP_FAILED) throw std::bad_alloc();
  char* base = static_cast<char*>(map);
  const auto address = reinterpret_cast<std::uintptr_t>(base);
  char* block = base + (kHugePage - address % kHugePage) % kHugePage;
  if (block > base) ::munmap(base, static_cast<std::size_t>(block - base));
  char* end = block + rounded;
  if (end < base + mapped) ::munmap(end, static_cast<std::size_t>(base + mapped - end));
#if defined(MADV_HUGEPAGE) && defined(MADV_NOHUGEPAGE)
  ::madvise(block, rounded, hugePages ? MADV_HUGEPAGE : MADV_NOHUGEPAGE);
#endif
  return block;
#else
  (void)hugePages;
  void* block = std::aligned_alloc(kHugePage, rounded);
  if (!block) throw std::bad_alloc();
  return block;
#endif
}

void FreeLargeBlock(void* block, std::size_t bytes) {
  if (!block) return;
#if defined(__linux__)
  if (bytes >= kHugePage) {
    ::munmap(block, roundedToHugePages(bytes));
    return;
  }
#else
  (void)bytes;
#endif
  std::free(block);
}

}  // namespace orvel

namespace orvel::hash_detail {

namespace {

// Bucket counts: primes from 17 to 51503, about 180 apart past the first few.
constexpr std::array<std::int32_t, kBucketPrimeCount> kPrimes = {
    17, 31, 127, 233, 353, 467, 607, 739, 877, 1019, 1153, 1297,
    1381, 1523, 1663, 1823, 1993, 2131, 2221, 2371, 2557, 2741, 2927, 3109,
    3299, 3469, 3659, 3847, 4019, 4201, 4391, 4567, 4751, 4931, 5119, 5297,
    5483, 5669, 5849, 6029, 6211, 6397, 6577, 6761, 6947, 7127, 7309, 7499,
    7681, 7867, 8053, 8231, 8419, 8597, 8779, 8963, 9137, 9323, 9511, 9689,
    9871, 10061, 10243, 10427, 10601, 10789, 10973, 11149, 11351, 11519, 11699, 11887,
    12071, 12251, 12433, 12613, 12799, 12979, 13163, 13367, 13537, 13709, 13901, 14081,
    14281, 14447, 14627, 14813, 15013, 15173, 15359, 15541, 15727, 15907, 16087, 16273,
    16453, 16649, 16823, 17011, 17189, 17377, 17551, 17737, 17921, 18119, 18287, 18481,
    18661, 18839, 19013, 19207, 19379, 19571, 19751, 19937, 20113, 20297, 20477, 20663,
    20849, 21031, 21211, 21391, 21577, 21757, 21943, 22123, 22307, 22501, 22679, 22859,
    23039, 23227, 23417, 23593, 23773, 23957, 24137, 24317, 24509, 24683, 24877, 25057,
    25237, 25423, 25601, 25793, 25969, 26153, 26339, 26513, 26699, 26879, 27061, 27253,
    27427, 27611, 27793, 27983, 28163, 28349, 28537, 28711, 28901, 29077, 29269, 29443,
    29629, 29803, 29989, 30169, 30367, 30539, 30727, 30911, 31091, 31267, 31469, 31643,
    31817, 32003, 32183, 32369, 32561, 32749, 32917, 33107, 33287, 33461, 33647, 33827,
    34019, 34211, 34381, 34583, 34747, 34939, 35107, 35291, 35491, 35671, 35839, 36037,
    36209, 36389, 36571, 36761, 36943, 37123, 37307, 37489, 37691, 37853, 38039, 38219,
    38431, 38593, 38767, 38953, 39133, 39313, 39499, 39679, 39863, 40063, 40231, 40423,
    40597, 40787, 40961, 41143, 41333, 41513, 41719, 41879, 42061, 42257, 42433, 42611,
    42793, 42979, 43159, 43391, 43541, 43711, 43889, 44071, 44257, 44449, 44617, 44809,
    44983, 45179, 45361, 45533, 45737, 45943, 46091, 46271, 46447, 46633, 46817, 46997,
    47189, 47363, 47543, 47737, 47911, 48109, 48281, 48463, 48647, 48823, 49009, 49193,
    49391, 49559, 49739, 49921, 50111, 50287, 50383, 50599, 50873, 51131, 51341, 51503,
};

static_assert(kPrimes.front() == 17 && kPrimes.back() == kLargestPrime);

}  // namespace

const std::int32_t* BucketPrimes() { return kPrimes.data(); }

std::int32_t BucketCountFor(std::int32_t n) {
  if (n > kLargestPrime) return n;
  return *std::lower_bound(kPrimes.begin(), kPrimes.end(), n);
}

}  // namespace orvel::hash_detail
