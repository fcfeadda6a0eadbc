// A news link opened by the desktop reaches the running Orvel: orvel-cli
// associate registers the GUI program in a private home, then xdg-open (under
// GNOME, where it hands the link to gio, and on a bare Xvfb display, where it
// reads the entry itself) starts a second orvel with the link as its
// argument, which passes it over the single-instance channel.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

namespace {

class NewsLinkOpen : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    if (std::string(ORVEL_GUI_PATH).empty()) GTEST_SKIP() << "built without the GUI";
    ASSERT_TRUE(dir_.isValid());
    const QString home = dir_.path() + "/home";
    for (const char* sub : {"/home", "/run", "/base"}) {
      ASSERT_TRUE(QDir().mkpath(dir_.path() + sub));
    }
    QFile::setPermissions(dir_.path() + "/run", QFile::ReadOwner | QFile::WriteOwner |
                                                    QFile::ExeOwner);
    env_ = QProcessEnvironment::systemEnvironment();
    env_.insert("HOME", home);
    env_.insert("XDG_DATA_HOME", home + "/data");
    env_.insert("XDG_CONFIG_HOME", home + "/config");
    env_.insert("XDG_DATA_DIRS", home + "/none");
    env_.insert("XDG_CONFIG_DIRS", home + "/none");
    env_.insert("TMPDIR", dir_.path() + "/run");  // the channel: isolated from others
    env_.insert("XDG_RUNTIME_DIR", dir_.path() + "/run");
    env_.insert("QT_QPA_PLATFORM", "offscreen");
    env_.insert("XDG_CURRENT_DESKTOP", GetParam());
    if (*GetParam() == '\0') env_.remove("XDG_CURRENT_DESKTOP");
    for (const char* name : {"DESKTOP_SESSION", "KDE_FULL_SESSION", "GNOME_DESKTOP_SESSION_ID",
                             "DE", "BROWSER", "DISPLAY", "WAYLAND_DISPLAY",
                             "DBUS_SESSION_BUS_ADDRESS"}) {
      env_.remove(name);
    }
    // Without a desktop, xdg-open reads the entry itself only on a display:
    // both Orvels then run on a private Xvfb.
    if (*GetParam() == '\0') startXvfb();
  }

  void startXvfb() {
    if (QStandardPaths::findExecutable("Xvfb").isEmpty()) GTEST_SKIP() << "no Xvfb";
    xvfb_.start("Xvfb", {"-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "1280x800x24"});
    ASSERT_TRUE(xvfb_.waitForStarted(5000));
    QByteArray number;
    while (!number.contains('\n') && xvfb_.waitForReadyRead(10000)) number += xvfb_.readAll();
    ASSERT_TRUE(number.contains('\n')) << "Xvfb gave no display";
    env_.insert("DISPLAY", ":" + QString::fromLatin1(number.trimmed()));
    env_.remove("QT_QPA_PLATFORM");
  }

  void TearDown() override {
    if (orvel_.state() != QProcess::NotRunning) {
      orvel_.kill();
      orvel_.waitForFinished(5000);
    }
    if (xvfb_.state() != QProcess::NotRunning) {
      xvfb_.kill();
      xvfb_.waitForFinished(5000);
    }
  }

  // Runs a helper to its end; its exit code, -1 when it did not end.
  int run(const QString& program, const QStringList& args, QByteArray* output = nullptr) {
    QProcess p;
    p.setProcessEnvironment(env_);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.setStandardInputFile(QProcess::nullDevice());
    p.start(program, args);
    if (!p.waitForFinished(60000)) {
      p.kill();
      p.waitForFinished();
      return -1;
    }
    if (output) *output = p.readAll();
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  }

  QTemporaryDir dir_;
  QProcessEnvironment env_;
  QProcess orvel_;
  QProcess xvfb_;
};

TEST_P(NewsLinkOpen, XdgOpenReachesTheRunningOrvel) {
  QByteArray output;
  ASSERT_EQ(run(ORVEL_CLI_PATH, {"associate", "--yes", "--no-snews"}, &output), 0)
      << output.toStdString();

  orvel_.setProcessEnvironment(env_);
  orvel_.start(ORVEL_GUI_PATH, {"--verbose", "/d:" + dir_.path() + "/base"});
  ASSERT_TRUE(orvel_.waitForStarted(5000));
  const QString channel = dir_.path() + QString("/run/orvel-%1").arg(::getuid());
  for (int i = 0; i < 200 && !QFile::exists(channel); ++i) QThread::msleep(25);
  ASSERT_TRUE(QFile::exists(channel)) << "Orvel never listened";

  ASSERT_EQ(run("xdg-open", {"news:comp.lang.c++"}, &output), 0) << output.toStdString();
  const QByteArray expected = "news URL received: news:comp.lang.c++";
  QByteArray log;
  for (int i = 0; i < 200 && !log.contains(expected); ++i) {
    orvel_.waitForReadyRead(50);
    log += orvel_.readAllStandardError();
  }
  EXPECT_TRUE(log.contains(expected)) << log.toStdString();
  EXPECT_EQ(orvel_.state(), QProcess::Running);
}

INSTANTIATE_TEST_SUITE_P(Desktops, NewsLinkOpen, ::testing::Values("GNOME", ""),
                         [](const auto& info) {
                           return std::string(*info.param ? info.param : "BareXvfb");
                         });

}  // namespace
