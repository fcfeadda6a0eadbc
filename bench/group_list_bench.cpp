// A LIST of 100,000 groups: the lines parsed and merged into the lists, once
// as a first list (every group new) and once over a list that already knows
// them; and the same reply fed through a connection into a group list in
// 64 KB reads, from the status line to the terminating line.
#include <benchmark/benchmark.h>

#include "core/atomic_file.h"
#include "group_bench_support.h"
#include "groups/group_list.h"
#include "groups/list_merge.h"

namespace orvel {
namespace {

constexpr int kGroups = 100000;

// Names shaped like a real list: hierarchies of a few levels.
std::string groupName(int i) {
  static const char* const tops[] = {"alt", "comp", "rec", "sci", "soc", "news", "misc", "de"};
  return std::string(tops[i % 8]) + ".h" + std::to_string(i % 97) + ".sub" +
         std::to_string(i / 97 % 113) + ".group" + std::to_string(i);
}

// "name 0000012345 0000000001 y" lines, as INN writes them.
std::vector<std::string> listLines() {
  std::vector<std::string> lines;
  lines.reserve(kGroups);
  char numbers[40];
  for (int i = 0; i < kGroups; ++i) {
    std::snprintf(numbers, sizeof numbers, " %010d %010d y", 1000 + i, 1 + i % 500);
    lines.push_back(groupName(i) + numbers);
  }
  return lines;
}

void BM_ListMergeNewGroups(benchmark::State& state) {
  const auto lines = listLines();
  for (auto _ : state) {
    state.PauseTiming();
    auto lists = std::make_unique<GroupLists>();
    state.ResumeTiming();
    ListMerge merge(*lists, true);
    for (const auto& line : lines) merge.AddLine(line);
    merge.Finish();
    benchmark::DoNotOptimize(lists->all().size());
    state.PauseTiming();
    lists.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kGroups);
}
BENCHMARK(BM_ListMergeNewGroups)->Unit(benchmark::kMillisecond);

void BM_ListMergeKnownGroups(benchmark::State& state) {
  const auto lines = listLines();
  GroupLists lists;
  {
    ListMerge first(lists, true);
    for (const auto& line : lines) first.AddLine(line);
    first.Finish();
  }
  for (auto _ : state) {
    ListMerge merge(lists, true);
    for (const auto& line : lines) merge.AddLine(line);
    merge.Finish();
    benchmark::DoNotOptimize(lists.all().size());
  }
  state.SetItemsProcessed(state.iterations() * kGroups);
}
BENCHMARK(BM_ListMergeKnownGroups)->Unit(benchmark::kMillisecond);

// The whole reply through TNNTP's buffer, ReadDataLines and the merge, then
// the end of the list (LastUpdated, the shown list of 100,000 rows).
void BM_ListThroughGroupList(benchmark::State& state) {
  std::string reply = "215 Newsgroups follow\r\n";
  for (const auto& line : listLines()) reply += line + "\r\n";
  reply += ".\r\n";
  bench::GroupListBench b("orvel-list-bench");
  int run = 0;
  for (auto _ : state) {
    state.PauseTiming();
    b.profile->newsrcPath = b.dir.file("bench" + std::to_string(run++) + ".newsrc");
    SaveFileAtomically(b.profile->newsrcPath, "bench.seed!\r\n");
    auto list = b.openList();
    list->ListGroups(true);
    b.net.last->accept();
    b.net.last->receive("200 ready\r\n");
    b.net.last->receive("200 reader\r\n");
    state.ResumeTiming();
    for (std::size_t at = 0; at < reply.size(); at += 65536) {
      b.net.last->receive(std::string_view(reply).substr(at, 65536));
    }
    state.PauseTiming();
    if (list->busy() || list->lists().all().size() != kGroups) state.SkipWithError("list not merged");
    list.reset();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(reply.size()));
}
BENCHMARK(BM_ListThroughGroupList)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orvel
