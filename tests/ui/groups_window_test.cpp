// The group list window's own behaviour, without a server: the filter box
// and its panel colour, sorting by header clicks with the indicator, the
// column widths of the "Metrics" bag, categories opened and closed.

#include <QHeaderView>
#include <QLineEdit>
#include <QTabBar>
#include <QTreeView>
#include <QtTest>

#include "groups/group_columns.h"
#include "ui/group_list_model.h"
#include "ui/groups_window.h"
#include "ui/orvel_frame.h"
#include "ui/qt_convert.h"
#include "ui_test_support.h"

using namespace orvel;
using orvel::test::ModalScript;
using orvel::ui::GroupListModel;
using orvel::ui::TGroupsWindow;
using orvel::ui::TOrvelFrame;

namespace {

struct Opened {
  Opened() {
    base.write("servers.ini", "[Profiles]\r\ncount=1\r\n1=srv,192.0.2.1\r\n");
    base.write("srv.newsrc",
               "comp.lang.c: 1-5\r\nalt.test:\r\ncomp.os.linux:\r\nnews.answers!\r\n");
    base.write("srv.Orvelrc", "+Langages\r\n,:comp.lang.c\r\n:alt.test\r\n:comp.os.linux\r\n");
    base.write("Orvel.ini", "[Metrics]\r\nGroupListColumns=300,55,66,120,70,70,80\r\n");
    base.start(app, state);
    frame = std::make_unique<TOrvelFrame>(app, state);
    frame->show();
    window = frame->openGroupList(0);
  }
  QHeaderView& header() { return *window->view().header(); }
  void clickHeader(int section) {
    const QPoint at(header().sectionViewportPosition(section) + 8, header().height() / 2);
    QTest::mouseClick(header().viewport(), Qt::LeftButton, {}, at);
  }

  test::GuiBase base;
  AppState app;
  MainState state;
  std::unique_ptr<TOrvelFrame> frame;
  TGroupsWindow* window = nullptr;
};

}  // namespace

class GroupsWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void filterBoxColoursThePanelAndKeepsWhatIsTyped() {
    Opened o;
    QVERIFY(o.window);
    auto* box = o.window->findChild<QLineEdit*>("filterBox");
    auto* panel = o.window->findChild<QWidget*>("filterPanel");
    const QColor normal = panel->palette().color(QPalette::Window);
    QTest::keyClicks(box, "^comp");
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(o.window->model().rowCount(), 2);
    QCOMPARE(panel->palette().color(QPalette::Window), ui::qtColor(kFilterPanelColor));
    QCOMPARE(o.window->statusText(), QString("2 filtered."));
    test::saveScreen(o.frame.get(), "groups-filtered");

    QTest::keyClicks(box, "(");  // not a pattern yet
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(box->text(), QString("^comp("));
    QVERIFY(o.window->statusText().startsWith("Perlre: "));
    QCOMPARE(panel->palette().color(QPalette::Window), normal);

    QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(o.window->model().rowCount(), 2);
    // Going back to the subscribed groups clears the filter and its box.
    o.window->findChild<QTabBar*>()->setCurrentIndex(0);
    QCOMPARE(box->text(), QString());
    QCOMPARE(o.window->groupList().tab(), GroupTab::Subscribed);
    QCOMPARE(panel->palette().color(QPalette::Window), normal);
  }

  void headerClicksSortWithTheIndicator() {
    Opened o;
    o.clickHeader(int(GroupColumn::Name));
    QVERIFY(o.header().isSortIndicatorShown());
    QCOMPARE(o.header().sortIndicatorSection(), int(GroupColumn::Name));
    QCOMPARE(o.header().sortIndicatorOrder(), Qt::AscendingOrder);
    // Categories sort among the groups by their names.
    QCOMPARE(o.window->model().data(o.window->model().index(0, 0), Qt::DisplayRole).toString(),
             QString("alt.test"));
    QCOMPARE(o.window->model().data(o.window->model().index(2, 0), Qt::DisplayRole).toString(),
             QString("Langages[1]"));
    o.clickHeader(int(GroupColumn::Name));
    QCOMPARE(o.header().sortIndicatorOrder(), Qt::DescendingOrder);
    o.clickHeader(int(GroupColumn::Read));  // does not sort
    QCOMPARE(o.header().sortIndicatorSection(), int(GroupColumn::Name));
    QCOMPARE(o.header().sortIndicatorOrder(), Qt::DescendingOrder);

    o.window->groupList().ShowTab(GroupTab::All);
    ModalScript script;
    script.then(ModalScript::press(QMessageBox::No, "Classer Groupes?"));
    o.clickHeader(int(GroupColumn::Total));
    QVERIFY(test::waitFor([&] { return script.done(); }, 3000));
    QCOMPARE(o.header().sortIndicatorSection(), int(GroupColumn::Name));
  }

  void columnWidthsComeFromAndGoToTheMetricsBag() {
    Opened o;
    QCOMPARE(o.header().sectionSize(0), 300);
    QCOMPARE(o.header().sectionSize(int(GroupColumn::Total)), 66);
    o.header().resizeSection(0, 222);
    QVERIFY(o.frame->close());
    QCOMPARE(QString::fromStdString(o.app.bags.metrics.GetString("GroupListColumns", ""))
                 .section(',', 0, 0),
             QString("222"));
  }

  void openingAndClosingCategoriesIsKept() {
    Opened o;
    GroupListModel& m = o.window->model();
    const QModelIndex category = m.index(0, 0);
    QVERIFY(m.categoryAt(category)->expanded);
    QVERIFY(o.window->view().isExpanded(category));
    o.window->view().collapse(category);
    QVERIFY(!m.categoryAt(category)->expanded);
    QVERIFY(o.window->groupList().lists().orvelrcChanged);
    // A rebuild keeps the category closed.
    o.window->groupList().SetHideEmptyGroups(true);
    QVERIFY(!o.window->view().isExpanded(m.index(0, 0)));
  }
};

QTEST_MAIN(GroupsWindowTest)
#include "groups_window_test.moc"
