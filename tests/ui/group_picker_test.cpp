// The group picker, driven as a person would: ticking, moving, clicking.

#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include "ui/group_picker.h"
#include "ui_test_support.h"

using orvel::ui::TfmGrpPicker;

class GroupPickerTest : public QObject {
  Q_OBJECT

 private slots:
  // "+" moves the focused group up; OK gives the ticked ones in the new order.
  void reorderedTickedGroups() {
    orvel::test::ModalScript script;
    script.then([](QWidget* w) {
      auto* picker = qobject_cast<TfmGrpPicker*>(w);
      QVERIFY(picker);
      QVERIFY(picker->upButton().isVisible());
      QListWidget& list = picker->list();
      QCOMPARE(list.count(), 4);
      QCOMPARE(list.item(3)->text(), QString("fr.extra"));
      QCOMPARE(list.item(1)->checkState(), Qt::Checked);
      list.item(3)->setCheckState(Qt::Checked);
      list.setCurrentRow(3);
      for (int i = 0; i < 4; ++i) QTest::mouseClick(&picker->upButton(), Qt::LeftButton);
      QTest::mouseClick(&picker->downButton(), Qt::LeftButton);
      QCOMPARE(list.currentItem()->text(), QString("fr.extra"));
      orvel::test::saveScreen(picker, "group-picker");
      QTest::keyClick(picker, Qt::Key_Return);
    });
    const auto result = TfmGrpPicker::Pick(nullptr, "fr.a,fr.b,fr.c", "fr.extra,fr.a", "fr.b",
                                           true);
    QVERIFY(script.done());
    QCOMPARE(result, std::optional<std::string>("fr.extra,fr.b"));
  }

  void posterCancelAndAllTicked() {
    TfmGrpPicker poster("fr.a,fr.b", "", "fr.a", false);
    poster.show();
    QVERIFY(!poster.upButton().isVisible());
    QTest::mouseClick(&poster.posterButton(), Qt::LeftButton);
    QCOMPARE(poster.result(), int(QDialog::Accepted));
    QCOMPARE(poster.Result(), std::string("poster"));

    orvel::test::ModalScript cancel;
    cancel.then([](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
    QVERIFY(!TfmGrpPicker::Pick(nullptr, "fr.a", "", "", false).has_value());
    QVERIFY(cancel.done());

    TfmGrpPicker all("fr.a,fr.b", "", "fr.a", false);
    all.list().item(1)->setCheckState(Qt::Checked);
    QCOMPARE(all.Result(), std::string());
  }
};

QTEST_MAIN(GroupPickerTest)
#include "group_picker_test.moc"
