// The plonk window and the score-rule builder, driven as a person would.

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSoundEffect>
#include <QTreeWidget>
#include <QtTest>

#include "core/atomic_file.h"
#include "support/scripted_prompter.h"
#include "ui/add_score_dialog.h"
#include "ui/plonk_window.h"
#include "ui/sound_player.h"

using namespace orvel;
using orvel::test::ScriptedPrompter;
using orvel::ui::TfmAddScore;
using orvel::ui::TfmPlonk;
using orvel::ui::QtSoundPlayer;

namespace {

constexpr std::int32_t kToday = 45356;  // 2024-03-05

QStringList rows(QTreeWidget& list) {
  QStringList out;
  for (int i = 0; i < list.topLevelItemCount(); ++i) {
    const auto* item = list.topLevelItem(i);
    out << item->text(0) + "|" + item->text(1) + "|" + item->text(2);
  }
  return out;
}

// A short silent WAV: 8 kHz, 8-bit mono, 80 samples.
std::string silentWav() {
  const auto le = [](std::uint32_t v, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
    return out;
  };
  const std::uint32_t samples = 80;
  return "RIFF" + le(36 + samples, 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(1, 2) +
         le(8000, 4) + le(8000, 4) + le(1, 2) + le(8, 2) + "data" + le(samples, 4) +
         std::string(samples, '\x80');
}

RuleArticle article() {
  RuleArticle a;
  a.subject = "Re: Test";
  a.fromName = "Jo";
  a.fromAddress = "jo@x.fr";
  a.messageId = "<m1@x.fr>";
  a.references = "<h@x.fr>";
  a.lines = 7;
  return a;
}

}  // namespace

class ScoreWindowsTest : public QObject {
  Q_OBJECT

 private slots:
  void plonkWindowAddsDeletesAndEdits() {
    TPlonker plonker;
    plonker.AddPlonk("ann", "ann@x", false, kToday + 30);
    ScriptedPrompter prompter;
    TfmPlonk window(plonker, prompter, kToday, DateFormatSettings{});
    QCOMPARE(window.windowTitle(), QString("Fichier de Plonk"));
    QCOMPARE(window.list().headerItem()->text(2), QString("Expire le:"));
    QCOMPARE(rows(window.list()), QStringList{"ann|ann@x|04/04/2024"});

    prompter.answerText("Zed");
    prompter.answerText("Zed@Y");
    prompter.answerNumber(0);
    window.addButton().click();
    QCOMPARE(rows(window.list()), (QStringList{"ann|ann@x|04/04/2024", "zed|zed@y|"}));
    QCOMPARE(QString::fromStdString(prompter.records()[0].caption), QString("Plonker ce c.."));

    prompter.answerText("ANN");
    prompter.answerText("ann@x");
    prompter.answerNumber(3);
    window.addEntry();
    QCOMPARE(prompter.messages().back(), std::string("Existe d\u00e9j\u00e0 !!!"));
    QCOMPARE(window.list().topLevelItemCount(), 2);

    // One cell at a time: zed becomes "ann" at zed@y; that entry then
    // taking ann's address is refused; ann's new address keeps her expiry.
    window.list().topLevelItem(1)->setText(0, "ann");
    QCoreApplication::processEvents();
    QCOMPARE(rows(window.list()), (QStringList{"ann|ann@x|04/04/2024", "ann|zed@y|"}));
    window.list().topLevelItem(1)->setText(1, "ANN@X");
    QCoreApplication::processEvents();
    QCOMPARE(prompter.messages().back(), std::string("Duplicate entry"));
    QCOMPARE(rows(window.list()), (QStringList{"ann|ann@x|04/04/2024", "ann|zed@y|"}));
    window.list().topLevelItem(0)->setText(1, "zz@x");
    QCoreApplication::processEvents();
    QCOMPARE(rows(window.list()), (QStringList{"ann|zed@y|", "ann|zz@x|04/04/2024"}));
    QVERIFY(plonker.IsPlonked("Ann", "zz@x"));
    QVERIFY(!plonker.IsPlonked("ann", "ann@x"));

    window.list().topLevelItem(1)->setSelected(true);  // ann|zz@x
    prompter.answer(Button::Yes);
    QTest::keyClick(&window.list(), Qt::Key_Delete);
    QCOMPARE(prompter.questions().back(), std::string("Supprimer ?    "));
    QCOMPARE(rows(window.list()), QStringList{"ann|zed@y|"});
    QVERIFY(prompter.scriptUsed());
  }

  void ruleBuilderValidatesWritesAndCopies() {
    QTemporaryDir dir;
    const std::string path = dir.path().toStdString() + "/score.ini";
    QVERIFY(SaveFileAtomically(path, "[fr]\r\nScore: 1\r\nSubject: a\r\n"));
    const DateTime now = *EncodeDateTime(2024, 3, 5, 14, 7, 9);
    TfmAddScore dialog(article(), "fr.test", {"fr"}, path, now, DateFormatSettings{});
    QCOMPARE(dialog.windowTitle(), QString("Ajouter au fichier de score"));
    QVERIFY(dialog.applyButton().isEnabled());

    dialog.fieldValue(RuleField::Subject).setCurrentText("Test (");
    QVERIFY(!dialog.applyButton().isEnabled());
    QVERIFY(!dialog.copyButton().isEnabled());
    QVERIFY(dialog.errorLabel().text().startsWith("Subject: Perlre: "));
    dialog.fieldValue(RuleField::Subject).setCurrentText("Test");
    QVERIFY(dialog.applyButton().isEnabled());
    QVERIFY(dialog.errorLabel().text().isEmpty());

    dialog.fieldCheck(RuleField::Subject).setChecked(true);
    dialog.copyButton().click();
    const QString copied = QGuiApplication::clipboard()->text();
    QVERIFY2(copied.startsWith("%[fr]\r\n\r\n"), qPrintable(copied));
    QVERIFY(copied.contains("\r\n        Subject: Test\r\n        %From: Jo\r\n"));

    dialog.applyPreset(RulePreset::KillThread);
    QVERIFY(dialog.fieldCheck(RuleField::References).isChecked());
    QVERIFY(!dialog.fieldCheck(RuleField::Subject).isChecked());
    QSignalSpy written(&dialog, &TfmAddScore::ruleWritten);
    dialog.applyButton().click();
    QCOMPARE(written.count(), 1);
    std::string file;
    QVERIFY(ReadWholeFile(path, file));
    const std::string expected =
        "[fr]\r\nScore: 1\r\nSubject: a\r\n[^fr\\.test$]\r\n"
        "    % Cr\u00e9\u00e9 par Orvel le:    Tue 05 Mar 2024 14:07:09\r\n"
        "    Score:: -9999\r\n        Expires: 04/04/2024\r\n"
        "        References: <h@x\\.fr>\r\n        Message-ID: <h@x\\.fr>\r\n\r\n";
    QCOMPARE(QString::fromStdString(file), QString::fromStdString(expected));
    QVERIFY(!dialog.rescoreOnClose());
  }

  void soundPlayerKeepsOneEffectPerFile() {
    QTemporaryDir dir;
    const std::string ding = dir.path().toStdString() + "/ding.wav";
    const std::string dong = dir.path().toStdString() + "/dong.wav";
    QVERIFY(SaveFileAtomically(ding, silentWav()));
    QVERIFY(SaveFileAtomically(dong, silentWav()));
    QtSoundPlayer player;
    for (int i = 0; i < 3; ++i) player.Play(ding);
    player.Play(dong);  // beside the first: both may sound at once
    QCOMPARE(player.effectCount(), std::size_t(2));
    QVERIFY(player.effect(ding) != player.effect(dong));
    QCOMPARE(player.effect(ding)->source(), QUrl::fromLocalFile(QString::fromStdString(ding)));
    QCOMPARE(player.effect(dong)->source(), QUrl::fromLocalFile(QString::fromStdString(dong)));
    // The samples load on Qt's loader thread, even without an audio device.
    // Waiting for them also keeps a load from racing Qt's teardown at exit.
    for (const std::string& path : {ding, dong})
      QTRY_COMPARE_WITH_TIMEOUT(player.effect(path)->status(), QSoundEffect::Ready, 10000);
  }
};

QTEST_MAIN(ScoreWindowsTest)
#include "score_windows_test.moc"
