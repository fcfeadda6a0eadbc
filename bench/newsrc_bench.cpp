// A newsrc of 100,000 groups with long read ranges: loading it (file read,
// parsing, the name index, the ".Orvelrc" tree) and saving it (normalising
// the subscribed groups' marks, writing both files atomically). The argument
// is the number of runs in each group's read ranges.
#include <benchmark/benchmark.h>

#include "core/atomic_file.h"
#include "group_bench_support.h"
#include "groups/group_list.h"
#include "groups/read_state_files.h"

namespace orvel {
namespace {

constexpr int kGroups = 100000;
constexpr int kSubscribedEvery = 10;  // one group in ten is subscribed

// "1-40,45-90,..." with the given number of runs.
std::string longRanges(int runs, int seed) {
  std::string text;
  int at = 1 + seed % 7;
  for (int r = 0; r < runs; ++r) {
    if (!text.empty()) text += ',';
    const int end = at + 20 + (seed + r) % 50;
    text += std::to_string(at) + '-' + std::to_string(end);
    at = end + 2 + (seed * 7 + r) % 5;
  }
  return text;
}

struct Files {
  std::string newsrc;
  std::string orvelrc;
};

Files makeFiles(int runs) {
  Files f;
  int category = 0;
  for (int i = 0; i < kGroups; ++i) {
    const bool subscribed = i % kSubscribedEvery == 0;
    const std::string name = "comp.bench.h" + std::to_string(i % 50) + ".group" + std::to_string(i);
    f.newsrc += name + (subscribed ? ": " : "! ") + longRanges(runs, i) + "\r\n";
    if (!subscribed) continue;
    if (i % 500 == 0) f.orvelrc += "+Category " + std::to_string(category++) + "\r\n";
    f.orvelrc += ",:" + name + "\r\n";
  }
  return f;
}

void BM_NewsrcLoad(benchmark::State& state) {
  const Files files = makeFiles(static_cast<int>(state.range(0)));
  bench::ScratchDir dir("orvel-newsrc-bench");
  const ReadStatePaths paths = ReadStatePathsFor(dir.file("bench.newsrc"));
  SaveFileAtomically(paths.newsrc, files.newsrc);
  SaveFileAtomically(paths.orvelrc, files.orvelrc);
  for (auto _ : state) {
    auto lists = std::make_unique<GroupLists>();
    std::string error;
    if (!LoadReadState(paths, *lists, &error)) state.SkipWithError(error.c_str());
    benchmark::DoNotOptimize(lists->all().size());
    state.PauseTiming();  // freeing 100,000 records is not loading
    lists.reset();
    state.ResumeTiming();
  }
  state.counters["file_MB"] = static_cast<double>(files.newsrc.size()) / 1e6;
}
BENCHMARK(BM_NewsrcLoad)->Arg(10)->Arg(40)->Unit(benchmark::kMillisecond);

void BM_NewsrcSave(benchmark::State& state) {
  const Files files = makeFiles(static_cast<int>(state.range(0)));
  bench::GroupListBench b("orvel-newsrc-bench");
  SaveFileAtomically(b.profile->newsrcPath, files.newsrc);
  SaveFileAtomically(b.dir.file("bench.Orvelrc"), files.orvelrc);
  const auto list = b.openList();
  std::int32_t next = 1000000;
  for (auto _ : state) {
    state.PauseTiming();
    // A read mark in every subscribed group: each one is normalised.
    for (const TGrpInfo* g : list->lists().subscribed()) list->MarkRead(g->name, next);
    list->SetExpanded(*list->lists().tree().front().category, next % 2 == 0);
    ++next;
    state.ResumeTiming();
    if (!list->SaveNewsRC()) state.SkipWithError("save failed");
  }
  state.counters["file_MB"] = static_cast<double>(files.newsrc.size()) / 1e6;
}
BENCHMARK(BM_NewsrcSave)->Arg(10)->Arg(40)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orvel
