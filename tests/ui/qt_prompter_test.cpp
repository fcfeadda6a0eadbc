#include "ui/qt_prompter.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using orvel::Button;

class QtPrompterTest : public QObject {
  Q_OBJECT

 private:
  // Presses the button with the given text in the next modal box.
  static void pressLater(const QString& text) {
    QTimer::singleShot(0, [text] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      QVERIFY(box);
      for (QAbstractButton* b : box->buttons()) {
        if (b->text().remove('&') == text) {
          b->click();
          return;
        }
      }
      QFAIL(qPrintable("no button " + text));
    });
  }

 private slots:
  void filters_data() {
    QTest::addColumn<QString>("in");
    QTest::addColumn<QString>("out");
    QTest::newRow("empty") << "" << "";
    QTest::newRow("one") << "Images|*.jpg;*.png" << "Images (*.jpg *.png)";
    QTest::newRow("two") << "Text|*.txt|All|*" << "Text (*.txt);;All (*)";
  }
  void filters() {
    QFETCH(QString, in);
    QFETCH(QString, out);
    QCOMPARE(orvel::ui::qtFileFilter(in.toStdString()), out);
  }

  void askReturnsThePressedButton_data() {
    QTest::addColumn<QString>("press");
    QTest::addColumn<int>("expected");
    QTest::newRow("yes") << "Yes" << static_cast<int>(Button::Yes);
    QTest::newRow("no") << "No" << static_cast<int>(Button::No);
    QTest::newRow("all") << "Tous" << static_cast<int>(Button::All);
    QTest::newRow("cancel") << "Cancel" << static_cast<int>(Button::Cancel);
  }
  void askReturnsThePressedButton() {
    QFETCH(QString, press);
    QFETCH(int, expected);
    orvel::ui::QtPrompter qtPrompter(nullptr);
    orvel::Prompter& prompter = qtPrompter;
    pressLater(press);
    QCOMPARE(static_cast<int>(prompter.ask("Tuer la connexion 2?", orvel::kYesNoCancelAll)),
             expected);
  }

  void maskedInputHidesTheText() {
    orvel::ui::QtPrompter prompter(nullptr);
    QTimer::singleShot(0, [] {
      auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
      QVERIFY(dialog);
      QCOMPARE(dialog->textEchoMode(), QLineEdit::Password);
      dialog->setTextValue("secret");
      dialog->accept();
    });
    const auto text = prompter.inputText("Login", "Mot de passe", "", orvel::InputMode::Masked);
    QVERIFY(text.has_value());
    QCOMPARE(QString::fromStdString(*text), QString("secret"));
  }

  void statusGoesToTheSink() {
    orvel::ui::QtPrompter prompter(nullptr);
    QString seen;
    prompter.setStatusSink([&](const QString& s) { seen = s; });
    prompter.status("Liste des groupes....");
    QCOMPARE(seen, QString("Liste des groupes...."));
  }
};

QTEST_MAIN(QtPrompterTest)
#include "qt_prompter_test.moc"
