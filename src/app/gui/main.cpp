// The GUI entry: the common start-up step, the single-instance rule, then the
// main window. A later start is settled before any window system is touched,
// so passing a URL works without a display. "--verbose" logs what the program
// receives to stderr.
#include <QApplication>
#include <QLoggingCategory>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/single_instance.h"
#include "config/main_loader.h"
#include "config/single_instance_rule.h"
#include "config/startup.h"
#include "ui/orvel_frame.h"

namespace {

// Qt's own command-line options that take a value.
bool qtOptionWithValue(const char* arg) {
  static const char* const kOptions[] = {
      "-platform", "-platformpluginpath", "-platformtheme", "-plugin", "-qwindowgeometry",
      "-qwindowicon", "-qwindowtitle", "-display", "-geometry", "-style", "-stylesheet",
      "-session", "-title", "-name", "-qmljsdebugger"};
  for (const char* option : kOptions) {
    if (std::strcmp(arg, option) == 0) return true;
  }
  return false;
}

// The program's arguments: options beginning with "-" are Qt's or ours, never
// a profile alias.
std::vector<std::string> programArguments(int argc, char** argv, bool* verbose) {
  std::vector<std::string> out;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--verbose") == 0) {
      *verbose = true;
    } else if (argv[i][0] == '-') {
      if (qtOptionWithValue(argv[i])) ++i;
    } else {
      out.emplace_back(argv[i]);
    }
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  bool verbose = false;
  const std::vector<std::string> arguments = programArguments(argc, argv, &verbose);
  QLoggingCategory::setFilterRules(verbose ? "*.info=false\ndefault.info=true"
                                           : "*.info=false");

  orvel::AppState app;
  orvel::RunCommonStartup(app, orvel::ParseCommandLine(arguments));

  orvel::SingleInstance instance;
  const bool another = instance.otherInstanceRunning();
  if (another) {
    const orvel::SecondStart decision = orvel::DecideSecondStart(arguments);
    if (decision.kind != orvel::SecondStart::Kind::RunAsSecond) {
      if (instance.send(QString::fromStdString(decision.url))) return 0;
      std::fprintf(stderr, "orvel: the running instance did not answer\n");
      return 1;
    }
  }

  QApplication application(argc, argv);
  QApplication::setApplicationName("Orvel");
  // The frame may hide in the tray: the program ends when the frame closes,
  // not when the last visible window does.
  QApplication::setQuitOnLastWindowClosed(false);
  if (another) {
    qInfo("running as a second instance");
  } else if (!instance.listen()) {
    qWarning("cannot listen for later starts; going on alone");
  }

  orvel::MainState state;
  orvel::RunMainLoadingSteps(app, state);

  orvel::ui::TOrvelFrame frame(app, state);
  QObject::connect(&instance, &orvel::SingleInstance::urlReceived, &frame,
                   &orvel::ui::TOrvelFrame::openNewsUrl);
  QObject::connect(&instance, &orvel::SingleInstance::showRequested, &frame,
                   &orvel::ui::TOrvelFrame::bringToFront);
  QObject::connect(&frame, &orvel::ui::TOrvelFrame::closed, &application, &QApplication::quit,
                   Qt::QueuedConnection);
  frame.show();
  // The first show's questions come once the frame is on screen.
  QTimer::singleShot(0, &frame, &orvel::ui::TOrvelFrame::runFirstShow);
  return QApplication::exec();
}
