// orvel-cli associate in a private home: the flags answer the two questions
// and xdg-mime then names orvel.desktop for each scheme registered; a
// question no flag answers fails naming its flags and writes nothing.

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

namespace {

struct AssociateCase {
  const char* name;
  QStringList args;
  int exitCode;
  const char* out;
  const char* errFirst;  // the first line on the error stream; empty: none
  const char* mime;     // the entry's MimeType line; empty: no entry written
};
void PrintTo(const AssociateCase& c, std::ostream* os) { *os << c.name; }

class CliAssociateTest : public testing::TestWithParam<AssociateCase> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    env_ = QProcessEnvironment::systemEnvironment();
    env_.insert("HOME", home());
    env_.insert("XDG_DATA_HOME", home() + "/data");
    env_.insert("XDG_CONFIG_HOME", home() + "/config");
    env_.insert("XDG_DATA_DIRS", home() + "/none");
    env_.insert("XDG_CONFIG_DIRS", home() + "/none");
    for (const char* name : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION",
                             "GNOME_DESKTOP_SESSION_ID", "DE"}) {
      env_.remove(name);
    }
  }
  QString home() const { return dir_.path() + "/home"; }
  QString read(const QString& path) const {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
  }
  // What the desktop answers for a scheme: "orvel.desktop\n", or nothing.
  std::string handler(const QString& scheme) {
    QProcess p;
    p.setProcessEnvironment(env_);
    p.start("xdg-mime", {"query", "default", "x-scheme-handler/" + scheme});
    if (!p.waitForFinished(60000)) return "(no answer)";
    return p.readAllStandardOutput().toStdString();
  }
  QTemporaryDir dir_;
  QProcessEnvironment env_;
};

TEST_P(CliAssociateTest, FlagsAnswerTheQuestions) {
  // The command associates the GUI program, which this build lacks.
  if (std::string(ORVEL_GUI_PATH).empty()) GTEST_SKIP() << "built without the GUI";
  const AssociateCase& c = GetParam();
  QProcess p;
  p.setProcessEnvironment(env_);
  p.setStandardInputFile(QProcess::nullDevice());
  p.start(ORVEL_CLI_PATH, QStringList{"associate"} + c.args);
  ASSERT_TRUE(p.waitForFinished(60000)) << "orvel-cli associate did not end";
  const QString err = QString::fromUtf8(p.readAllStandardError());
  EXPECT_EQ(p.exitCode(), c.exitCode) << err.toStdString();
  EXPECT_EQ(QString::fromUtf8(p.readAllStandardOutput()).toStdString(), c.out);
  const QStringList errLines = err.split('\n', Qt::SkipEmptyParts);
  EXPECT_EQ(errLines.isEmpty() ? std::string() : errLines.first().toStdString(), c.errFirst);

  const QString entry = read(home() + "/data/applications/orvel.desktop");
  const bool secure = QString(c.mime).contains("snews");
  EXPECT_EQ(handler("news"), *c.mime ? "orvel.desktop\n" : "");
  EXPECT_EQ(handler("nntp"), *c.mime ? "orvel.desktop\n" : "");
  EXPECT_EQ(handler("snews"), secure ? "orvel.desktop\n" : "");
  if (*c.mime == '\0') {
    EXPECT_TRUE(entry.isEmpty());
    return;
  }
  EXPECT_TRUE(entry.contains(QString("\nExec=%1 %u\n").arg(ORVEL_GUI_PATH)))
      << entry.toStdString();
  EXPECT_TRUE(entry.contains(QString("\n%1\n").arg(c.mime))) << entry.toStdString();
}

constexpr const char* kAll =
    "MimeType=x-scheme-handler/news;x-scheme-handler/nntp;x-scheme-handler/snews;";

INSTANTIATE_TEST_SUITE_P(
    Cases, CliAssociateTest,
    testing::Values(
        AssociateCase{"YesWithSecureLinks", {"--yes", "--snews"}, 0, "Done!\n", "", kAll},
        AssociateCase{"YesWithoutSecureLinks", {"--no-snews", "--yes"}, 0, "Done!\n", "",
                      "MimeType=x-scheme-handler/news;x-scheme-handler/nntp;"},
        AssociateCase{"FirstQuestionNeedsYes", {"--snews"}, 1, "",
                      "orvel-cli associate: cannot ask \"Orvel : Lecteur de news par d\u00e9faut? "
                      "Le seul moyen de modifier cette option   est de s\u00e9lectionner un autre "
                      "lecteur .\" without a terminal; answer with --yes",
                      ""},
        AssociateCase{"SecureLinksNeverAssumedNo", {"--yes"}, 1, "",
                      "orvel-cli associate: cannot ask \"Orvel doit-il aussi ouvrir les liens de "
                      "news s\u00e9curis\u00e9s (snews:) ?\" without a terminal; answer with "
                      "--snews or --no-snews",
                      ""},
        AssociateCase{"BothSecureFlags", {"--yes", "--snews", "--no-snews"}, 2, "",
                      "orvel-cli associate: give --snews or --no-snews once", ""},
        AssociateCase{"UnknownFlag", {"--force"}, 2, "",
                      "orvel-cli associate: unexpected argument --force", ""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
