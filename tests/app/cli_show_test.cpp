// orvel-cli show, end to end: the binary renders article files.

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace {

struct CliRun {
  int exitCode = -1;
  QString out;
  QString err;
};

CliRun runCli(const QStringList& args) {
  QProcess p;
  p.start(ORVEL_CLI_PATH, args);
  p.waitForFinished(10000);
  return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
          QString::fromUtf8(p.readAllStandardError())};
}

void writeFile(const QString& path, const QByteArray& text) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(text);
}

// A frame, the main diagonal and a filled square, as compface writes it.
const QByteArray kFace =
    "\"H?[/{m]*UEq|1`XY7#']YvK|JBKMeET*cqf;:&jI#yl]5a@Z&!G>'\\ai`bI:@&6S_(MKL:\r\n"
    " fgB\\rpIEiq}}9]EmNy1\\t`A*";

const QByteArray kArticle =
    "Path: news!not-for-mail\r\n"
    "From: Jean <jean@example.fr>\r\n"
    "Subject: =?ISO-8859-1?Q?R=E9ponse?=\r\n"
    "Newsgroups: fr.test\r\n"
    "Message-ID: <1@example.fr>\r\n"
    "X-Face: " + kFace + "\r\n"
    "Content-Type: text/plain; charset=iso-8859-1\r\n"
    "\r\n"
    "Jean a \xE9" "crit:\r\n"
    "> ligne 1\r\n"
    ">> ligne 2\r\n"
    "> ligne 3\r\n"
    "----------\r\n"
    "D'accord.\r\n"
    "-- \r\n"
    "Jean\r\n";

class CliShow : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    path = dir.path() + "/article.txt";
    writeFile(path, kArticle);
  }
  QTemporaryDir dir;
  QString path;
};

TEST_F(CliShow, RendersAsTheViewer) {
  const CliRun run = runCli({"show", path});
  ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
  const QStringList lines = run.out.split('\n');
  const QStringList expected = {
      "header\tSubject: Réponse",
      "header\tFrom: Jean <jean@example.fr>",
      "header\tNewsgroups: fr.test",
      "body\t",
      "body\tJean a écrit:",
      "quoted1\t> ligne 1",
      "quoted2\t>> ligne 2",
      "quoted1\t> ligne 3",
      "body\t----------",
      "body\tD'accord.",
      "signature\t-- ",
      "signature\tJean",
  };
  ASSERT_GE(lines.size(), expected.size() + 48);
  EXPECT_EQ(lines.mid(0, expected.size()), expected);
  // The X-Face follows as 48 rows: the frame, the diagonal, the square.
  const QStringList face = lines.mid(expected.size(), 48);
  EXPECT_EQ(face[0], "face\t" + QString(48, '#'));
  EXPECT_EQ(face[5], "face\t#....#" + QString(41, '.') + "#");
  EXPECT_EQ(face[35].mid(5, 21), "#.........##########.");
}

TEST_F(CliShow, Toggles) {
  CliRun run = runCli({"show", "--hide-quoted", path});
  ASSERT_EQ(run.exitCode, 0);
  EXPECT_TRUE(run.out.contains("body\tJean a écrit:\nquoted1\t> [...]\nbody\t----------\n"));
  EXPECT_FALSE(run.out.contains("ligne 2"));

  run = runCli({"show", "--rot13", path});
  EXPECT_TRUE(run.out.contains("body\tQ'nppbeq.\n"));
  EXPECT_TRUE(run.out.contains("header\tSubject: Réponse\n"));
  EXPECT_TRUE(run.out.contains("signature\tJean\n"));

  run = runCli({"show", "--all-headers", path});
  EXPECT_TRUE(run.out.startsWith("header\tPath: news!not-for-mail\nheader\tFrom: Jean"));
  EXPECT_TRUE(run.out.contains("header\tX-Face: \"H?[/{m]*UEq|1`XY7#']YvK|JBKMeET*cqf;:&jI#yl]5a@Z&"
                               "!G>'\\ai`bI:@&6S_(MKL: fgB\\rpIEiq}}9]EmNy1\\t`A*\n"));

  run = runCli({"show", "--raw", path});
  EXPECT_TRUE(run.out.startsWith("body\tPath: news!not-for-mail\n"));
  EXPECT_TRUE(run.out.contains("body\tSubject: =?ISO-8859-1?Q?R=E9ponse?=\n"));
  EXPECT_TRUE(run.out.contains("body\t> ligne 1\n"));
}

TEST_F(CliShow, SettingsOfTheBaseDirectory) {
  writeFile(dir.path() + "/Orvel.ini",
            "[Display]\nVisibleHeaders=Newsgroups, from\nXFace=0\n");
  const CliRun run = runCli({"--base", dir.path(), "show", path});
  ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
  EXPECT_TRUE(run.out.startsWith("header\tNewsgroups: fr.test\nheader\tFrom: Jean"));
  EXPECT_FALSE(run.out.contains("Subject"));
  EXPECT_FALSE(run.out.contains("face\t"));
}

TEST_F(CliShow, BadUse) {
  EXPECT_EQ(runCli({"show"}).exitCode, 2);
  EXPECT_EQ(runCli({"show", "--bogus", path}).exitCode, 2);
  EXPECT_EQ(runCli({"show", path, path}).exitCode, 2);
  const CliRun missing = runCli({"show", dir.path() + "/none.txt"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_TRUE(missing.err.contains("cannot read"));
}

}  // namespace
