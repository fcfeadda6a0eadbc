// Rendering speed of the article viewer: a long discussion article (headers,
// Latin-1 text, quotes of three depths, links, a signature) rendered whole
// from a stored text, and the same arriving from the server in 16 KB blocks.
// Bytes counted are article bytes; items are rendered lines.

#include <benchmark/benchmark.h>

#include <string>

#include "content/article_view.h"
#include "core/null_prompter.h"

namespace {

class NoLauncher : public orvel::FileLauncher {
 public:
  bool open(const std::string&) override { return false; }
};

std::string discussion(int paragraphs) {
  std::string text =
      "Path: news!not-for-mail\r\nFrom: Jean <jean@example.fr>\r\nSubject: Re: essai\r\n"
      "Newsgroups: fr.test\r\nMessage-ID: <1@example.fr>\r\n"
      "Content-Type: text/plain; charset=iso-8859-1\r\n\r\n";
  for (int i = 0; i < paragraphs; ++i) {
    text += "Le " + std::to_string(i) + " janvier, Pierre a \xE9" "crit:\r\n";
    text += "> Une ligne cit\xE9" "e qui parle de http://example.com/page" + std::to_string(i) + "\r\n";
    text += ">> Plus ancienne, avec <ref" + std::to_string(i) + "@example.fr> dedans\r\n";
    text += "> > > encore plus loin\r\n\r\n";
    text += "Et voici ma r\xE9ponse, assez longue pour ressembler \xE0 un vrai texte de forum.\r\n";
    text += "----------\r\n\r\n";
  }
  return text + "-- \r\nJean\r\n";
}

void BM_RenderStored(benchmark::State& state) {
  const std::string text = discussion(static_cast<int>(state.range(0)));
  orvel::NullPrompter prompter;
  NoLauncher launcher;
  orvel::ArticleView view({}, orvel::ViewerServices{prompter, launcher, {}});
  std::size_t lines = 0;
  for (auto _ : state) {
    view.ShowStoredArticle(text, false);
    lines = view.lines().size();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * lines));
}
BENCHMARK(BM_RenderStored)->Arg(100)->Arg(5000);

void BM_RenderServerBlocks(benchmark::State& state) {
  const std::string reply = discussion(static_cast<int>(state.range(0))) + ".\r\n";
  orvel::NullPrompter prompter;
  NoLauncher launcher;
  orvel::ArticleView view({}, orvel::ViewerServices{prompter, launcher, {}});
  constexpr std::size_t kBlock = 16384;
  std::string buffer;
  for (auto _ : state) {
    view.StartArticle(true, false);
    buffer.clear();
    bool last = false;
    for (std::size_t offset = 0; offset < reply.size() && !last; offset += kBlock) {
      buffer.append(reply, offset, kBlock);
      buffer.erase(0, view.ParseArticle(orvel::ArticleRequestKind::Article, buffer, 0, last));
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * reply.size()));
}
BENCHMARK(BM_RenderServerBlocks)->Arg(5000);

}  // namespace
