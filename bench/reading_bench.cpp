// The reading commands on a million headers through the group session alone
// (no window): the corpus is stored as a group's header file, with one
// thread of 1,000 articles made in it, and the session opens the group on
// its stored headers. Measured: marking the 1,000-article thread read,
// closing and opening it, select-all then mark read, and catching the whole
// group up (navigation_bench measures the reading commands' walk). Run by
// hand.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

#include "articles/mailbox.h"
#include "articles/marking.h"
#include "articles/threading.h"
#include "config/main_state.h"
#include "content/group_session.h"
#include "corpus_fixture.h"
#include "group_bench_support.h"

namespace {

using namespace orvel;
using namespace orvel::bench;

constexpr std::int32_t kThreadFirst = 500001;  // its root: the next 999 articles reply to it
constexpr std::int32_t kThreadSize = 1000;

struct StoredGroup {
  GroupListBench surroundings{"orvel-reading-bench"};
  MainState main;
  std::unique_ptr<TGroupList> list;
  std::unique_ptr<GroupSession> session;
  TAThread* bigThread = nullptr;

  StoredGroup() {
    writeStore();
    std::FILE* newsrc = std::fopen(surroundings.profile->newsrcPath.c_str(), "wb");
    std::fputs((std::string(kCorpusGroup) + ":\r\n").c_str(), newsrc);
    std::fclose(newsrc);
    list = surroundings.openList();
    TGrpInfo* record = list->FindGroup(kCorpusGroup);
    if (!record) return;
    record->storage = StorageMode::Headers;
    GroupViewServices services{surroundings.pool, surroundings.clock, surroundings.prompter, main,
                               surroundings.dir.file(""), list.get()};
    GroupViewOptions options;
    session = std::make_unique<GroupSession>(services, surroundings.profile, *record, options,
                                             SessionOptions{});
    session->Open(OpenMode::StoredOnly);
    for (TNode* root : session->View().Roots()) {
      TAThread* t = root->AsThread();
      if (t && (!bigThread || t->Articles.size() > bigThread->Articles.size())) bigThread = t;
    }
    std::printf("%zu articles, %zu rows, largest thread %zu articles\n",
                session->View().MasterList().size(), session->View().Rows().size(),
                bigThread ? bigThread->Articles.size() : 0);
  }

  // The corpus as the group's header file, one long thread added.
  void writeStore() {
    CorpusView v;
    v.Parse(CorpusText());
    StringPool& pool = v.arena.Strings();
    std::string root;
    std::int32_t replies = 0;
    for (TArticle* a : v.lists.masterList) {
      if (a->Number == kThreadFirst) {
        root = std::string(a->MessageID.view());
      } else if (!root.empty() && replies < kThreadSize - 1) {
        a->SetReferences(pool, root);
        a->Subject = pool.Store("Re: the long thread");
        ++replies;
      }
    }
    std::filesystem::create_directories(surroundings.dir.file("data"));
    GroupNumbers numbers{1, kCorpusLines, true};
    TCacheBox box(StoreBodyPath(surroundings.dir.file(""), "bench", kCorpusGroup), &numbers);
    box.ApplyStorageChoice(kStoreHeaders);
    box.Modified = true;
    box.SaveHeaders(v.lists.masterList, false);
  }
};

StoredGroup& group() {
  static StoredGroup* g = new StoredGroup;
  return *g;
}

bool ready(benchmark::State& state) {
  if (group().session && group().bigThread) return true;
  state.SkipWithError("the stored group did not open");
  return false;
}

CommandContext allSelected() {
  CommandContext c;
  const auto rows = static_cast<std::int32_t>(group().session->View().Rows().size());
  c.selection.push_back(RowSpan{0, rows - 1});
  c.focusedRow = 0;
  return c;
}

void BM_MarkThreadRead(benchmark::State& state) {
  if (!ready(state)) return;
  TGroupView& view = group().session->View();
  std::vector<TNode*> thread{group().bigThread};
  bool read = true;
  for (auto _ : state) {
    MarkRows(view, read ? MarkOp::Read : MarkOp::Unread, thread);
    read = !read;
  }
  state.counters["articles"] = static_cast<double>(group().bigThread->Articles.size());
}
BENCHMARK(BM_MarkThreadRead)->Unit(benchmark::kMicrosecond);

void BM_CollapseAndExpandThread(benchmark::State& state) {
  if (!ready(state)) return;
  GroupSession& s = *group().session;
  TAThread& thread = *group().bigThread;
  for (auto _ : state) s.SetExpanded(thread, !thread.Expanded);
}
BENCHMARK(BM_CollapseAndExpandThread)->Unit(benchmark::kMicrosecond);

void BM_SelectAllThenMarkRead(benchmark::State& state) {
  if (!ready(state)) return;
  GroupSession& s = *group().session;
  const CommandContext all = allSelected();
  bool read = true;
  for (auto _ : state) {
    s.Execute(read ? "acaMarkRead" : "acaMarkUnread", all);
    read = !read;
  }
}
BENCHMARK(BM_SelectAllThenMarkRead)->Unit(benchmark::kMillisecond)->Iterations(6);

void BM_CatchUpWholeGroup(benchmark::State& state) {
  if (!ready(state)) return;
  GroupSession& s = *group().session;
  for (auto _ : state) {
    state.PauseTiming();
    MarkAll(s.View(), MarkOp::Unread);
    state.ResumeTiming();
    s.Execute("acaCatchUp");
  }
}
BENCHMARK(BM_CatchUpWholeGroup)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
