// Range texts at newsrc scale: normalising several megabytes of appended read
// marks, counting unread articles over long texts, and writing bit sets back.
#include <benchmark/benchmark.h>

#include "core/ranges.h"

namespace orvel {
namespace {

// Every third number from n down to 1, appended as MarkRead does.
ReadRanges appendedMarks(std::int32_t n) {
  ReadRanges r;
  for (std::int32_t k = n; k >= 1; k -= 3) MarkRead(r, k);
  return r;
}

void BM_NormaliseAppendedMarks(benchmark::State& state) {
  const ReadRanges source = appendedMarks(static_cast<std::int32_t>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    ReadRanges r = source;
    state.ResumeTiming();
    std::int32_t first = 1, last = static_cast<std::int32_t>(state.range(0));
    NormaliseRanges(r, first, last, true);
    benchmark::DoNotOptimize(r.text.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(source.text.size()));
  state.counters["text_bytes"] = static_cast<double>(source.text.size());
}
BENCHMARK(BM_NormaliseAppendedMarks)->Arg(100000)->Arg(3000000)->Unit(benchmark::kMillisecond);

void BM_CountUnreadWithBits(benchmark::State& state) {
  ReadRanges r = appendedMarks(static_cast<std::int32_t>(state.range(0)));
  std::int32_t first = 1, last = static_cast<std::int32_t>(state.range(0));
  NormaliseRanges(r, first, last, true);
  BitSet bits;
  for (auto _ : state) benchmark::DoNotOptimize(CountUnread(r.text, first, last, bits));
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(r.text.size()));
}
BENCHMARK(BM_CountUnreadWithBits)->Arg(3000000)->Unit(benchmark::kMillisecond);

void BM_RangesFromBits(benchmark::State& state) {
  BitSet bits(static_cast<std::int32_t>(state.range(0)));
  for (std::int32_t k = 0; k < bits.size(); k += 3) bits.set(k);
  for (auto _ : state) {
    benchmark::DoNotOptimize(RangesFromBits(bits, 1, bits.size(), false));
  }
}
BENCHMARK(BM_RangesFromBits)->Arg(3000000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orvel
