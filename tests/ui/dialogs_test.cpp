// The regular-expression tester and the key-binding dialog, driven as a
// person would: typing, clicking, pressing keys.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

#include "config/actions.h"
#include "config/shortcuts.h"
#include "core/ini_file.h"
#include "ui/keys_dialog.h"
#include "ui/regex_dialog.h"
#include "ui_test_support.h"

using namespace orvel;
using orvel::ui::TfmKeys;
using orvel::ui::TfmRegex;

class DialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void regexTester_data() {
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<bool>("caseSensitive");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("optional group left out")
        << "(a)(b)?" << "a" << false << "** Match **" << QStringList{"00) a", "01) a"};
    QTest::newRow("caseless by default")
        << "^re:\\s*(.+)" << "RE: Bonjour" << false << "** Match **"
        << QStringList{"00) RE: Bonjour", "01) Bonjour"};
    QTest::newRow("Majuscules makes case count")
        << "^re:" << "RE: Bonjour" << true << "No match" << QStringList{};
    QTest::newRow("accented text") << "\u00e9t\u00e9" << "L'\u00c9T\u00c9 indien" << false
                                   << "** Match **" << QStringList{"00) \u00c9T\u00c9"};
    QTest::newRow("bad pattern") << "(a" << "a" << false << "Perlre: " << QStringList{};
  }
  void regexTester() {
    QFETCH(QString, pattern);
    QFETCH(QString, subject);
    QFETCH(bool, caseSensitive);
    QFETCH(QString, result);
    QFETCH(QStringList, lines);
    TfmRegex dialog;
    QCOMPARE(dialog.windowTitle(), QString("Test d'Expression r\u00e9guli\u00e8re"));
    dialog.patternBox().setEditText(pattern);
    dialog.stringBox().setEditText(subject);
    dialog.caseBox().setChecked(caseSensitive);
    auto* tester = dialog.findChild<QPushButton*>();
    for (QPushButton* b : dialog.findChildren<QPushButton*>()) {
      if (b->text() == "&Tester") tester = b;
    }
    QTest::mouseClick(tester, Qt::LeftButton);
    QVERIFY2(dialog.resultField().text().startsWith(result),
             qPrintable(dialog.resultField().text()));
    QStringList shown;
    for (int i = 0; i < dialog.lines().count(); ++i) shown << dialog.lines().item(i)->text();
    QCOMPARE(shown, lines);
    QCOMPARE(dialog.patternBox().itemText(0), pattern);  // kept in the history
    test::saveScreen(&dialog, "regex-tester-" + QString(QTest::currentDataTag()).replace(' ', '-'));
  }

  // Giving a group-list action the shortcut of another one moves it there;
  // OK writes both to "keys.ini".
  void keysDialogMovesAShortcut() {
    test::GuiBase base;
    AppState app;
    MainState state;
    base.start(app, state);
    ActionList groups = CreateActionList(ActionWindow::GroupList);
    ApplyKeyBindings(app.bags.groupKeys, groups);
    TfmKeys dialog(app.bags, ActionWindow::GroupList, groups, state.mainActions);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(dialog.windowTitle(), QString("Raccourcis clavier"));
    QTreeWidget& list = dialog.list();
    QCOMPARE(list.topLevelItemCount(), 25 + 19);
    QCOMPARE(list.topLevelItem(0)->text(0), QString("Groups"));
    QCOMPARE(list.topLevelItem(25)->text(0), QString("Main"));

    int subs = -1;
    for (int i = 0; i < list.topLevelItemCount(); ++i) {
      if (list.topLevelItem(i)->text(2) == "S'abonner au(x) groupe(s)") subs = i;
    }
    QVERIFY(subs >= 0);
    list.setCurrentItem(list.topLevelItem(subs));
    QCOMPARE(dialog.shortcutBox().text(), QString("="));
    QVERIFY(!dialog.okButton().isEnabled());

    dialog.shortcutBox().setFocus();
    QTest::keyClick(&dialog.shortcutBox(), Qt::Key_F5, Qt::ControlModifier);
    QCOMPARE(dialog.shortcutBox().text(), QString("Ctrl+F5"));
    QCOMPARE(dialog.setButton().text(), QString("Change"));
    test::saveScreen(&dialog, "keys-dialog");
    QTest::mouseClick(&dialog.setButton(), Qt::LeftButton);
    QCOMPARE(list.topLevelItem(subs)->text(1), QString("Ctrl+F5"));
    QVERIFY(dialog.okButton().isEnabled());
    QTest::mouseClick(&dialog.okButton(), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));

    const IniFile keys(app.keysPath());
    QCOMPARE(QString::fromStdString(keys.readString("Group", "acgSubs")), QString("Ctrl+F5"));
    QCOMPARE(QString::fromStdString(keys.readString("Group", "acgAllMsgCount")), QString("0"));

    // Windows created afterwards take the new keys, in this run and the next.
    AppState next;
    MainState nextState;
    base.start(next, nextState);
    for (TBag* bag : {&app.bags.groupKeys, &next.bags.groupKeys}) {
      ActionList fresh = CreateActionList(ActionWindow::GroupList);
      ApplyKeyBindings(*bag, fresh);
      QCOMPARE(ShortCutToText(FindAction(fresh, "acgSubs")->shortcut), std::string("Ctrl+F5"));
      QCOMPARE(FindAction(fresh, "acgAllMsgCount")->shortcut, 0);
    }
  }

  void keysDialogCancelChangesNothing() {
    test::GuiBase base;
    AppState app;
    MainState state;
    base.start(app, state);
    TfmKeys dialog(app.bags, std::nullopt, {}, state.mainActions);
    QCOMPARE(dialog.list().topLevelItemCount(), 19);
    dialog.list().setCurrentItem(dialog.list().topLevelItem(0));
    dialog.shortcutBox().setFocus();
    QTest::keyClick(&dialog.shortcutBox(), Qt::Key_Y, Qt::AltModifier);
    QCOMPARE(dialog.setButton().text(), QString("Set"));
    QTest::mouseClick(&dialog.setButton(), Qt::LeftButton);
    dialog.reject();
    QVERIFY(!QFileInfo::exists(QString::fromStdString(app.keysPath())));
  }
};

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
