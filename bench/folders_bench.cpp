// Local folders: opening a folder of 100,000 archived articles to its rows
// (header file load, then threading), and rebuilding the header file from a
// 1 GB body file. The body files are generated once in the temporary
// directory and kept (their names carry their sizes).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "articles/article_arena.h"
#include "articles/mailbox.h"
#include "articles/store_io.h"
#include "articles/threading.h"

namespace orvel::bench {
namespace {

// One archived article: threads of eight, a few hundred bytes of body.
std::string articleText(std::int64_t n, std::size_t bodyBytes) {
  const std::int64_t root = n - n % 8;
  std::string text = "From: Poster " + std::to_string(n % 997) + " <p" + std::to_string(n % 997) +
                     "@example.com>\r\nSubject: " + (n == root ? "" : "Re: ") + "Topic " +
                     std::to_string(root) + "\r\nMessage-ID: <" + std::to_string(n) +
                     "@bench>\r\nDate: Tue, 03 Jun 2003 10:00:00 GMT\r\n";
  if (n != root) text += "References: <" + std::to_string(root) + "@bench>\r\n";
  text += "Xref: news.example:alt.bench." + std::to_string(n % 13) + "\r\n\r\n";
  while (text.size() < bodyBytes) text += "A line of an archived article's body text.\r\n";
  return text;
}

// A body file of entries as AddArticle writes them, made once.
std::string bodyFile(const std::string& name, std::int64_t count, std::size_t bodyBytes) {
  const auto dir = std::filesystem::temp_directory_path() / "orvel-bench-folders";
  std::filesystem::create_directories(dir);
  const std::string path = (dir / (name + ".mbx")).string();
  const std::string done = path + ".done";
  if (store_io::FileExists(done)) return path;
  store_io::Writer w;
  if (!w.openReplacing(path)) return path;
  for (std::int64_t n = 0; n < count; ++n) {
    const std::string text = articleText(n, bodyBytes);
    w.bytes(SeparatorLine(static_cast<std::int32_t>(text.size()), 37775.5, 0, 37775.5));
    w.bytes(text);
  }
  if (w.commit()) std::ofstream(done) << "1";
  return path;
}

void BM_OpenFolderToRows(benchmark::State& state) {
  const std::string path = bodyFile("archive-100k", 100000, 400);
  {
    TFolder build(path, kStoreArchive);  // writes the header file once
  }
  for (auto _ : state) {
    ArticleArena arena;
    ViewLists lists;
    ThreadStats stats;
    TFolder folder(path, kStoreArchive);
    folder.LoadHeaders(arena, lists.masterList);
    ThreadOptions options;
    options.sort.newsgroup = false;
    ThreadArticles(lists, options, stats);
    benchmark::DoNotOptimize(lists.rowList.size());
    state.counters["rows"] = static_cast<double>(lists.rowList.size());
  }
}
BENCHMARK(BM_OpenFolderToRows)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_RebuildHeaderFileOf1GB(benchmark::State& state) {
  // 100,000 entries of about 10 KB.
  const std::string path = bodyFile("archive-1g", 100000, 10 * 1024 + 300);
  state.counters["MB"] = static_cast<double>(store_io::FileSize(path)) / 1e6;
  for (auto _ : state) {
    state.PauseTiming();
    std::filesystem::remove(path.substr(0, path.size() - 4) + ".hdr");
    state.ResumeTiming();
    TFolder folder(path, kStoreArchive);  // no header file: rebuilt
    benchmark::DoNotOptimize(folder.DroppedBytes());
  }
}
BENCHMARK(BM_RebuildHeaderFileOf1GB)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace orvel::bench
