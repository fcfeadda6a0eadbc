// The options window on a throw-away base directory: values entered reach
// the files and come back equal after a restart, values the file's reading
// would refuse keep the window open, Cancel and failed writes change
// nothing, and OK without changes rewrites "Orvel.ini" byte for byte.

#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include "config/settings_table.h"
#include "core/ini_file.h"
#include "support/scripted_prompter.h"
#include "ui/config_form.h"
#include "ui/config_identities_page.h"
#include "ui/config_servers_page.h"
#include "ui/config_settings_page.h"
#include "ui_test_support.h"

using namespace orvel;
using orvel::test::ModalScript;
using orvel::test::ScriptedPrompter;
using orvel::ui::TConfigForm;
using Page = TConfigForm::Page;

Q_DECLARE_METATYPE(Page)

namespace {

struct Options {
  explicit Options(const std::string& orvelIni =
                       "[Compose]\r\nWrapColumn=72\r\n[Misc]\r\nHardKill=1\r\n") {
    base.write("Orvel.ini", orvelIni);
    base.write("servers.ini", "[Profiles]\r\ncount=1\r\n1=srv,news.example.net\r\n");
    base.write("IDs.ini", "[Club]\r\nName=Club\r\n");
    base.start(app, state);
  }
  std::unique_ptr<TConfigForm> open() {
    return std::make_unique<TConfigForm>(app, state, orvel::ui::ConfigFormHooks{}, &prompter);
  }
  static void pressOk(TConfigForm& form) {
    form.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  }
  static void type(TConfigForm& form, Page page, const char* key, const QString& text) {
    auto* line = qobject_cast<QLineEdit*>(form.settingsPage(page).field(key));
    QVERIFY2(line, key);
    line->setText(text);
  }
  std::string files() const {
    return base.read("Orvel.ini") + "\n--\n" + base.read("servers.ini") + "\n--\n" +
           base.read("IDs.ini");
  }
  // Every settings key in its file form.
  static std::vector<std::string> texts(const Settings& s) {
    std::vector<std::string> out;
    for (const SettingKey& k : SettingsTable()) {
      out.push_back(std::string(k.key) + "=" + SettingText(s, k));
    }
    for (const CustomHeader& h : s.customHeaders) out.push_back(h.line);
    return out;
  }

  test::GuiBase base;
  AppState app;
  MainState state;
  ScriptedPrompter prompter;
};

}  // namespace

class ConfigFormTest : public QObject {
  Q_OBJECT

 private slots:
  // Values entered on several pages, a colour picked, a profile and an
  // identity added: the files hold them and a restart reads the same state.
  void changesSurviveARestart() {
    Options o;
    TProfile* live = o.state.profiles[0].get();
    auto form = o.open();
    Options::type(*form, Page::Compose, "WrapColumn", "70");
    Options::type(*form, Page::Compose, "WarnExcessiveQuote", "150");  // read as 0
    Options::type(*form, Page::Misc, "LaunchTypes", ".jpg|.txt");
    Options::type(*form, Page::XOver, "PromptThreshold", "0");
    qobject_cast<QCheckBox*>(form->settingsPage(Page::Misc).field("HardKill"))->setChecked(false);
    form->customHeaders().setPlainText("*X-Orvel: oui\nX-Face: abc");
    ModalScript script;
    script.then([](QWidget* w) {
      auto* dialog = qobject_cast<QColorDialog*>(w);
      QVERIFY2(dialog, "a colour dialog was expected");
      dialog->setCurrentColor(QColor(1, 2, 3));
      dialog->accept();
    });
    qobject_cast<QPushButton*>(form->settingsPage(Page::Display).field("GridColor"))->click();
    QVERIFY(script.done());
    form->findChild<QLineEdit*>("userName")->setText("ann");
    o.prompter.answerText("news.other.example");
    o.prompter.answerText("other");
    form->findChild<QPushButton*>("bAddProfile")->click();
    o.prompter.answerText("Travail");
    form->findChild<QPushButton*>("bAddId")->click();
    form->identitiesPage().field(0).setText("Ann Work");
    Options::pressOk(*form);
    QCOMPARE(form->result(), int(QDialog::Accepted));

    const IniFile ini(o.base.file("Orvel.ini"));
    QCOMPARE(ini.readString("Compose", "WrapColumn"), std::string("70"));
    QCOMPARE(ini.readString("Compose", "WarnExcessiveQuote"), std::string("0"));
    QCOMPARE(ini.readString("Compose", "CustomHeadersCount"), std::string("2"));
    QCOMPARE(ini.readString("Misc", "LaunchTypes"), std::string(".JPG|.TXT"));
    QCOMPARE(ini.readString("Misc", "HardKill"), std::string("0"));
    QCOMPARE(ini.readString("XOVER", "PromptThreshold"), std::string("0"));
    QCOMPARE(ini.readString("Display", "GridColor"), std::string("$030201"));
    const IniFile servers(o.base.file("servers.ini"));
    QCOMPARE(servers.readString("Profiles", "2"), std::string("other,news.other.example"));
    QCOMPARE(servers.readString("srv", "UserName"), std::string("ann"));
    QCOMPARE(IniFile(o.base.file("IDs.ini")).readString("Travail", "Name"),
             std::string("Ann Work"));
    // Connections hold the live profile: it is changed, not replaced.
    QCOMPARE(o.state.profiles[0].get(), live);
    QCOMPARE(live->userName, std::string("ann"));

    AppState app2;
    MainState again;
    o.base.start(app2, again);
    QCOMPARE(Options::texts(again.settings), Options::texts(o.state.settings));
    QCOMPARE(again.profiles.size(), std::size_t(2));
    QCOMPARE(again.identities.size(), std::size_t(3));
    QCOMPARE(again.identities[2].Name, std::string("Ann Work"));
  }

  // A value the file's reading would not take: the window stays open, says
  // which field, and writes nothing.
  void refusedValuesKeepTheWindowOpen_data() {
    QTest::addColumn<Page>("page");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("text");
    QTest::newRow("wrap column above 78") << Page::Compose << "WrapColumn" << "90";
    QTest::newRow("not a number") << Page::XOver << "DefragGapSize" << "vingt";
    QTest::newRow("web query without %m") << Page::Misc << "DejaQuery" << "https://x/";
    QTest::newRow("empty quote characters") << Page::Misc << "QuoteChars" << "";
  }
  void refusedValuesKeepTheWindowOpen() {
    QFETCH(Page, page);
    QFETCH(QString, key);
    QFETCH(QString, text);
    Options o;
    const std::string before = o.files();
    const std::vector<std::string> settingsBefore = Options::texts(o.state.settings);
    auto form = o.open();
    Options::type(*form, page, qPrintable(key), text);
    Options::pressOk(*form);
    QVERIFY(form->result() != QDialog::Accepted);
    QCOMPARE(o.prompter.messages().size(), std::size_t(1));
    QVERIFY2(o.prompter.messages()[0].find(text.toStdString()) != std::string::npos,
             o.prompter.messages()[0].c_str());
    QCOMPARE(o.files(), before);
    QCOMPARE(Options::texts(o.state.settings), settingsBefore);
  }

  void badPersonalHeaderLineIsRefused() {
    Options o;
    auto form = o.open();
    form->customHeaders().setPlainText("X-Good: yes\nX-Bad yes");
    Options::pressOk(*form);
    QVERIFY(form->result() != QDialog::Accepted);
    QVERIFY(o.state.settings.customHeaders.empty());
  }

  // Cancel after changes, and a file that cannot be written: the files and
  // the program's state stay as they were.
  void cancelAndFailedWritesChangeNothing() {
    for (const bool failWrite : {false, true}) {
      Options o;
      if (failWrite) {  // a directory where "servers.ini" goes
        QVERIFY(QFile::remove(QString::fromStdString(o.base.file("servers.ini"))));
        QVERIFY(QDir().mkpath(QString::fromStdString(o.base.file("servers.ini"))));
      }
      const std::size_t profilesBefore = o.state.profiles.size();
      const std::string before = o.files();
      auto form = o.open();
      Options::type(*form, Page::Compose, "WrapColumn", "70");
      o.prompter.answerText("news.other.example");
      o.prompter.answerText("other");
      form->findChild<QPushButton*>("bAddProfile")->click();
      if (failWrite) {
        Options::pressOk(*form);
        QVERIFY(form->result() != QDialog::Accepted);
        QCOMPARE(o.prompter.records().back().messageKind, MessageKind::Error);
      } else {
        form->reject();
        QCOMPARE(o.files(), before);
      }
      QCOMPARE(o.state.settings.wrapColumn, 72);
      QCOMPARE(o.state.profiles.size(), profilesBefore);
    }
  }

  // What the program wrote, opened and closed with OK without changes, is
  // written again byte for byte.
  void okWithoutChangesRewritesTheSameBytes() {
    // A Latin-1 byte stays as it is.
    Options o("[Compose]\r\nNewsAttrib=Le %d, %n a \xc3\xa9" "crit :  \r\nWrapColumn=72\r\n"
              "[Misc]\r\nQuoteChars=>|\xbb\r\n");
    auto first = o.open();
    first->show();
    for (Page page : {Page::Servers, Page::Identities, Page::Compose, Page::Display, Page::Misc,
                      Page::XOver, Page::Menus}) {
      first->showPage(page);
      test::saveScreen(first.get(), QString("options-%1").arg(static_cast<int>(page)));
    }
    Options::pressOk(*first);
    QCOMPARE(first->result(), int(QDialog::Accepted));
    const std::string written = o.files();
    auto second = o.open();
    Options::pressOk(*second);
    QCOMPARE(second->result(), int(QDialog::Accepted));
    QCOMPARE(o.files(), written);
    QVERIFY(written.find("=>|\xbb\r\n") != std::string::npos);
  }

  // The extension switches: greyed where the TLS and extensions boxes make
  // them moot, and kept by OK, by the file and by the window opened again.
  void extensionSwitchesSurviveOk_data() {
    QTest::addColumn<bool>("tls");
    QTest::addColumn<bool>("extensions");
    QTest::addColumn<bool>("startTls");
    QTest::addColumn<bool>("compress");
    QTest::addColumn<bool>("startTlsEnabled");
    QTest::addColumn<bool>("compressEnabled");
    QTest::newRow("defaults") << false << true << false << true << true << true;
    QTest::newRow("STARTTLS, no compression") << false << true << true << false << true << true;
    QTest::newRow("TLS greys STARTTLS") << true << true << false << false << false << true;
    QTest::newRow("no extensions greys both") << false << false << true << true << false << false;
  }
  void extensionSwitchesSurviveOk() {
    QFETCH(bool, tls);
    QFETCH(bool, extensions);
    QFETCH(bool, startTls);
    QFETCH(bool, compress);
    QFETCH(bool, startTlsEnabled);
    QFETCH(bool, compressEnabled);
    const auto check = [&](TConfigForm& form, bool set) {
      const char* names[] = {"tls", "extensions", "startTls", "compress"};
      const bool values[] = {tls, extensions, startTls, compress};
      for (std::size_t i = 0; i < std::size(names); ++i) {
        auto* box = form.findChild<QCheckBox*>(names[i]);
        QVERIFY2(box, names[i]);
        if (set) box->setChecked(values[i]);
        QVERIFY2(box->isChecked() == values[i], names[i]);
      }
      QCOMPARE(form.findChild<QCheckBox*>("startTls")->isEnabled(), startTlsEnabled);
      QCOMPARE(form.findChild<QCheckBox*>("compress")->isEnabled(), compressEnabled);
    };
    Options o;
    auto form = o.open();
    check(*form, true);
    Options::pressOk(*form);
    QCOMPARE(form->result(), int(QDialog::Accepted));
    const TProfile& live = *o.state.profiles[0];
    QCOMPARE(std::tie(live.tls, live.extensions, live.startTls, live.compress),
             std::tie(tls, extensions, startTls, compress));

    AppState app2;
    MainState again;
    o.base.start(app2, again);
    const TProfile& read = *again.profiles[0];
    QCOMPARE(std::tie(read.tls, read.extensions, read.startTls, read.compress),
             std::tie(tls, extensions, startTls, compress));
    check(*o.open(), false);
  }

  // The news-link button asks first; No leaves the applications directory
  // untouched.
  void newsLinkAssociationAsksFirst() {
    Options o;
    QTemporaryDir data;
    QVERIFY(data.isValid());
    const bool wasSet = qEnvironmentVariableIsSet("XDG_DATA_HOME");
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", data.path().toUtf8());
    TConfigForm form(o.app, o.state, {});  // questions in message boxes over the window
    ModalScript script;
    script.then(ModalScript::press(QMessageBox::No, "Lecteur de news par d\u00e9faut?"));
    form.findChild<QPushButton*>("bAssoc")->click();
    if (wasSet) {
      qputenv("XDG_DATA_HOME", saved);
    } else {
      qunsetenv("XDG_DATA_HOME");
    }
    QVERIFY(script.done());
    QVERIFY2(script.unexpected().isEmpty(), qPrintable(script.unexpected().join('\n')));
    QVERIFY(!QFile::exists(data.path() + "/applications"));
  }
};

QTEST_MAIN(ConfigFormTest)
#include "config_form_test.moc"
