// The GUI entry: the common start-up step, the single-instance rule, then the
// main window. "--verbose" logs what the program receives to stderr.
#include <QApplication>
#include <QLoggingCategory>

#include <cstdio>
#include <string>
#include <vector>

#include "app/single_instance.h"
#include "config/main_loader.h"
#include "config/single_instance_rule.h"
#include "config/startup.h"
#include "ui/orvel_frame.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);  // takes Qt's own options out of argv
  QApplication::setApplicationName("Orvel");

  std::vector<std::string> arguments;
  bool verbose = false;
  for (const QString& arg : QApplication::arguments().mid(1)) {
    if (arg == "--verbose") {
      verbose = true;
    } else {
      arguments.push_back(arg.toStdString());
    }
  }
  QLoggingCategory::setFilterRules(verbose ? "*.info=true" : "*.info=false");

  orvel::AppState app;
  orvel::RunCommonStartup(app, orvel::ParseCommandLine(arguments));

  orvel::SingleInstance instance;
  if (instance.otherInstanceRunning()) {
    const orvel::SecondStart decision = orvel::DecideSecondStart(arguments);
    if (decision.kind != orvel::SecondStart::Kind::RunAsSecond) {
      const QString url = QString::fromStdString(decision.url);
      if (instance.send(url)) return 0;
      std::fprintf(stderr, "orvel: the running instance did not answer\n");
      return 1;
    }
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
  frame.show();
  if (!app.startupUrl.empty()) frame.openNewsUrl(QString::fromStdString(app.startupUrl));
  return QApplication::exec();
}
