// The reading commands' walk on the threaded million-line corpus: next unread
// from the first article past 100,000 read articles, forward and back.
#include <benchmark/benchmark.h>

#include "articles/navigation.h"
#include "articles/threading.h"
#include "corpus_fixture.h"

namespace orvel::bench {
namespace {

constexpr int kReadArticles = 100000;

struct ReadCorpus {
  CorpusView v;
  const TNode* firstRow = nullptr;
  TArticle* firstUnread = nullptr;
  ReadCorpus() {
    v.Parse(CorpusText());
    ThreadStats stats;
    ThreadArticles(v.lists, ThreadOptions{}, stats);
    for (TArticle* a : v.lists.masterList) a->SetRead(false);
    // From the first row, read or not, the walk passes every read article.
    firstRow = v.lists.rowList.front();
    TNode* root = v.lists.rootList.front();
    TAThread* t = root->AsThread();
    NavPosition p = t ? NavPosition{t->Articles.front(), t}
                      : NavPosition{root->AsArticle(), nullptr};
    for (int i = 0; i < kReadArticles && p.article; ++i) {
      p.article->SetRead(true);
      p = StepArticle(v.lists.rootList, p, +1);
    }
    firstUnread = p.article;
  }
};

ReadCorpus& Corpus() {
  static ReadCorpus c;
  return c;
}

void BM_NextUnreadPastReadArticles(benchmark::State& state) {
  ReadCorpus& c = Corpus();
  const NavQuery query{c.v.lists.rootList, c.v.lists.rowList, c.firstRow};
  for (auto _ : state) {
    const NavResult r = FindTarget(query, NavAction::NextUnread);
    if (r.article != c.firstUnread) state.SkipWithError("next unread missed the first unread");
    benchmark::DoNotOptimize(r);
  }
  state.SetItemsProcessed(state.iterations() * kReadArticles);
}
BENCHMARK(BM_NextUnreadPastReadArticles)->Unit(benchmark::kMillisecond);

void BM_PrevUnreadPastReadArticles(benchmark::State& state) {
  ReadCorpus& c = Corpus();
  // From the first unread back over the read ones: nothing before them.
  const NavQuery query{c.v.lists.rootList, c.v.lists.rowList, c.firstUnread};
  for (auto _ : state) {
    const NavResult r = FindTarget(query, NavAction::PrevUnread);
    if (r.found()) state.SkipWithError("an unread article before the read ones");
    benchmark::DoNotOptimize(r);
  }
  state.SetItemsProcessed(state.iterations() * kReadArticles);
}
BENCHMARK(BM_PrevUnreadPastReadArticles)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orvel::bench
