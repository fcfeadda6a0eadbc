// The group view's hot paths on a generated million-line overview corpus:
// ParseXOVER, one threading pass, saving and loading the header store, and
// the memory a loaded, threaded million takes.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdio>
#include <filesystem>
#include <memory>

#include "articles/mailbox.h"
#include "articles/threading.h"
#include "corpus_fixture.h"

namespace orvel::bench {
namespace {

// Parses the corpus into a fresh view per iteration; prepare sets the view
// up, untimed.
template <typename Prepare>
void parseCorpus(benchmark::State& state, Prepare prepare) {
  const std::string& text = CorpusText();
  for (auto _ : state) {
    state.PauseTiming();
    auto v = std::make_unique<CorpusView>();
    prepare(*v);
    state.ResumeTiming();
    v->Parse(text);
    benchmark::DoNotOptimize(v->lists.masterList.size());
    state.PauseTiming();
    if (v->lists.masterList.size() != static_cast<std::size_t>(kCorpusLines)) {
      state.SkipWithError("not every line became a record");
    }
    v.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kCorpusLines);
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}

void BM_ParseXOVER(benchmark::State& state) {
  parseCorpus(state, [](CorpusView&) {});
}
BENCHMARK(BM_ParseXOVER)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same lines read through a field map: a server whose LIST OVERVIEW.FMT
// names one more field after Xref leaves the default order's fast path.
void BM_ParseXOVERMapped(benchmark::State& state) {
  parseCorpus(state, [](CorpusView& v) {
    v.view.overviewFormat.clear();
    for (const char* field : {"Subject:", "From:", "Date:", "Message-ID:", "References:", ":bytes",
                              ":lines", "Xref:full", "Newsgroups:full"}) {
      v.view.overviewFormat.add(field);
    }
  });
}
BENCHMARK(BM_ParseXOVERMapped)->Unit(benchmark::kMillisecond)->Iterations(3);

// A digest of the thread shape (each row's kind, article number, depth and
// thread size) that a faster pass must leave unchanged.
std::uint64_t RowChecksum(const std::vector<TNode*>& rows) {
  std::uint64_t h = 0xcbf29ce484222325u;
  const auto mix = [&h](std::uint64_t v) { h = (h ^ v) * 0x100000001b3u; };
  for (const TNode* row : rows) {
    if (const TAThread* t = row->AsThread()) {
      mix(0xffffffffu);
      mix(t->Articles.size());
    } else {
      mix(static_cast<std::uint32_t>(row->AsArticle()->Number));
    }
    mix(static_cast<std::uint32_t>(row->Depth()));
  }
  return h;
}

void BM_ThreadArticles(benchmark::State& state) {
  CorpusView v;
  v.Parse(CorpusText());
  ThreadOptions options;
  ThreadStats stats;
  for (auto _ : state) ThreadArticles(v.lists, options, stats);
  state.SetItemsProcessed(state.iterations() * kCorpusLines);
  state.counters["roots"] = static_cast<double>(v.lists.rootList.size());
  state.counters["multipart"] = static_cast<double>(stats.multiPart);
  state.counters["complete"] = static_cast<double>(stats.completeMultiPart);
  char checksum[32];
  std::snprintf(checksum, sizeof checksum, "rows %016llx",
                static_cast<unsigned long long>(RowChecksum(v.lists.rowList)));
  state.SetLabel(checksum);
}
BENCHMARK(BM_ThreadArticles)->Unit(benchmark::kMillisecond)->Iterations(5);

std::string StorePath() {
  return (std::filesystem::temp_directory_path() / "orvel-bench-store.mbx").string();
}

void BM_SaveHeaders(benchmark::State& state) {
  CorpusView v;
  v.Parse(CorpusText());
  GroupNumbers numbers{1, kCorpusLines, true};
  TCacheBox box(StorePath(), &numbers);
  box.ApplyStorageChoice(kStoreHeaders);
  for (auto _ : state) {
    box.Modified = true;
    if (!box.SaveHeaders(v.lists.masterList, false)) state.SkipWithError("save failed");
  }
  state.SetItemsProcessed(state.iterations() * kCorpusLines);
  state.counters["file_bytes"] =
      static_cast<double>(std::filesystem::file_size(box.HeaderPath()));
  box.ApplyStorageChoice(kStoreNothing);
}
BENCHMARK(BM_SaveHeaders)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_LoadHeaders(benchmark::State& state) {
  GroupNumbers numbers{1, kCorpusLines, true};
  {
    CorpusView v;
    v.Parse(CorpusText());
    TCacheBox box(StorePath(), &numbers);
    box.ApplyStorageChoice(kStoreHeaders);
    box.Modified = true;
    box.SaveHeaders(v.lists.masterList, false);
  }
  TCacheBox box(StorePath(), &numbers);
  box.ApplyStorageChoice(kStoreHeaders);
  for (auto _ : state) {
    state.PauseTiming();
    auto v = std::make_unique<CorpusView>();
    state.ResumeTiming();
    if (!box.LoadHeaders(v->view, false)) state.SkipWithError("load failed");
    state.PauseTiming();
    if (v->lists.masterList.size() != static_cast<std::size_t>(kCorpusLines)) {
      state.SkipWithError("records lost");
    }
    v.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kCorpusLines);
  box.ApplyStorageChoice(kStoreNothing);
}
BENCHMARK(BM_LoadHeaders)->Unit(benchmark::kMillisecond)->Iterations(5);

// Resident memory added by parsing and threading the million, per article.
void BM_ResidentBytesPerArticle(benchmark::State& state) {
  CorpusText();
  for (auto _ : state) {
    // Pages kept by the allocator from the benchmarks run before would be
    // reused and hide what this one adds.
    ::malloc_trim(0);
    const std::int64_t before = ResidentBytes();
    auto v = std::make_unique<CorpusView>();
    v->Parse(CorpusText());
    ThreadOptions options;
    ThreadStats stats;
    ThreadArticles(v->lists, options, stats);
    const std::int64_t after = ResidentBytes();
    state.counters["bytes_per_article"] =
        static_cast<double>(after - before) / static_cast<double>(kCorpusLines);
    state.counters["arena_bytes_per_article"] =
        static_cast<double>(v->arena.MemoryUsed()) / static_cast<double>(kCorpusLines);
    state.counters["record_bytes"] = sizeof(TArticle);
  }
}
BENCHMARK(BM_ResidentBytesPerArticle)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace orvel::bench
