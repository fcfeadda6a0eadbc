// ParseXOVER of the million-line corpus without a scorer and with a score
// file of 200 rules over 10 sections that all apply to the corpus's group
// (Subject and From regexes, numeric Lines): scoring should cost at most
// half as much again as parsing.
#include <benchmark/benchmark.h>

#include <memory>

#include "corpus_fixture.h"
#include "user_time.h"
#include "scoring/group_scorer.h"

namespace orvel::bench {
namespace {

const char* const kWords[] = {"wanted", "money",  "free",   "fast",   "linux",  "offer",
                              "urgent", "iso",    "yEnc",   "sale",   "cheap",  "help",
                              "audio",  "video",  "backup", "party",  "review", "news"};
const char* const kSections[] = {"alt\\.test", "corpus", "^alt\\.", "test\\.corpus$", "\\.",
                                 "alt",        "t\\.c",  "^a",      "s",              "."};

std::string ScoreFileText() {
  std::string text;
  int rule = 0;
  for (const char* section : kSections) {
    text += std::string("[") + section + "]\n";
    for (int i = 0; i < 20; ++i, ++rule) {
      const char* word = kWords[rule % std::size(kWords)];
      text += "Score:" + std::string(rule % 5 == 0 ? ":" : "") + " " +
              std::to_string(rule % 7 - 3) + "\n";
      switch (rule % 3) {
        case 0: text += std::string("Subject: \\b") + word + std::to_string(rule % 4) + "\\b\n"; break;
        case 1: text += "From: ^" + std::string(word) + "[a-z]*\\.\\w+@\n"; break;
        default: text += "Lines: " + std::to_string(1000 + rule * 50) + "\n"; break;
      }
      if (rule % 4 == 0) text += std::string("~Subject: ") + word + "\n";
    }
  }
  return text;
}

void BM_ParseXOVER(benchmark::State& state, bool scored) {
  const std::string& text = CorpusText();
  ScoreLoadOptions options;
  ScoreParse parse = ParseScoreText(ScoreFileText(), options);
  if (!parse.ok()) state.SkipWithError(parse.error.c_str());
  GroupScorer scorer;
  scorer.Select(kCorpusGroup, parse.sections);
  if (scorer.Sections().size() != std::size(kSections)) state.SkipWithError("sections not chosen");
  std::int64_t scoredArticles = 0;
  double user = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto v = std::make_unique<CorpusView>();
    if (scored) v->view.scorer = &scorer;
    v->view.options.hardKill = false;
    state.ResumeTiming();
    {
      UserTimer timer(user);
      v->Parse(text);
    }
    benchmark::DoNotOptimize(v->lists.masterList.size());
    state.PauseTiming();
    scoredArticles = 0;
    for (const TArticle* a : v->lists.masterList) scoredArticles += a->Score != 0;
    v.reset();
    state.ResumeTiming();
  }
  state.counters["scored"] = static_cast<double>(scoredArticles);
  state.counters["user_s"] = benchmark::Counter(user, benchmark::Counter::kAvgIterations);
  state.SetItemsProcessed(state.iterations() * kCorpusLines);
}
BENCHMARK_CAPTURE(BM_ParseXOVER, unscored, false)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(BM_ParseXOVER, scored_200_rules, true)->Unit(benchmark::kMillisecond)->Iterations(3);

// The scoring alone, on the articles of one unscored parse: what scoring
// adds to the download, apart from the allocation noise of parsing.
void BM_ScoreParsed(benchmark::State& state) {
  ScoreParse parse = ParseScoreText(ScoreFileText(), ScoreLoadOptions{});
  GroupScorer scorer;
  scorer.Select(kCorpusGroup, parse.sections);
  auto v = std::make_unique<CorpusView>();
  v->Parse(CorpusText());
  std::int64_t scored = 0;
  double user = 0;
  for (auto _ : state) {
    UserTimer timer(user);
    scored = 0;
    for (const TArticle* a : v->lists.masterList) scored += scorer.Score(*a, {}, nullptr) != 0;
  }
  state.counters["scored"] = static_cast<double>(scored);
  state.counters["user_s"] = benchmark::Counter(user, benchmark::Counter::kAvgIterations);
  state.SetItemsProcessed(state.iterations() * kCorpusLines);
}
BENCHMARK(BM_ScoreParsed)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace orvel::bench
