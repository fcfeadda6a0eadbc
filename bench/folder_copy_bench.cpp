// Copying 10,000 stored articles of a group into a folder: the batch engine
// takes each text from the group's body store, walks it and appends it with
// its record to the folder's store (target: 5 s).

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "articles/article_arena.h"
#include "content/batch.h"
#include "content/folder_transfer.h"
#include "core/null_prompter.h"

namespace orvel {
namespace {

constexpr int kArticles = 10'000;

std::string articleText(int n) {
  std::string text = "From: Poster <poster@example.invalid>\r\nSubject: Article " +
                     std::to_string(n) + "\r\nMessage-ID: <" + std::to_string(n) +
                     "@bench.invalid>\r\nNewsgroups: alt.bench\r\n\r\n";
  for (int line = 0; line < 40; ++line) {
    text += "A line of the body of a typical short article, number " + std::to_string(line) + "\r\n";
  }
  return text;
}

// The group's articles with their bodies in the group's store.
class StoredGroupHost final : public BatchHost {
 public:
  StoredGroupHost(const std::string& dir, TransferTarget& target)
      : store_(dir + "/group.mbx", &numbers_), target_(target) {
    store_.BodiesStored = true;
    StringPool& pool = arena_.Strings();
    for (int n = 1; n <= kArticles; ++n) {
      TArticle* a = arena_.New();
      a->Number = n;
      a->MessageID = pool.Store("<" + std::to_string(n) + "@bench.invalid>");
      a->Subject = pool.Share("Article " + std::to_string(n));
      a->SetFrom(pool, "Poster", "poster@example.invalid");
      store_.StoreBody(*a, articleText(n));
      articles_.push_back(a);
    }
  }
  const std::vector<TArticle*>& articles() const { return articles_; }

  BatchArticleInfo articleInfo(BatchItem item) const override {
    BatchArticleInfo info;
    info.bytes = reinterpret_cast<TArticle*>(item)->Bytes;
    return info;
  }
  bool isOnline() const override { return false; }
  bool storedText(BatchItem item, std::string& text) override {
    return store_.ReadBody(*reinterpret_cast<TArticle*>(item), text);
  }
  bool fetchArticle(BatchItem, std::string_view) override { return false; }
  void setQueuePosition(BatchItem item, int position) override {
    reinterpret_cast<TArticle*>(item)->QueuePosition = position;
  }
  void articleDone(BatchItem) override {}
  void articleInterrupted(BatchItem) override {}
  void markMissing(BatchItem) override {}
  bool requeueFromAlternative(BatchItem) override { return false; }
  bool storeBody(BatchItem, std::string_view) override { return false; }
  bool otherOperation(BatchOperation, BatchItem item, std::string_view text) override {
    const TransferSource source{kStoreNewsgroup, "bench", "alt.bench"};
    TArticle record = TransferRecord(*reinterpret_cast<TArticle*>(item), source, kStoreArchive);
    return target_.Add(record, text, "bench:alt.bench");
  }
  void batchEnded() override {}

 private:
  GroupNumbers numbers_{1, kArticles, true};
  ArticleArena arena_;
  TCacheBox store_;
  TransferTarget& target_;
  std::vector<TArticle*> articles_;
};

void BM_CopyStoredArticlesIntoFolder(benchmark::State& state) {
  const std::string dir = std::filesystem::temp_directory_path() / "orvel_folder_copy_bench";
  for (auto _ : state) {
    state.PauseTiming();
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    StoreTransferTarget target("Keep", dir + "/Keep.mbx", kStoreArchive);
    StoredGroupHost host(dir, target);
    NullPrompter prompter;
    TBatch batch(host, prompter, BatchSettings{});
    for (TArticle* a : host.articles()) batch.Append(reinterpret_cast<BatchItem>(a));
    state.ResumeTiming();
    batch.Start(BatchOperation::Copy);
    if (batch.doneCount() != kArticles) state.SkipWithError("not every article was copied");
  }
  std::filesystem::remove_all(dir);
  state.counters["articles"] = kArticles;
}
BENCHMARK(BM_CopyStoredArticlesIntoFolder)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace orvel
