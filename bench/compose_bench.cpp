// Opening a follow-up to a 100,000-line article: the answer taken from the
// rendered article, quoted with the attribution, rewrapped (some quoted
// lines are too long) and given the signature; then its queued text.
// Target: under 0.5 s to open.

#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "config/main_state.h"
#include "core/null_prompter.h"
#include "posting/compose_session.h"
#include "posting/queued_text.h"

namespace {

orvel::AnsweredArticle longArticle(int lines) {
  std::mt19937 random(7);
  orvel::AnsweredArticle article;
  article.headers.subject = "Essai";
  article.headers.fromName = "Jean";
  article.headers.fromAddress = "jean@example.fr";
  article.headers.newsgroups = "fr.test";
  article.headers.messageId = "<1@example.fr>";
  article.body.reserve(static_cast<std::size_t>(lines) * 70);
  for (int i = 0; i < lines; ++i) {
    if (i % 9 == 0) article.body += "> ";
    const int length = 20 + static_cast<int>(random() % (i % 13 == 0 ? 120 : 55));
    for (int c = 0; c < length; ++c) {
      article.body += random() % 6 == 0 ? ' ' : static_cast<char>('a' + random() % 26);
    }
    article.body += "\r\n";
  }
  return article;
}

struct Setup {
  Setup() {
    main.headerLinePattern.Compile(orvel::kHeaderLinePattern);
    main.identities.push_back({orvel::kDefaultIdentityName, "Ann", "ann@example.fr", "",
                               "ann@example.fr", "", ""});
  }
  orvel::MainState main;
  orvel::NullPrompter prompter;
};

void BM_OpenFollowUp(benchmark::State& state) {
  static Setup setup;
  static const orvel::AnsweredArticle article = longArticle(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    orvel::ComposeSession session({&setup.main, nullptr, "/nonexistent/", "", "", {}, 0},
                                  setup.prompter);
    session.OpenAnswer(orvel::ComposeKind::FollowUp, article, "fr.test");
    benchmark::DoNotOptimize(session.Message().body.size());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_OpenFollowUp)->Arg(100'000)->Unit(benchmark::kMillisecond);

void BM_QueuedTextOfFollowUp(benchmark::State& state) {
  static Setup setup;
  static const orvel::AnsweredArticle article = longArticle(static_cast<int>(state.range(0)));
  orvel::ComposeSession session({&setup.main, nullptr, "/nonexistent/", "", "", {}, 0},
                                setup.prompter);
  session.OpenAnswer(orvel::ComposeKind::FollowUp, article, "fr.test");
  for (auto _ : state) {
    benchmark::DoNotOptimize(orvel::BuildQueuedText(session.Message(), 45000, 0).text.size());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_QueuedTextOfFollowUp)->Arg(100'000)->Unit(benchmark::kMillisecond);

}  // namespace
