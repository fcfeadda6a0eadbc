// WrapText over a 10 MB article-like text (quoted and plain paragraphs of
// ragged lines), with and without join. Target: under 0.2 s per pass.

#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "core/wrap_text.h"

namespace {

std::string TenMegabytes() {
  std::mt19937 random(17);
  const char* prefixes[] = {"", "> ", ">> ", "> > ", "  "};
  std::string text;
  text.reserve(10'500'000);
  while (text.size() < 10'000'000) {
    const char* prefix = prefixes[random() % 5];
    const int lines = 1 + static_cast<int>(random() % 8);
    for (int i = 0; i < lines; ++i) {
      text += prefix;
      const int length = 20 + static_cast<int>(random() % 100);
      for (int column = 0; column < length; ++column) {
        text += random() % 6 == 0 ? ' ' : static_cast<char>('a' + random() % 26);
      }
      text += "\r\n";
    }
    text += "\r\n";
  }
  return text;
}

void BM_WrapText(benchmark::State& state) {
  static const std::string text = TenMegabytes();
  const bool join = state.range(0) != 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(orvel::WrapText(text, join, 72));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_WrapText)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
