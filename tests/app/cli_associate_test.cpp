// orvel-cli associate in a private home: the flags answer the two questions;
// a question no flag answers fails naming its flags and writes nothing.

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
  QString home() const { return dir_.path() + "/home"; }
  QString read(const QString& path) const {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
  }
  QTemporaryDir dir_;
};

TEST_P(CliAssociateTest, FlagsAnswerTheQuestions) {
  const AssociateCase& c = GetParam();
  ASSERT_TRUE(dir_.isValid());
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("HOME", home());
  env.insert("XDG_DATA_HOME", home() + "/data");
  env.insert("XDG_CONFIG_HOME", home() + "/config");
  env.insert("XDG_DATA_DIRS", home() + "/none");
  env.insert("XDG_CONFIG_DIRS", home() + "/none");
  for (const char* name : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION",
                           "GNOME_DESKTOP_SESSION_ID", "DE"}) {
    env.remove(name);
  }
  QProcess p;
  p.setProcessEnvironment(env);
  p.setStandardInputFile(QProcess::nullDevice());
  p.start(ORVEL_CLI_PATH, QStringList{"associate"} + c.args);
  ASSERT_TRUE(p.waitForFinished(60000)) << "orvel-cli associate did not end";
  const QString err = QString::fromUtf8(p.readAllStandardError());
  EXPECT_EQ(p.exitCode(), c.exitCode) << err.toStdString();
  EXPECT_EQ(QString::fromUtf8(p.readAllStandardOutput()).toStdString(), c.out);
  const QStringList errLines = err.split('\n', Qt::SkipEmptyParts);
  EXPECT_EQ(errLines.isEmpty() ? std::string() : errLines.first().toStdString(), c.errFirst);

  const QString entry = read(home() + "/data/applications/orvel.desktop");
  const QString mimeApps = read(home() + "/config/mimeapps.list");
  if (*c.mime == '\0') {
    EXPECT_TRUE(entry.isEmpty());
    EXPECT_TRUE(mimeApps.isEmpty());
    return;
  }
  EXPECT_TRUE(entry.contains(QString("\nExec=%1 /url=%u\n").arg(ORVEL_GUI_PATH)))
      << entry.toStdString();
  EXPECT_TRUE(entry.contains(QString("\n%1\n").arg(c.mime))) << entry.toStdString();
  EXPECT_TRUE(mimeApps.contains("x-scheme-handler/news=orvel.desktop"))
      << mimeApps.toStdString();
  EXPECT_EQ(mimeApps.contains("x-scheme-handler/snews=orvel.desktop"),
            QString(c.mime).contains("snews"))
      << mimeApps.toStdString();
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
