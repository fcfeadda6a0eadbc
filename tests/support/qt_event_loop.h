#pragma once
// For tests that drive Qt sockets and timers: one QCoreApplication for the
// test program, and a loop that runs events until a condition holds.
// Header only: the support library itself stays free of Qt.

#include <QCoreApplication>
#include <QElapsedTimer>

#include <functional>

namespace orvel::test {

inline QCoreApplication& qtApp() {
  static int argc = 1;
  static char name[] = "orvel-tests";
  static char* argv[] = {name, nullptr};
  static QCoreApplication* app =
      QCoreApplication::instance() ? QCoreApplication::instance() : new QCoreApplication(argc, argv);
  return *app;
}

// Runs the event loop until done() holds or timeoutMs passes; returns done().
inline bool runUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
  qtApp();
  QElapsedTimer elapsed;
  elapsed.start();
  while (!done()) {
    if (elapsed.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
  }
  return true;
}

// Runs events for ms milliseconds.
inline void runFor(int ms) {
  runUntil([] { return false; }, ms);
}

}  // namespace orvel::test
