// Opening a group of ten million headers from the header store: the file
// is written once from generated overview lines (not timed), then each
// iteration loads it into a fresh view and threads it, up to the rows the
// list would paint first, either by threading or from the threads a view
// kept beside the store. Peak memory is the process's high-water mark of
// resident memory during the iteration, less what it held before. On a
// shared machine the wall times follow the other load; the user and system
// times of each phase (thread_user_ms, thread_sys_ms...) are steadier. They
// are the whole process's: the system times include the helper threads that
// fill fresh arena pages beside the loading thread.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>

#include "articles/article_arena.h"
#include "articles/mailbox.h"
#include "articles/thread_layout.h"
#include "articles/threading.h"
#include "articles/xover.h"
#include "corpus.h"

namespace orvel::bench {
namespace {

constexpr std::int32_t kHeaders = 10000000;
constexpr const char* kGroup = "alt.test.corpus";

struct BigView {
  ArticleArena arena;
  ViewLists lists;
  XoverView view{arena, lists};
  BigView() {
    view.groupName = kGroup;
    view.SizeSets(1, kHeaders);
    view.linesExpected = kHeaders;
    lists.masterList.reserve(kHeaders);
  }
};

// Each benchmark has a store of its own: the kept-threads one rewrites its
// store in the threaded order.
std::string storePath(std::string_view name) {
  return (std::filesystem::temp_directory_path() / ("orvel-bench-store-" + std::string(name) + ".mbx"))
      .string();
}

// With ORVEL_BENCH_KEEP_STORES set, the stores stay in the temporary
// directory after the run and the next run opens them as they are, without
// the minute of writing them (for profiling the opening again and again).
bool keepStores() {
  const char* keep = std::getenv("ORVEL_BENCH_KEEP_STORES");
  return keep && *keep;
}

bool keptStoreFound(const std::string& path, GroupNumbers& numbers) {
  return keepStores() && std::filesystem::exists(TCacheBox(path, &numbers).HeaderPath());
}

void removeStore(const std::string& path, GroupNumbers& numbers) {
  if (!keepStores()) TCacheBox(path, &numbers).ApplyStorageChoice(kStoreNothing);
}

// Writes the store from the corpus, a block of lines at a time.
void writeStore(const std::string& path, GroupNumbers& numbers) {
  if (keptStoreFound(path, numbers)) return;
  auto v = std::make_unique<BigView>();
  corpus::Corpus c(kGroup, 1);
  constexpr std::int32_t kBlock = 100000;
  std::string text;
  for (std::int32_t first = 1; first <= kHeaders; first += kBlock) {
    text.clear();
    for (std::int32_t n = first; n < first + kBlock && n <= kHeaders; ++n) text += c.OverviewLine(n);
    bool done = false;
    ParseXOVER(v->view, nullptr, text, done);
  }
  TCacheBox box(path, &numbers);
  box.ApplyStorageChoice(kStoreHeaders);
  box.Modified = true;
  box.SaveHeaders(v->lists.masterList, false);
}

struct CpuTimes {
  double user = 0;  // milliseconds
  double system = 0;
};

CpuTimes cpuTimes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto ms = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3;
  };
  return {ms(usage.ru_utime), ms(usage.ru_stime)};
}

// Kilobytes of the named line of /proc/self/status.
std::int64_t statusKilobytes(const char* name) {
  std::ifstream status("/proc/self/status");
  std::string key;
  std::int64_t value = 0;
  while (status >> key) {
    if (key == name) {
      status >> value;
      return value;
    }
    status.ignore(1 << 10, '\n');
  }
  return -1;
}

ThreadLayoutFiles layoutFiles(const TCacheBox& box) { return {box.ThreadLayoutPath(), box.HeaderPath()}; }

// Loads the store into a fresh view and threads it with threadView, each
// iteration, with the figures of both phases.
template <typename ThreadView>
void openStore(benchmark::State& state, const std::string& path, GroupNumbers& numbers,
               ThreadView&& threadView) {
  for (auto _ : state) {
    state.PauseTiming();
    const std::int64_t before = statusKilobytes("VmRSS:");
    std::ofstream("/proc/self/clear_refs") << "5";  // restarts VmHWM from now
    state.ResumeTiming();
    auto v = std::make_unique<BigView>();
    TCacheBox box(path, &numbers);
    box.ApplyStorageChoice(kStoreHeaders);
    const CpuTimes cpuStart = cpuTimes();
    const auto start = std::chrono::steady_clock::now();
    if (!box.LoadHeaders(v->view, false)) state.SkipWithError("load failed");
    const auto loaded = std::chrono::steady_clock::now();
    const CpuTimes cpuLoaded = cpuTimes();
    state.counters["load_peak_MB"] = static_cast<double>(statusKilobytes("VmHWM:") - before) / 1024.0;
    if (!threadView(box, v->lists)) state.SkipWithError("threading failed");
    const auto threaded = std::chrono::steady_clock::now();
    const CpuTimes cpuThreaded = cpuTimes();
    benchmark::DoNotOptimize(v->lists.rowList.data());
    state.PauseTiming();
    state.counters["load_ms"] = std::chrono::duration<double, std::milli>(loaded - start).count();
    state.counters["thread_ms"] = std::chrono::duration<double, std::milli>(threaded - loaded).count();
    state.counters["load_user_ms"] = cpuLoaded.user - cpuStart.user;
    state.counters["load_sys_ms"] = cpuLoaded.system - cpuStart.system;
    state.counters["thread_user_ms"] = cpuThreaded.user - cpuLoaded.user;
    state.counters["thread_sys_ms"] = cpuThreaded.system - cpuLoaded.system;
    state.counters["headers"] = static_cast<double>(v->lists.masterList.size());
    state.counters["rows"] = static_cast<double>(v->lists.rowList.size());
    state.counters["peak_MB"] = static_cast<double>(statusKilobytes("VmHWM:") - before) / 1024.0;
    state.counters["file_MB"] =
        static_cast<double>(std::filesystem::file_size(box.HeaderPath())) / (1 << 20);
    v.reset();
    ::malloc_trim(0);
    state.ResumeTiming();
  }
}

void BM_OpenStore10M(benchmark::State& state) {
  GroupNumbers numbers{1, kHeaders, true};
  const std::string path = storePath("10m");
  writeStore(path, numbers);
  ::malloc_trim(0);
  openStore(state, path, numbers, [](TCacheBox&, ViewLists& lists) {
    ThreadOptions options;
    ThreadStats stats;
    ThreadArticles(lists, options, stats);
    return true;
  });
  removeStore(path, numbers);
}
BENCHMARK(BM_OpenStore10M)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// The same group once a view of it was closed: the store saved in the
// threaded order with the threads kept beside it (not timed, but the
// layout's writing is counted), and each opening places the articles from
// the layout instead of threading.
void BM_OpenStore10MKeptThreads(benchmark::State& state) {
  GroupNumbers numbers{1, kHeaders, true};
  const std::string path = storePath("10m-kept");
  const bool kept = keptStoreFound(path, numbers);
  writeStore(path, numbers);
  const ThreadOptions options;
  if (!kept || !ThreadLayoutCurrent(layoutFiles(TCacheBox(path, &numbers)))) {
    auto v = std::make_unique<BigView>();
    TCacheBox box(path, &numbers);
    box.ApplyStorageChoice(kStoreHeaders);
    ThreadStats stats;
    if (!box.LoadHeaders(v->view, false)) state.SkipWithError("load failed");
    ThreadArticles(v->lists, options, stats);
    box.Modified = true;
    box.SaveHeaders(v->lists.masterList, false);
    const auto start = std::chrono::steady_clock::now();
    if (!SaveThreadLayout(layoutFiles(box), v->lists, options)) state.SkipWithError("layout not saved");
    state.counters["layout_save_ms"] =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    state.counters["layout_MB"] =
        static_cast<double>(std::filesystem::file_size(box.ThreadLayoutPath())) / (1 << 20);
  }
  ::malloc_trim(0);
  openStore(state, path, numbers, [&](TCacheBox& box, ViewLists& lists) {
    ThreadStats stats;
    return ThreadFromLayout(layoutFiles(box), lists, options, stats);
  });
  removeStore(path, numbers);
}
BENCHMARK(BM_OpenStore10MKeptThreads)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace
}  // namespace orvel::bench
