// Typing in the compose window's editor holding a 10,000-line message, on
// the offscreen platform: one character inserted in the middle and the
// change laid out and painted; the editor's lines with their soft line ends,
// which saving and the draft take; and a 100,000-line answer shown.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>

#include <string>

#include "ui/compose_editor.h"

namespace {

QApplication& application() {
  static int argc = 1;
  static char name[] = "compose_editor_bench";
  static char* argv[] = {name, nullptr};
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication app(argc, argv);
  return app;
}

std::string message(int lines) {
  std::string text;
  for (int i = 0; i < lines; ++i) {
    text += i % 4 == 0 ? "> quoted line number " : "a line of the answer, long enough to wrap "
                                                   "once in the editor at its column, number ";
    text += std::to_string(i) + "\r\n";
  }
  return text;
}

struct Editor {
  Editor() {
    editor.resize(800, 600);
    editor.show();
    editor.setBody(message(10'000));
    QApplication::processEvents();
    QTextCursor middle = editor.textCursor();
    middle.setPosition(editor.document()->characterCount() / 2);
    editor.setTextCursor(middle);
  }
  QApplication& app = application();  // before the widget
  orvel::ui::ComposeEditor editor;
};

void BM_TypeOneCharacter(benchmark::State& state) {
  static Editor e;
  for (auto _ : state) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, "x");
    QApplication::sendEvent(&e.editor, &press);
    e.editor.viewport()->repaint();
  }
}
BENCHMARK(BM_TypeOneCharacter)->Unit(benchmark::kMillisecond);

// The body of a follow-up to a 100,000-line article shown in a new editor.
void BM_ShowLongBody(benchmark::State& state) {
  application();
  static const std::string text = message(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    orvel::ui::ComposeEditor editor;
    editor.resize(800, 600);
    editor.show();
    editor.setBody(text);
    QApplication::processEvents();
  }
}
BENCHMARK(BM_ShowLongBody)->Arg(100'000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_BodyLines(benchmark::State& state) {
  static Editor e;
  for (auto _ : state) benchmark::DoNotOptimize(e.editor.bodyLines().size());
}
BENCHMARK(BM_BodyLines)->Unit(benchmark::kMillisecond);

}  // namespace
