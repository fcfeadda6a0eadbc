// Opening a long article in the viewer pane: the model renders it and the
// Qt widget fills its text document and paints the first screen, on the
// offscreen platform. Items are article lines. The model alone is measured
// by article_view_bench; the difference is the widget's share.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPlainTextEdit>

#include <memory>
#include <string>

#include "core/null_prompter.h"
#include "ui/article_viewer.h"

namespace {

class NoLauncher : public orvel::FileLauncher {
 public:
  bool open(const std::string&) override { return false; }
};

QApplication& application() {
  static int argc = 1;
  static char name[] = "article_viewer_bench";
  static char* argv[] = {name, nullptr};
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication app(argc, argv);
  return app;
}

// A discussion of about the given number of lines: text, quotes of three
// depths, links, separators and a signature.
std::string discussion(int lines) {
  std::string text =
      "Path: news!not-for-mail\r\nFrom: Jean <jean@example.fr>\r\nSubject: Re: essai\r\n"
      "Newsgroups: fr.test\r\nMessage-ID: <1@example.fr>\r\n"
      "Content-Type: text/plain; charset=iso-8859-1\r\n\r\n";
  for (int i = 0; i * 7 < lines; ++i) {
    text += "Le " + std::to_string(i) + " janvier, Pierre a \xE9" "crit:\r\n";
    text += "> Une ligne cit\xE9" "e qui parle de http://example.com/page" + std::to_string(i) + "\r\n";
    text += ">> Plus ancienne, avec <ref" + std::to_string(i) + "@example.fr> dedans\r\n";
    text += "> > > encore plus loin\r\n\r\n";
    text += "Et voici ma r\xE9ponse, assez longue pour ressembler \xE0 un vrai texte de forum.\r\n";
    text += "----------\r\n";
  }
  return text + "-- \r\nJean\r\n";
}

struct Pane {
  Pane() : view({}, orvel::ViewerServices{prompter, launcher, {}}), viewer(view, {}) {
    viewer.resize(900, 700);
    viewer.show();
    QApplication::processEvents();
  }
  orvel::NullPrompter prompter;
  NoLauncher launcher;
  orvel::ArticleView view;
  orvel::ui::ArticleViewer viewer;
};

void BM_OpenStoredArticle(benchmark::State& state) {
  application();
  const std::string text = discussion(static_cast<int>(state.range(0)));
  Pane pane;
  for (auto _ : state) {
    pane.view.ShowStoredArticle(text, false);
    pane.viewer.textView()->viewport()->repaint();
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * pane.view.lines().size()));
  state.counters["blocks"] = pane.viewer.textView()->document()->blockCount();
}
BENCHMARK(BM_OpenStoredArticle)->Arg(500)->Arg(5000)->Unit(benchmark::kMillisecond);

void BM_StreamArticle(benchmark::State& state) {
  application();
  const std::string reply = discussion(static_cast<int>(state.range(0))) + ".\r\n";
  Pane pane;
  constexpr std::size_t kBlock = 16384;
  std::string buffer;
  for (auto _ : state) {
    pane.view.StartArticle(true, false);
    buffer.clear();
    bool last = false;
    for (std::size_t offset = 0; offset < reply.size() && !last; offset += kBlock) {
      buffer.append(reply, offset, kBlock);
      buffer.erase(0, pane.view.ParseArticle(orvel::ArticleRequestKind::Article, buffer, 0, last));
      pane.viewer.textView()->viewport()->repaint();
    }
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * pane.view.lines().size()));
}
BENCHMARK(BM_StreamArticle)->Arg(5000)->Unit(benchmark::kMillisecond);

}  // namespace
