// The article writer encoding a 200 MB file with yEnc in 400 KB parts to a
// sink that only counts: the rate of input bytes (reads from the page cache).

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "posting/article_writer.h"

namespace {

constexpr std::uint64_t kFileSize = 200ull * 1000 * 1000;

class CountingSink final : public orvel::LineSink {
 public:
  void Line(std::string_view text) override { bytes += text.size() + 2; }
  std::uint64_t bytes = 0;
};

// Made once per run in a temporary directory, removed at exit.
const orvel::PostFile& benchFile() {
  static const struct File {
    File() {
      dir = std::filesystem::temp_directory_path() / ("orvel_poster_bench_" + std::to_string(::getpid()));
      std::filesystem::create_directories(dir);
      file = {(dir / "big.bin").string(), "big.bin", kFileSize};
      std::ofstream out(file.path, std::ios::binary);
      std::mt19937_64 random(42);
      std::vector<std::uint64_t> block(1 << 16);
      for (std::uint64_t written = 0; written < kFileSize;) {
        for (auto& word : block) word = random();
        const std::uint64_t n = std::min<std::uint64_t>(block.size() * 8, kFileSize - written);
        out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(n));
        written += n;
      }
    }
    ~File() { std::filesystem::remove_all(dir); }
    std::filesystem::path dir;
    orvel::PostFile file;
  } made;
  return made.file;
}

void BM_YEncWriteFile(benchmark::State& state) {
  orvel::PostJob job;
  job.groups = "alt.binaries.test";
  job.subject = "bench";
  job.option = 1;
  job.yEnc = true;
  job.cutSize = 400000;
  job.files = {benchFile()};
  orvel::WriterEnvironment env;
  env.random = [] { return 1u; };
  for (auto _ : state) {
    orvel::ArticleWriter writer(job, orvel::PostTarget::News, env);
    CountingSink sink;
    std::string error;
    while (writer.WriteNext(sink, error) == orvel::WriteResult::Written) {
    }
    if (!error.empty()) state.SkipWithError(error.c_str());
    benchmark::DoNotOptimize(sink.bytes);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kFileSize));
}
BENCHMARK(BM_YEncWriteFile)->Unit(benchmark::kMillisecond)->MinTime(3);

}  // namespace
