// The single-instance rule with real processes: a first `orvel` listens; later
// starts pass it their URL or a show request and exit, or run alongside with "/m".
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>

#include <chrono>

namespace {

class SingleInstanceProcesses : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::string(ORVEL_GUI_PATH).empty()) GTEST_SKIP() << "built without the GUI";
    ASSERT_TRUE(base_.isValid() && runtime_.isValid());
    env_ = QProcessEnvironment::systemEnvironment();
    env_.insert("QT_QPA_PLATFORM", "offscreen");
    env_.insert("TMPDIR", runtime_.path());  // the channel lives here: isolated from others
    env_.insert("XDG_RUNTIME_DIR", runtime_.path());
  }

  void TearDown() override {
    for (QProcess* p : {&first_, &other_}) {
      if (p->state() != QProcess::NotRunning) {
        p->kill();
        p->waitForFinished(5000);
      }
    }
  }

  void start(QProcess& p, QStringList args) {
    args << "/d:" + base_.path();
    p.setProcessEnvironment(env_);
    p.setProcessChannelMode(QProcess::SeparateChannels);
    p.start(ORVEL_GUI_PATH, args);
    ASSERT_TRUE(p.waitForStarted(5000));
  }

  // The first instance is ready once its channel exists.
  void startFirst() {
    start(first_, {"--verbose"});
    const QString channel = runtime_.path() + QString("/orvel-%1").arg(::getuid());
    for (int i = 0; i < 200 && !QFile::exists(channel); ++i) QThread::msleep(25);
    ASSERT_TRUE(QFile::exists(channel)) << "first instance never listened";
  }

  QTemporaryDir base_;
  QTemporaryDir runtime_;
  QProcessEnvironment env_;
  QProcess first_;
  QProcess other_;
};

TEST_F(SingleInstanceProcesses, SecondStartPassesItsUrlAndExits) {
  startFirst();
  start(other_, {"/url=news:comp.lang.c++"});
  ASSERT_TRUE(other_.waitForFinished(10000));
  EXPECT_EQ(other_.exitCode(), 0);

  QByteArray log;
  for (int i = 0; i < 100 && !log.contains("news URL received: news:comp.lang.c++"); ++i) {
    first_.waitForReadyRead(50);
    log += first_.readAllStandardError();
  }
  EXPECT_TRUE(log.contains("news URL received: news:comp.lang.c++")) << log.toStdString();
  EXPECT_EQ(first_.state(), QProcess::Running);
}

TEST_F(SingleInstanceProcesses, PlainSecondStartAsksTheFirstToShowAndExits) {
  startFirst();
  start(other_, {});
  ASSERT_TRUE(other_.waitForFinished(10000));
  EXPECT_EQ(other_.exitCode(), 0);
}

TEST_F(SingleInstanceProcesses, SlashMRunsASecondInstance) {
  startFirst();
  start(other_, {"/m", "/url=news:alt.test"});
  EXPECT_FALSE(other_.waitForFinished(1500)) << "a /m start must keep running";
}

TEST_F(SingleInstanceProcesses, StaleChannelOfACrashedInstanceIsTakenOver) {
  startFirst();
  first_.kill();  // no clean shutdown: the socket file stays behind
  ASSERT_TRUE(first_.waitForFinished(5000));
  start(other_, {"--verbose"});
  EXPECT_FALSE(other_.waitForFinished(1500)) << "the new start must become the first instance";
}

}  // namespace
