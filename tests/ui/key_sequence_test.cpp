// Shortcut codes as Qt key sequences and typed keys back to codes.

#include <QtTest>

#include "config/actions.h"
#include "config/shortcuts.h"
#include "ui/key_sequence.h"

using orvel::ui::KeySequencesOf;
using orvel::ui::ShortcutCodeOf;

class KeySequenceTest : public QObject {
  Q_OBJECT

 private slots:
  void sequences_data() {
    QTest::addColumn<QString>("shortcut");
    QTest::addColumn<QStringList>("sequences");
    QTest::newRow("ctrl letter") << "Ctrl+Y" << QStringList{"Ctrl+Y"};
    QTest::newRow("two modifiers") << "Ctrl+Shift+K" << QStringList{"Ctrl+Shift+K"};
    QTest::newRow("alt insert") << "Alt+Ins" << QStringList{"Alt+Ins"};
    QTest::newRow("function key") << "Ctrl+F1" << QStringList{"Ctrl+F1"};
    QTest::newRow("bare punctuation") << "=" << QStringList{"="};
    QTest::newRow("backquote") << "`" << QStringList{"`"};
    QTest::newRow("shifted punctuation")
        << "Shift+." << QStringList{"Shift+.", ">", "Shift+>"};
    QTest::newRow("shifted quote") << "Shift+'" << QStringList{"Shift+'", "\"", "Shift+\""};
    QTest::newRow("ctrl backspace") << "Ctrl+Backspace" << QStringList{"Ctrl+Backspace"};
    QTest::newRow("keypad") << "Num 5" << QStringList{"Num+5"};
    QTest::newRow("none") << "" << QStringList{};
  }
  void sequences() {
    QFETCH(QString, shortcut);
    QFETCH(QStringList, sequences);
    const auto code = orvel::TextToShortCut(shortcut.toStdString());
    QVERIFY(code.has_value());
    QStringList texts;
    for (const QKeySequence& s : KeySequencesOf(*code)) {
      texts << s.toString(QKeySequence::PortableText);
    }
    QCOMPARE(texts, sequences);
  }

  // Every built-in shortcut, typed as Qt reports it, gives its code back.
  void everyBuiltInShortcutRoundTrips() {
    using orvel::ActionWindow;
    for (ActionWindow w : {ActionWindow::Main, ActionWindow::GroupList, ActionWindow::GroupView,
                           ActionWindow::Compose, ActionWindow::Folders}) {
      for (const auto& def : orvel::BuiltInActions(w)) {
        const int code = orvel::BuiltInShortcut(def);
        if (code == 0) continue;
        const QList<QKeySequence> sequences = KeySequencesOf(code);
        QVERIFY2(!sequences.isEmpty(), def.name);
        for (const QKeySequence& s : sequences) {
          const QKeyCombination typed = s[0];
          QCOMPARE(ShortcutCodeOf(typed.key(), typed.keyboardModifiers()), code);
        }
      }
    }
  }

  void modifiersAloneHaveNoCode() {
    QCOMPARE(ShortcutCodeOf(Qt::Key_Shift, Qt::ShiftModifier), 0);
    QCOMPARE(ShortcutCodeOf(Qt::Key_Control, Qt::ControlModifier), 0);
  }
};

QTEST_MAIN(KeySequenceTest)
#include "key_sequence_test.moc"
