#pragma once
// What the GUI tests share: a throw-away base directory with the program's
// start-up state, a script that answers the modal dialogs as they appear,
// the fixture news server as a child process, and screenshots when
// ORVEL_SCREENSHOT_DIR is set.

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QInputDialog>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "config/app_state.h"
#include "config/main_loader.h"
#include "config/main_state.h"
#include "config/startup.h"
#include "core/atomic_file.h"

namespace orvel::test {

// A base directory and the state the GUI's main() builds from it.
class GuiBase {
 public:
  GuiBase() { QVERIFY(dir_.isValid()); }
  std::string path() const { return dir_.path().toStdString() + "/"; }
  std::string file(const std::string& name) const { return path() + name; }
  void write(const std::string& name, const std::string& text) const {
    QVERIFY(SaveFileAtomically(file(name), text));
  }
  std::string read(const std::string& name) const {
    std::string data;
    ReadWholeFile(file(name), data);
    return data;
  }
  // The common start-up step and the main window's loading steps, as a
  // fresh start of the program runs them.
  void start(AppState& app, MainState& state) const {
    CommandLine commandLine;
    commandLine.baseDir = path();
    StartupOptions options;
    options.defaultBaseDir = path();
    options.useLocaleDateFormats = false;
    RunCommonStartup(app, commandLine, options);
    RunMainLoadingSteps(app, state);
  }

 private:
  QTemporaryDir dir_;
};

// Answers modal dialogs in order: each handler gets the next modal widget
// that appears. A modal widget with no handler left is a failure; it is
// closed so the test goes on.
class ModalScript : public QObject {
 public:
  using Handler = std::function<void(QWidget*)>;

  ModalScript() {
    timer_.setInterval(20);
    connect(&timer_, &QTimer::timeout, this, [this] { poll(); });
    timer_.start();
  }
  void then(Handler handler) { handlers_.push_back(std::move(handler)); }
  bool done() const { return handlers_.empty(); }
  const QStringList& unexpected() const { return unexpected_; }
  const QStringList& seen() const { return seen_; }

  // Handlers for the common dialogs.
  static Handler text(const QString& value, const QString& expectCaption = {}) {
    return [value, expectCaption](QWidget* w) {
      auto* dialog = qobject_cast<QInputDialog*>(w);
      QVERIFY2(dialog, "an input box was expected");
      if (!expectCaption.isEmpty()) QCOMPARE(dialog->windowTitle(), expectCaption);
      dialog->setTextValue(value);
      dialog->accept();
    };
  }
  static Handler press(QMessageBox::StandardButton button, const QString& expectText = {}) {
    return [button, expectText](QWidget* w) {
      auto* box = qobject_cast<QMessageBox*>(w);
      QVERIFY2(box, "a message box was expected");
      if (!expectText.isEmpty()) {
        QVERIFY2(box->text().contains(expectText), qPrintable(box->text()));
      }
      QAbstractButton* b = box->button(button);
      QVERIFY2(b, "the box lacks the button");
      b->click();
    };
  }

  // The first start's questions: the server "host:port", its alias, OK in
  // the options window, and yes to fetching the list of all groups.
  void thenFirstServer(const QString& hostPort, const QString& alias) {
    then(text(hostPort, "Configurer votre serveur!"));
    then(text(alias, "Configurer votre serveur!"));
    then([](QWidget* w) {
      auto* buttons = w->findChild<QDialogButtonBox*>();
      QVERIFY2(buttons && w->windowTitle() == "Options", "the options window was expected");
      buttons->button(QDialogButtonBox::Ok)->click();
    });
    then(press(QMessageBox::Yes, "R\u00e9cup\u00e9rer la liste de tous les groupes"));
  }

 private:
  void poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal == last_) return;
    last_ = modal;
    const QString caption = modal->windowTitle();
    auto* box = qobject_cast<QMessageBox*>(modal);
    seen_ << caption + ": " + (box ? box->text() : QString());
    if (handlers_.empty()) {
      unexpected_ << seen_.back();
      modal->close();
      return;
    }
    Handler handler = std::move(handlers_.front());
    handlers_.pop_front();
    handler(modal);
  }

  QTimer timer_;
  std::deque<Handler> handlers_;
  QPointer<QWidget> last_;
  QStringList unexpected_;
  QStringList seen_;
};

// orvel-fixture-server on a free loopback port.
class FixtureProcess {
 public:
  static QString program() {
    return QStringLiteral(ORVEL_BINARY_DIR "/tools/fixture_server/orvel-fixture-server");
  }
  static bool available() { return QFileInfo(program()).isExecutable(); }

  explicit FixtureProcess(const QStringList& arguments) {
    process_.start(program(), QStringList{"--port", "0"} + arguments);
    if (!process_.waitForStarted(5000)) return;
    while (port_ == 0 && process_.waitForReadyRead(5000)) {
      while (process_.canReadLine()) {
        const QByteArray line = process_.readLine().trimmed();
        if (line.startsWith("PORT ")) port_ = line.mid(5).toInt();
      }
    }
  }
  ~FixtureProcess() {
    process_.terminate();
    if (!process_.waitForFinished(3000)) process_.kill();
  }
  int port() const { return port_; }

 private:
  QProcess process_;
  int port_ = 0;
};

// Saves what a widget shows as NAME.png under ORVEL_SCREENSHOT_DIR.
inline void saveScreen(QWidget* widget, const QString& name) {
  const QByteArray dir = qgetenv("ORVEL_SCREENSHOT_DIR");
  if (dir.isEmpty()) return;
  QDir().mkpath(QString::fromLocal8Bit(dir));
  // Layouts settle in posted events.
  QTest::qWait(50);
  QVERIFY(widget->grab().save(QString::fromLocal8Bit(dir) + "/" + name + ".png"));
}

// Runs events until done() holds or the time is up.
inline bool waitFor(const std::function<bool()>& done, int timeoutMs = 10000) {
  QElapsedTimer elapsed;
  elapsed.start();
  while (!done()) {
    if (elapsed.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QTest::qWait(5);
  }
  return true;
}

}  // namespace orvel::test
