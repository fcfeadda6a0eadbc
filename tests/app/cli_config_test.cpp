// orvel-cli servers, identity, settings and keys on hand-written files.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "config/actions.h"

namespace {

class CliConfigTest : public ::testing::Test {
 protected:
  void SetUp() override {
    write("servers.ini",
          "[Profiles]\ncount=2\n1=news.example.net:563\n2=work,news.example.org\nDefault=2\n"
          "[work]\nID=Work\nUserName=ann\nStartTLS=1\nCompress=0\n");
    write("IDs.ini", "[Work]\nOrganization=Example Ltd\n");
    write("Orvel.ini",
          "[ID]\nName=Ann\n[Compose]\nWrapColumn=90\nCutSize=9000\n"
          "[Misc]\nXferTimeOut=1801\nCatchUpButton=7\n");
    write("groups.ini", "[bin]\nregex=binaries\nID=Work\nSortOrder=-1\nArchive=*\n");
    write("keys.ini", "[Main]\nacmKeys=Ctrl+Shift+F1\nacmFind=0\n[Article]\nacaKill=junk\n");
  }
  void write(const QString& name, const QByteArray& text) {
    QFile f(dir_.path() + "/" + name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
  }
  QString run(const QStringList& args, int expectedExit = 0) {
    QProcess p;
    p.start(ORVEL_CLI_PATH, QStringList{"--base", dir_.path()} + args);
    p.waitForFinished(10000);
    const QString out = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
    EXPECT_EQ(p.exitCode(), expectedExit) << out.toStdString();
    return out;
  }
  QTemporaryDir dir_;
};

TEST_F(CliConfigTest, ServersListsEveryProfileAndTheDefault) {
  const QString out = run({"servers"});
  EXPECT_TRUE(out.contains("  news.example.net  news.example.net:563 tls  user: none  "
                           "identity: <Default>  newsrc: " +
                           dir_.path() +
                           "/news.example.net.newsrc  extensions: on  starttls: off  "
                           "compress: on  pipelining: 4\n"))
      << out.toStdString();
  EXPECT_TRUE(out.contains("* work  news.example.org:119  user: ann (password asked)  "
                           "identity: Work  newsrc: " +
                           dir_.path() +
                           "/work.newsrc  extensions: on  starttls: on  compress: off  pipelining: 4\n"))
      << out.toStdString();
}

TEST_F(CliConfigTest, AddAndRemoveSaveTheServersFile) {
  QFile ca(dir_.path() + "/ca.pem");
  ASSERT_TRUE(ca.open(QIODevice::WriteOnly));
  ca.close();
  run({"servers", "add", "home", "news.home.net:8119", "--user", "bob", "--password", "pw",
       "--tls", "--ca-file", dir_.path() + "/ca.pem", "--smtp", "mail.home.net:587",
       "--smtp-user", "bob@home.net", "--smtp-password", "mailpw"});
  QFile file(dir_.path() + "/servers.ini");
  EXPECT_EQ(file.permissions() & (QFile::ReadGroup | QFile::ReadOther), 0);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(file.readAll());
  file.close();
  EXPECT_TRUE(text.contains("3=home,news.home.net:8119\n")) << text.toStdString();
  EXPECT_TRUE(text.contains("TLS=1\nCAFile=ca.pem\n")) << text.toStdString();
  EXPECT_FALSE(text.contains("pw\n"));
  EXPECT_TRUE(text.contains("SMTPHost=mail.home.net:587\nSMTPUser=bob@home.net\nSMTPPassWd="))
      << text.toStdString();
  EXPECT_TRUE(run({"servers"}).contains("home  news.home.net:8119 tls  user: bob (password stored)"));

  EXPECT_TRUE(run({"servers", "add", "WORK", "h"}, 1).contains("Ce nom (surnom) WORK existe déjà !  "));
  EXPECT_TRUE(run({"servers", "add", "a:b", "h"}, 1).contains("Un alias ne doit pas contenir"));
  run({"servers", "add", "x"}, 2);

  EXPECT_TRUE(run({"servers", "remove", "home"}).contains("removed home"));
  EXPECT_FALSE(run({"servers"}).contains("home"));
  run({"servers", "remove", "home"}, 1);
}

TEST_F(CliConfigTest, IdentityOfAProfileInAGroup) {
  QString out = run({"identity", "work"});
  EXPECT_TRUE(out.contains("identity Work\n"));
  EXPECT_TRUE(out.contains("  Organization        Example Ltd\n"));
  out = run({"identity", "news.example.net", "alt.binaries.pictures"});
  EXPECT_TRUE(out.contains("identity Work\n")) << out.toStdString();
  EXPECT_TRUE(out.contains("  SortOrder           -1\n"));
  EXPECT_TRUE(out.contains("  Archive             alt.binaries.pictures\n"));
  run({"identity", "nobody"}, 1);
}

TEST_F(CliConfigTest, SettingsShowDefaultsForOutOfRangeValues) {
  const QString out = run({"settings"});
  EXPECT_TRUE(out.contains("\n  WrapColumn=76\n")) << out.toStdString();
  EXPECT_TRUE(out.contains("\n* CutSize=9000\n"));
  EXPECT_TRUE(out.contains("\n  XferTimeOut=30\n"));
  EXPECT_TRUE(out.contains("\n  CatchUpButton=0\n"));
  EXPECT_TRUE(out.contains("[Display]\n"));
}

TEST_F(CliConfigTest, KeysShowEffectiveShortcuts) {
  QString out = run({"keys", "Main"});
  EXPECT_TRUE(out.contains(QRegularExpression("acmKeys +Ctrl\\+Shift\\+F1 +Raccourcis CLAVIER")));
  EXPECT_TRUE(out.contains(QRegularExpression("acmFind {20,}Chercher dans les DOSSIERS")));
  EXPECT_FALSE(out.contains("[Article]"));
  out = run({"keys", "articles"});
  EXPECT_TRUE(out.contains(QRegularExpression("acaKill +K +PLONKer")));
  out = run({"keys"});
  for (const char* section : {"[Main]", "[Group]", "[Article]", "[Edit]", "[Folders]"}) {
    EXPECT_TRUE(out.contains(section)) << section;
  }
  run({"keys", "nowhere"}, 2);
}

}  // namespace

namespace {

using namespace orvel;

// Every action once, in four fields, its shortcut as keys.ini makes it.
TEST_F(CliConfigTest, ActionsListEveryCommandWithItsStatus) {
  QFile keys(dir_.path() + "/keys.ini");
  ASSERT_TRUE(keys.open(QIODevice::WriteOnly));
  keys.write("[Main]\r\nacmEditScore=0\r\n");
  keys.close();
  const QStringList lines = run({"actions"}).split('\n', Qt::SkipEmptyParts);
  std::size_t expected = 0;
  for (const ActionWindow w : kActionWindows) expected += BuiltInActions(w).size();
  ASSERT_EQ(static_cast<std::size_t>(lines.size()), expected);
  int waiting = 0;
  for (const QString& line : lines) {
    const QStringList f = line.split('\t');
    ASSERT_EQ(f.size(), 4) << line.toStdString();
    EXPECT_TRUE(f[3] == "ok" || f[3] == "not built") << line.toStdString();
    waiting += f[3] == "not built";
    if (f[0] == "acmEditScore") EXPECT_EQ(f[2], "") << "no shortcut after keys.ini";
    if (f[0] == "acmEnableScoring") EXPECT_EQ(f[2], "Ctrl+Y");
  }
  EXPECT_EQ(waiting, 0) << "every command has its handler";
  run({"actions", "extra"}, 2);
}

}  // namespace
