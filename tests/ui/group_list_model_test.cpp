// The group list model under QAbstractItemModelTester: rows follow the
// logic's shown list through tabs, filters, subscriptions, deletions and
// drops; records redraw their own rows.

#include <QAbstractItemModelTester>
#include <QMimeData>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

#include "groups/group_columns.h"
#include "groups/group_list.h"
#include "support/fake_network.h"
#include "support/manual_clock.h"
#include "support/scripted_prompter.h"
#include "ui/group_list_model.h"
#include "ui_test_support.h"

using namespace orvel;
using orvel::ui::GroupListModel;

namespace {

constexpr const char* kNewsrc =
    "comp.lang.c: 1-10\r\n"
    "comp.lang.c++:\r\n"
    "alt.test: 1-3\r\n"
    "news.announce!\r\n"
    "de.rec.film!\r\n";
constexpr const char* kOrvelrc =
    "+Langages\r\n"
    ",:comp.lang.c\r\n"
    ",#comp.lang.c++\r\n"
    ":alt.test\r\n"
    "=Vide\r\n";

QString text(const QAbstractItemModel& m, const QModelIndex& i) {
  return m.data(i, Qt::DisplayRole).toString();
}

}  // namespace

class GroupListModelTest : public QObject {
  Q_OBJECT

 private:
  struct Fixture {
    Fixture() {
      base.write("srv.newsrc", kNewsrc);
      base.write("srv.Orvelrc", kOrvelrc);
      profile->alias = "srv";
      profile->host = "192.0.2.1";
      profile->extensions = false;  // the scripted server plays the plain login
      profile->newsrcPath = base.file("srv.newsrc");
      options.serversIniPath = base.file("servers.ini");
      options.updateCountInterval = 0;
      list = std::make_unique<TGroupList>(profile, pool, clock, prompter, host, options);
      model = std::make_unique<GroupListModel>(*list);
      tester = std::make_unique<QAbstractItemModelTester>(
          model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
      ok = list->OpenServer();
    }
    TGrpInfo& group(const char* name) { return *list->FindGroup(name); }

    test::GuiBase base;
    test::FakeNetwork net;
    test::ManualClock clock;
    test::ScriptedPrompter prompter;
    ConnectionPool pool{net, clock, prompter};
    GroupListHost host;
    GroupListOptions options;
    std::shared_ptr<TProfile> profile = std::make_shared<TProfile>();
    std::unique_ptr<TGroupList> list;
    std::unique_ptr<GroupListModel> model;
    std::unique_ptr<QAbstractItemModelTester> tester;
    bool ok = false;
  };

 private slots:
  void subscribedTabShowsCategoriesAndGroups() {
    Fixture f;
    QVERIFY(f.ok);
    GroupListModel& m = *f.model;
    QCOMPARE(m.rowCount(), 3);
    const QModelIndex langages = m.index(0, 0);
    QCOMPARE(text(m, langages), QString("Langages[2]"));
    QVERIFY(m.categoryAt(langages));
    QCOMPARE(m.rowCount(langages), 2);
    QCOMPARE(text(m, m.index(1, 0, langages)), QString("comp.lang.c++"));
    QCOMPARE(text(m, m.index(0, int(GroupColumn::Read), langages)), QString("1-10"));
    // No count yet.
    QCOMPARE(text(m, m.index(0, int(GroupColumn::Unread), langages)), QString(""));
    QCOMPARE(text(m, m.index(1, 0)), QString("alt.test"));
    QCOMPARE(text(m, m.index(2, 0)), QString("Vide[0]"));
    QCOMPARE(m.headerData(int(GroupColumn::ToFetch), Qt::Horizontal, Qt::DisplayRole).toString(),
             QString("\u00e0 Prendre"));
    QVERIFY(!m.data(m.index(1, 0), Qt::DecorationRole).value<QIcon>().isNull());
    QVERIFY(m.data(m.index(1, int(GroupColumn::Total)), Qt::TextAlignmentRole).toInt() &
            Qt::AlignRight);
    QCOMPARE(m.indexOf(&f.group("comp.lang.c++")), m.index(1, 0, langages));
    QVERIFY(m.treeShown());
  }

  void rowsFollowTabsFilterAndHideEmpty() {
    Fixture f;
    GroupListModel& m = *f.model;
    f.list->ShowTab(GroupTab::All);
    QCOMPARE(m.rowCount(), 5);
    QVERIFY(!m.treeShown());
    QVERIFY(!(m.flags(m.index(0, 0)) & Qt::ItemIsDragEnabled));

    QSignalSpy filtered(&m, &GroupListModel::filterStateChanged);
    f.list->SetFilter("^comp");
    QCOMPARE(m.rowCount(), 2);
    QCOMPARE(filtered.count(), 1);
    f.list->SetFilter("");
    QCOMPARE(m.rowCount(), 5);

    f.list->ShowTab(GroupTab::Subscribed);
    f.group("alt.test").unread = 0;
    f.list->SetHideEmptyGroups(true);
    QCOMPARE(m.rowCount(), 2);  // alt.test is hidden
    QVERIFY(!m.indexOf(&f.group("alt.test")).isValid());
  }

  void subscribingAndDeletingResetTheRows() {
    Fixture f;
    GroupListModel& m = *f.model;
    QSignalSpy resets(&m, &QAbstractItemModel::modelReset);
    f.list->Subscribe({&f.group("news.announce")}, +1, m.insertionPoint(m.index(0, 0)));
    QCOMPARE(resets.count(), 1);
    QCOMPARE(m.rowCount(m.index(0, 0)), 3);  // placed in the selected category

    f.prompter.answer(Button::Yes);
    f.list->Delete({&f.group("alt.test")}, {});
    QCOMPARE(m.rowCount(), 2);
    QCOMPARE(text(m, m.index(0, 0)), QString("Langages[3]"));
    QCOMPARE(text(m, m.index(1, 0)), QString("Vide[0]"));
  }

  void aChangedRecordRedrawsItsRow() {
    Fixture f;
    GroupListModel& m = *f.model;
    TGrpInfo& c = f.group("comp.lang.c");
    c.last = 42;
    QSignalSpy changed(&m, &QAbstractItemModel::dataChanged);
    f.list->CatchUp({&c});
    QCOMPARE(changed.count(), 1);
    const QModelIndex row = m.indexOf(&c);
    QCOMPARE(changed[0][0].toModelIndex(), row);
    QCOMPARE(changed[0][1].toModelIndex(), row.siblingAtColumn(kGroupColumnCount - 1));
    QCOMPARE(text(m, row.siblingAtColumn(int(GroupColumn::Read))), QString("1-42"));
  }

  void droppingMovesGroupsAndCategories_data() {
    QTest::addColumn<QString>("dragged");    // group name, or "@category"
    QTest::addColumn<int>("row");            // drop row, -1 on the parent
    QTest::addColumn<QString>("parent");     // "" top level, "@category", or a group
    QTest::addColumn<QString>("orvelrc");    // the file written afterwards
    QTest::newRow("group into a category")
        << "alt.test" << -1 << "@Vide"
        << "+Langages\r\n,:comp.lang.c\r\n,#comp.lang.c++\r\n=Vide\r\n,:alt.test\r\n";
    QTest::newRow("group out to the top")
        << "comp.lang.c" << 0 << ""
        << ":comp.lang.c\r\n+Langages\r\n,#comp.lang.c++\r\n:alt.test\r\n=Vide\r\n";
    QTest::newRow("group before another in its category")
        << "comp.lang.c++" << 0 << "@Langages"
        << "+Langages\r\n,#comp.lang.c++\r\n,:comp.lang.c\r\n:alt.test\r\n=Vide\r\n";
    QTest::newRow("onto a group: before it")
        << "alt.test" << -1 << "comp.lang.c++"
        << "+Langages\r\n,:comp.lang.c\r\n,:alt.test\r\n,#comp.lang.c++\r\n=Vide\r\n";
    QTest::newRow("category to the front")
        << "@Vide" << 0 << ""
        << "=Vide\r\n+Langages\r\n,:comp.lang.c\r\n,#comp.lang.c++\r\n:alt.test\r\n";
  }
  void droppingMovesGroupsAndCategories() {
    QFETCH(QString, dragged);
    QFETCH(int, row);
    QFETCH(QString, parent);
    QFETCH(QString, orvelrc);
    Fixture f;
    GroupListModel& m = *f.model;
    auto indexOfName = [&](const QString& name) {
      if (name.isEmpty()) return QModelIndex();
      if (name.startsWith('@')) {
        return m.indexOf(f.list->lists().FindCategoryNoCase(name.mid(1).toStdString()));
      }
      return m.indexOf(f.list->FindGroup(name.toStdString()));
    };
    std::unique_ptr<QMimeData> data(m.mimeData({indexOfName(dragged)}));
    QVERIFY(data);
    const QModelIndex target = indexOfName(parent);
    QVERIFY(m.canDropMimeData(data.get(), Qt::MoveAction, row, 0, target));
    QVERIFY(m.dropMimeData(data.get(), Qt::MoveAction, row, 0, target));
    QVERIFY(f.list->SaveNewsRC());
    QCOMPARE(QString::fromStdString(f.base.read("srv.Orvelrc")), orvelrc);
  }

  void dropsThatCannotBeTaken() {
    Fixture f;
    GroupListModel& m = *f.model;
    std::unique_ptr<QMimeData> category(m.mimeData({m.index(2, 0)}));
    QVERIFY2(!m.canDropMimeData(category.get(), Qt::MoveAction, -1, 0, m.index(0, 0)),
             "a category does not go into another");
    std::unique_ptr<QMimeData> group(m.mimeData({m.index(1, 0)}));
    QVERIFY(!m.canDropMimeData(group.get(), Qt::CopyAction, -1, 0, m.index(0, 0)));
    QMimeData stranger;
    stranger.setData(GroupListModel::kMimeType, "g 1234\nc 99");
    QVERIFY2(!m.dropMimeData(&stranger, Qt::MoveAction, -1, 0, {}),
             "addresses that are not rows are ignored");
    f.list->ShowTab(GroupTab::All);
    QVERIFY(!m.canDropMimeData(group.get(), Qt::MoveAction, -1, 0, {}));
  }
};

QTEST_MAIN(GroupListModelTest)
#include "group_list_model_test.moc"
