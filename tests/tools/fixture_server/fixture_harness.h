#pragma once
// Starts a fixture news server in-process for a test, with a small corpus
// directory written to a temporary folder, generated groups and a fixed clock.

#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "fixture_server/server.h"

namespace orvel::test {

// A corpus directory that is removed again at the end of the test.
class TempCorpus {
 public:
  TempCorpus();
  ~TempCorpus();
  void addArticle(const std::string& group, int number, const std::string& text);
  void addInfo(const std::string& group, const std::string& text);
  const std::filesystem::path& dir() const { return dir_; }

 private:
  std::filesystem::path dir_;
};

// 2024-01-01 00:00:00 UTC: the clock of every test server.
inline constexpr std::int64_t kTestNow = 1704067200;

struct TestServer {
  TempCorpus corpus;
  std::unique_ptr<fixture::ServerThread> thread;
  int port() const { return thread->port(); }
};

// A server with:
//   alt.gen     generated, articles 1-100, seed 1
//   alt.empty   generated, no articles
//   alt.corpus  from the corpus: articles 1, 2, 3 and 5 (see the .cpp)
//   alt.other   from the corpus: article 1, a cross-post with alt.corpus
std::unique_ptr<TestServer> startTestServer(fixture::ServerConfig config = {});

// The Message-ID of article n of a generated group.
std::string GeneratedId(const std::string& group, std::int64_t n, std::uint64_t seed = 1);

// The corpus article texts, as written to disk (LF line ends).
const std::map<int, std::string>& corpusArticles();

}  // namespace orvel::test
