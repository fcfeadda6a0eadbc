// The group view window on a big group: the fixture server generates a
// group (ORVEL_BENCH_HEADERS headers, 1,000,000 by default), the window
// downloads and threads it once (its time is printed), then the benchmarks
// measure what the person waits for afterwards: a model reset (every
// rebuilt row list), the first paint of the list after it, scrolling a page
// at a random place, and the reading commands as the window runs them: next
// unread past 100,000 read articles, marking the largest thread read,
// closing and opening it, select-all then mark read, and catching the group
// up. Offscreen Qt; run by hand.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTreeView>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>

#include "config/main_loader.h"
#include "config/startup.h"
#include "core/atomic_file.h"
#include "articles/navigation.h"
#include "ui/article_list_model.h"
#include "ui/articles_window.h"
#include "ui/groups_window.h"
#include "ui/orvel_frame.h"

namespace {

using namespace orvel;

struct BigGroup {
  int argc = 1;
  char name[8] = "bench";
  char* argv[2] = {name, nullptr};
  std::unique_ptr<QApplication> app;
  QProcess server;
  QTemporaryDir base;
  AppState appState;
  MainState state;
  std::unique_ptr<ui::TOrvelFrame> frame;
  ui::TArticlesWindow* window = nullptr;
  bool ready = false;

  BigGroup() {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    app = std::make_unique<QApplication>(argc, argv);
    const QByteArray count = qgetenv("ORVEL_BENCH_HEADERS").isEmpty()
                                 ? QByteArray("1000000")
                                 : qgetenv("ORVEL_BENCH_HEADERS");
    server.start(ORVEL_FIXTURE_SERVER,
                 {"--port", "0", "--generate", "alt.bench.big:" + QString(count) + ":5"});
    int port = 0;
    while (port == 0 && server.waitForReadyRead(10000)) {
      const QByteArray line = server.readLine().trimmed();
      if (line.startsWith("PORT ")) port = line.mid(5).toInt();
    }
    if (port == 0) return;
    const std::string dir = base.path().toStdString() + "/";
    SaveFileAtomically(dir + "servers.ini", "[Profiles]\r\ncount=1\r\n1=bench,127.0.0.1:" +
                                                std::to_string(port) + "\r\n");
    SaveFileAtomically(dir + "bench.newsrc", "alt.bench.big:\r\n");
    CommandLine commandLine;
    commandLine.baseDir = dir;
    StartupOptions options;
    options.defaultBaseDir = dir;
    RunCommonStartup(appState, commandLine, options);
    RunMainLoadingSteps(appState, state);
    state.settings.promptThreshold = 0;
    state.settings.autoGetMsgCounts = false;
    frame = std::make_unique<ui::TOrvelFrame>(appState, state);
    frame->resize(1280, 900);
    frame->show();
    ui::TGroupsWindow* groups = frame->openGroupList(0);
    if (!groups) return;
    QElapsedTimer elapsed;
    elapsed.start();
    window = ui::TArticlesWindow::openGroup(*frame, *groups,
                                            *groups->groupList().FindGroup("alt.bench.big"));
    TGroupView& view = window->groupView();
    while (view.Rows().empty() || view.Slots().Serving(Purpose::Headers)) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    std::printf("download and threading of %zu headers: %.2f s (%zu rows)\n",
                view.MasterList().size(), elapsed.elapsed() / 1000.0, view.Rows().size());
    ready = true;
  }
  ~BigGroup() {
    frame.reset();
    server.terminate();
    server.waitForFinished(3000);
  }
};

BigGroup& bigGroup() {
  static BigGroup* group = [] {
    auto* g = new BigGroup;
    std::atexit([] { delete &bigGroup(); });
    return g;
  }();
  return *group;
}

void BM_ModelReset(benchmark::State& state) {
  BigGroup& g = bigGroup();
  if (!g.ready) return state.SkipWithError("no big group");
  for (auto _ : state) g.window->model().rowsChanged();
  state.counters["rows"] = static_cast<double>(g.window->model().rowCount());
}
BENCHMARK(BM_ModelReset)->Unit(benchmark::kMillisecond);

void BM_ResetAndFirstPaint(benchmark::State& state) {
  BigGroup& g = bigGroup();
  if (!g.ready) return state.SkipWithError("no big group");
  QTreeView& list = g.window->list();
  for (auto _ : state) {
    g.window->model().rowsChanged();
    list.viewport()->repaint();
  }
}
BENCHMARK(BM_ResetAndFirstPaint)->Unit(benchmark::kMillisecond);

void BM_ScrollPage(benchmark::State& state) {
  BigGroup& g = bigGroup();
  if (!g.ready) return state.SkipWithError("no big group");
  QTreeView& list = g.window->list();
  QScrollBar* bar = list.verticalScrollBar();
  std::mt19937 random(7);
  for (auto _ : state) {
    bar->setValue(static_cast<int>(random() % static_cast<unsigned>(bar->maximum() + 1)));
    list.viewport()->repaint();
  }
}
BENCHMARK(BM_ScrollPage)->Unit(benchmark::kMicrosecond);

TAThread* largestThread(TGroupView& view) {
  TAThread* largest = nullptr;
  for (TNode* root : view.Roots()) {
    TAThread* t = root->AsThread();
    if (t && (!largest || t->Articles.size() > largest->Articles.size())) largest = t;
  }
  return largest;
}

void BM_WindowNextUnreadPast100000Read(benchmark::State& state) {
  BigGroup& g = bigGroup();
  if (!g.ready) return state.SkipWithError("no big group");
  g.window->execute("acaMarkAllUnread");
  TGroupView& view = g.window->groupView();
  g.window->list().selectionModel()->select(
      QItemSelection(g.window->model().index(0, 0), g.window->model().index(100000, 0)),
      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  g.window->execute("acaMarkRead");
  g.window->list().setFocus();
  for (auto _ : state) {
    state.PauseTiming();
    g.window->list().setCurrentIndex(g.window->model().index(0, 0));
    state.ResumeTiming();
    g.window->session().GotoArticle(false, NavAction::NextUnread, g.window->commandContext());
  }
  state.counters["reached_row"] = g.window->list().currentIndex().row();
  g.window->execute("acaMarkAllUnread");
  benchmark::DoNotOptimize(view);
}
BENCHMARK(BM_WindowNextUnreadPast100000Read)->Unit(benchmark::kMicrosecond);

void BM_WindowMarkLargestThreadRead(benchmark::State& state) {
  BigGroup& g = bigGroup();
  if (!g.ready) return state.SkipWithError("no big group");
  TAThread* thread = largestThread(g.window->groupView());
  if (!thread) return state.SkipWithError("no thread");
  g.window->list().setFocus();
  g.window->list().setCurrentIndex(g.window->model().index(thread->SourceIndex, 0));
  bool read = true;
  for (auto _ : state) {
    g.window->execute(read ? "acaMarkRead" : "acaMarkUnread");
    read = !read;
  }
  state.counters["articles"] = static_cast<double>(thread->Articles.size());
}
BENCHMARK(BM_WindowMarkLargestThreadRead)->Unit(benchmark::kMicrosecond);

void BM_WindowCollapseAndExpandLargestThread(benchmark::State& state) {
  BigGroup& g = bigGroup();
  if (!g.ready) return state.SkipWithError("no big group");
  TAThread* thread = largestThread(g.window->groupView());
  if (!thread) return state.SkipWithError("no thread");
  for (auto _ : state) g.window->session().SetExpanded(*thread, !thread->Expanded);
  state.counters["articles"] = static_cast<double>(thread->Articles.size());
}
BENCHMARK(BM_WindowCollapseAndExpandLargestThread)->Unit(benchmark::kMicrosecond);

void BM_WindowSelectAllThenMarkRead(benchmark::State& state) {
  BigGroup& g = bigGroup();
  if (!g.ready) return state.SkipWithError("no big group");
  g.window->list().setFocus();
  bool read = true;
  for (auto _ : state) {
    g.window->execute("acaSelectAll");
    g.window->execute(read ? "acaMarkRead" : "acaMarkUnread");
    read = !read;
  }
}
BENCHMARK(BM_WindowSelectAllThenMarkRead)->Unit(benchmark::kMillisecond)->Iterations(6);

void BM_WindowCatchUp(benchmark::State& state) {
  BigGroup& g = bigGroup();
  if (!g.ready) return state.SkipWithError("no big group");
  for (auto _ : state) {
    state.PauseTiming();
    g.window->execute("acaMarkAllUnread");
    state.ResumeTiming();
    g.window->execute("acaCatchUp");
  }
}
BENCHMARK(BM_WindowCatchUp)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
