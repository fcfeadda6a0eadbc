#include "fixture_harness.h"

#include "fixture_server/generated_source.h"

#include <atomic>
#include <fstream>

#include "fixture_server/options.h"
#include <unistd.h>

namespace orvel::test {

namespace fs = std::filesystem;

TempCorpus::TempCorpus() {
  static std::atomic<int> counter{0};
  dir_ = fs::temp_directory_path() /
         ("orvel-fixture-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
  fs::create_directories(dir_);
}

TempCorpus::~TempCorpus() {
  std::error_code ec;
  fs::remove_all(dir_, ec);
}

void TempCorpus::addArticle(const std::string& group, int number, const std::string& text) {
  fs::create_directories(dir_ / group);
  std::ofstream(dir_ / group / std::to_string(number), std::ios::binary) << text;
}

void TempCorpus::addInfo(const std::string& group, const std::string& text) {
  fs::create_directories(dir_ / group);
  std::ofstream(dir_ / group / ".info", std::ios::binary) << text;
}

const std::map<int, std::string>& corpusArticles() {
  static const std::map<int, std::string> articles = {
      {1, "From: Alice <alice@example.invalid>\n"
          "Newsgroups: alt.corpus\n"
          "Subject: First post\n"
          "Date: Mon, 01 Jan 2024 10:00:00 +0000\n"
          "Message-ID: <c1@example.invalid>\n"
          "Organization: Example Org\n"
          "\n"
          "Hello.\n"
          ".hidden dot line\n"
          "..two dots\n"
          ".\n"
          "end\n"},
      {2, "From: Bob <bob@example.invalid>\r\n"
          "Newsgroups: alt.corpus\r\n"
          "Subject: Re: First post\r\n"
          "Date: Mon, 01 Jan 2024 11:00:00 +0000\r\n"
          "Message-ID: <c2@example.invalid>\r\n"
          "References: <c1@example.invalid>\r\n"
          "\r\n"
          "> Hello.\r\n"
          "Hi.\r\n"},
      {3, "From: Claire <claire@example.invalid>\n"
          "Newsgroups: alt.corpus,alt.other\n"
          "Subject: Cross\n"
          "Date: Mon, 01 Jan 2024 12:00:00 +0000\n"
          "Message-ID: <c3@example.invalid>\n"
          "Xref: fixture.invalid alt.corpus:3 alt.other:1\n"
          "\n"
          "Both groups.\n"},
      {5, "From: Dan <dan@example.invalid>\n"
          "Newsgroups: alt.corpus\n"
          "Subject: After a gap\twith a tab\n"
          "Date: Mon, 01 Jan 2024 13:00:00 +0000\n"
          "Message-ID: <c5@example.invalid>\n"
          "Organization: Another Org\n"
          "\n"
          "Four is missing.\n"},
  };
  return articles;
}

std::unique_ptr<TestServer> startTestServer(fixture::ServerConfig config) {
  auto t = std::make_unique<TestServer>();
  for (const auto& [n, text] : corpusArticles()) t->corpus.addArticle("alt.corpus", n, text);
  t->corpus.addArticle("alt.other", 1, corpusArticles().at(3));
  t->corpus.addInfo("alt.corpus", "description: The corpus group\ncreated: 20100101000000\n");
  t->corpus.addInfo("alt.other", "description: Another group\nstatus: m\n");

  fixture::Options options;
  options.config = std::move(config);
  options.corpusDirs.push_back(t->corpus.dir().string());
  options.generated.push_back({"alt.gen", 100, 1});
  options.generated.push_back({"alt.empty", 0, 1});
  auto server = std::make_unique<fixture::Server>(options.config);
  fixture::configureServer(*server, options);
  server->state().now = [] { return kTestNow; };
  server->listen("127.0.0.1", 0);
  t->thread = std::make_unique<fixture::ServerThread>(std::move(server));
  return t;
}

std::string GeneratedId(const std::string& group, std::int64_t n, std::uint64_t seed) {
  return fixture::GeneratedSource("fixture.invalid", group, n, seed).messageId(n);
}

}  // namespace orvel::test
