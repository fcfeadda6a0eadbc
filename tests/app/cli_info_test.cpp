#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace {

QString runCli(const QStringList& args, int* exitCode) {
  QProcess p;
  p.start(ORVEL_CLI_PATH, args);
  p.waitForFinished(10000);
  *exitCode = p.exitCode();
  return QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
}

void writeFile(const QString& path, const QByteArray& text) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(text);
}

TEST(CliInfo, PrintsDirectoriesAndBagCounts) {
  QTemporaryDir dir;
  writeFile(dir.path() + "/Orvel.ini", "[Display]\nA=1\nB=2\n[Misc]\nX=1\n[Metrics]\nmain=1\n");
  writeFile(dir.path() + "/keys.ini", "[Group]\n");
  int rc = -1;
  const QString out = runCli({"--base", dir.path(), "info"}, &rc);
  EXPECT_EQ(rc, 0) << out.toStdString();
  EXPECT_TRUE(out.contains("base     " + dir.path() + "/\n"));
  EXPECT_TRUE(out.contains("temp     " + dir.path() + "/temp/\n"));
  EXPECT_TRUE(out.contains("bag Display: 2 entries"));
  EXPECT_TRUE(out.contains("bag Misc: 1 entry"));
  EXPECT_TRUE(out.contains("bag Metrics: 1 entry"));
  EXPECT_TRUE(QFile::exists(dir.path() + "/data"));
}

TEST(CliInfo, SlashDWorksToo) {
  QTemporaryDir dir;
  int rc = -1;
  const QString out = runCli({"/d:" + dir.path(), "info"}, &rc);
  EXPECT_EQ(rc, 0);
  EXPECT_TRUE(out.contains("folders  " + dir.path() + "/folders/"));
}

TEST(CliInfo, BadUsageExitsWithTwo) {
  int rc = -1;
  runCli({"no-such-command"}, &rc);
  EXPECT_EQ(rc, 2);
  runCli({}, &rc);
  EXPECT_EQ(rc, 2);
  const QString help = runCli({"--help"}, &rc);
  EXPECT_EQ(rc, 0);
  EXPECT_TRUE(help.contains("info"));
}

}  // namespace
