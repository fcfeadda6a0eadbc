// The filter, server search, find and quick filter widgets driven as a
// person would: what enables OK, what is refused, what stays open.

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QtTest>

#include "../articles/thread_builder.h"
#include "ui/filter_dialog.h"
#include "ui/find_dialog.h"
#include "ui/quick_filter_box.h"
#include "ui/xpat_dialog.h"

using namespace orvel;
using namespace orvel::ui;

namespace {

QPushButton* button(QWidget& parent, const QString& text) {
  for (QPushButton* b : parent.findChildren<QPushButton*>()) {
    if (b->text() == text) return b;
  }
  return nullptr;
}

struct FlatHost : ViewFilterHost {
  explicit FlatHost(test::ThreadBuilder& b) : b(b) {}
  void ThreadViewList(bool) override { b.Thread(); }
  DateTime Today() const override { return 45000; }
  TArticle* CurrentArticle() const override { return nullptr; }
  test::ThreadBuilder& b;
};

}  // namespace

class FilterDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void xpatOkFollowsTheRange_data() {
    QTest::addColumn<QString>("range");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("open end") << "1-" << true;
    QTest::newRow("closed") << "5-30" << true;
    QTest::newRow("single") << "7" << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("leading dash") << "-5" << false;
    QTest::newRow("letters") << "1-z" << false;
  }
  void xpatOkFollowsTheRange() {
    QFETCH(QString, range);
    QFETCH(bool, enabled);
    TfmXPat dialog(3, 90, XpatMemory{});
    QCOMPARE(dialog.windowTitle(), QString("Chercher sur le serveur(XPAT)"));
    QVERIFY(dialog.okButton().isEnabled());  // the remembered "1-"
    dialog.rangeField().setText(range);
    QCOMPARE(dialog.okButton().isEnabled(), enabled);
  }

  void xpatRefusesAnEmptyPatternOrHeader() {
    XpatMemory memory;
    memory.score = -300;
    TfmXPat dialog(1, 10, memory);
    QCOMPARE(dialog.scoreBox().value(), -300);
    QVERIFY(dialog.findChild<QLabel*>() != nullptr);
    dialog.show();
    dialog.accept();
    QVERIFY(dialog.isVisible());  // no pattern
    dialog.patternField().setText("abc");
    dialog.headerBox().setCurrentIndex(static_cast<int>(XpatHeader::Other));
    QVERIFY(dialog.otherField().isEnabled());
    dialog.accept();
    QVERIFY(dialog.isVisible());  // "Autre" without a name
    dialog.otherField().setText("X-Foo");
    dialog.accept();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(XpatCommandText(dialog.Form()), std::string("X-Foo 1- [Aa][Bb][Cc]"));
  }

  void filterDialogShowsABadRegexAndStaysOpen() {
    PassFilter filter;
    TfmFilter dialog(filter);
    dialog.show();
    dialog.scoreFrom().setValue(40);
    QCOMPARE(dialog.scoreFromBar().value(), 40);  // kept in step
    dialog.subjectRow().box->setChecked(true);
    dialog.subjectRow().regex->setChecked(true);
    dialog.subjectRow().text->setText("(");
    QTest::mouseClick(button(dialog, "&Appliquer"), Qt::LeftButton);
    QVERIFY(dialog.isVisible());
    QVERIFY(dialog.errorLabel().text().startsWith("Perlre: "));
    QVERIFY(!filter.AnyEnabled());
    dialog.subjectRow().text->setText("ok");
    QTest::mouseClick(button(dialog, "&Appliquer"), Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), TfmFilter::Applied);
    QVERIFY(filter.Form().subject.enabled);
    // The next opening shows what was applied.
    TfmFilter again(filter);
    QCOMPARE(again.subjectRow().text->text(), QString("ok"));
    QCOMPARE(again.scoreFrom().value(), 40);
  }

  void findRefusesABadRegex() {
    GroupFind find;
    TfmFind dialog(find);
    dialog.show();
    dialog.patternBox().setEditText("[");
    dialog.accept();
    QVERIFY(dialog.isVisible());
    QVERIFY(dialog.statusLabel().text().startsWith("Perlre: "));
    dialog.patternBox().setEditText("x");
    dialog.accept();
    QVERIFY(!dialog.isVisible());
    QVERIFY(find.Ready());
  }

  void quickFilterBoxColoursCountsAndCycles() {
    test::ThreadBuilder b;
    b.Add("Hello", "<a>");
    b.Add("World", "<b>");
    b.Thread();
    FlatHost host(b);
    ViewFilter filter(b.lists, host);
    QuickFilterBox box(filter, false);
    QStringList statuses;
    connect(&box, &QuickFilterBox::statusText, [&](const QString& s) { statuses << s; });
    const QColor normal = box.textField().palette().color(QPalette::Base);
    QCOMPARE(box.columnLabel().text(), QString("S "));
    QTest::keyClicks(&box.textField(), "wor");
    QCOMPARE(statuses.last(), QString(" 1"));
    QCOMPARE(box.textField().palette().color(QPalette::Base), QColor(255, 255, 153));
    QCOMPARE(filter.Current().size(), std::size_t(1));
    QSignalSpy enter(&box, &QuickFilterBox::enterPressed);
    QTest::keyClick(&box.textField(), Qt::Key_Return);
    QCOMPARE(enter.count(), 1);
    box.switchColumn();
    QCOMPARE(box.columnLabel().text(), QString("F "));
    QVERIFY(box.textField().text().isEmpty());
    QCOMPARE(box.textField().palette().color(QPalette::Base), normal);
    QCOMPARE(filter.Current().size(), std::size_t(2));  // the full list is back
    box.switchColumn();
    QCOMPARE(box.columnLabel().text(), QString("S "));  // online: two columns
  }
};

QTEST_MAIN(FilterDialogsTest)
#include "filter_dialogs_test.moc"
