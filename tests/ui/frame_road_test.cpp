// The main window and the group list window on the road a newcomer takes:
// the first run asks for a server, the group list comes from the fixture
// news server, groups are subscribed and counted, closing saves the newsrc
// and the open windows, and the next start reopens them. News URLs are
// carried out the same way.

#include <QAbstractItemView>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTreeView>
#include <QtTest>

#include "core/ini_file.h"
#include "groups/group_columns.h"
#include "ui/articles_window.h"
#include "ui/group_list_model.h"
#include "ui/groups_window.h"
#include "ui/orvel_frame.h"
#include "ui_test_support.h"

using namespace orvel;
using orvel::test::ModalScript;
using orvel::ui::TGroupsWindow;
using orvel::ui::TOrvelFrame;

namespace {

void trigger(TGroupsWindow* window, const char* name) {
  auto* action = window->findChild<QAction*>(name);
  QVERIFY2(action, name);
  QVERIFY2(action->isEnabled(), name);
  action->trigger();
}

void selectGroups(TGroupsWindow* window, const QStringList& names) {
  QItemSelection selection;
  QModelIndex first;
  for (const QString& name : names) {
    const QModelIndex i = window->model().indexOf(window->groupList().FindGroup(name.toStdString()));
    QVERIFY2(i.isValid(), qPrintable(name));
    if (!first.isValid()) first = i;
    selection.select(i, i.siblingAtColumn(kGroupColumnCount - 1));
  }
  window->view().selectionModel()->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
  window->view().selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

QString cell(TGroupsWindow* window, const char* group, GroupColumn column) {
  const QModelIndex i = window->model().indexOf(window->groupList().FindGroup(group),
                                                static_cast<int>(column));
  return window->model().data(i, Qt::DisplayRole).toString();
}

QStringList lines(const std::string& text) {
  return QString::fromStdString(text).split("\r\n", Qt::SkipEmptyParts);
}

}  // namespace

class FrameRoadTest : public QObject {
  Q_OBJECT

 private slots:
  void firstRunListSubscribeCountCloseAndReopen() {
    if (!test::FixtureProcess::available()) QSKIP("orvel-fixture-server is not built");
    test::FixtureProcess server({"--generate", "demo.a:200", "--generate", "demo.b:50",
                                 "--generate", "comp.x:10"});
    QVERIFY(server.port() > 0);
    test::GuiBase base;
    const QString hostPort = QString("127.0.0.1:%1").arg(server.port());

    {
      AppState app;
      MainState state;
      base.start(app, state);
      QVERIFY(state.profiles.empty());
      TOrvelFrame frame(app, state);
      frame.show();
      QVERIFY(QTest::qWaitForWindowExposed(&frame));

      ModalScript script;
      script.thenFirstServer(hostPort, "fixture");
      frame.runFirstShow();
      QVERIFY(script.done());
      QVERIFY2(script.unexpected().isEmpty(), qPrintable(script.unexpected().join('\n')));
      QCOMPARE(state.profiles.size(), std::size_t(1));
      QVERIFY(QString::fromStdString(base.read("servers.ini"))
                  .contains("1=fixture," + hostPort));

      TGroupsWindow* groups = frame.groupListOf(*state.profiles[0]);
      QVERIFY(groups);
      QVERIFY(test::waitFor([&] { return !groups->groupList().busy(); }));
      QCOMPARE(groups->groupList().lists().all().size(), std::size_t(3));
      QCOMPARE(groups->model().rowCount(), 3);  // the list shows all groups
      QVERIFY(groups->statusText().startsWith("Termin\u00e9: 3 groupes, 3 nouveaux"));
      test::saveScreen(&frame, "road-1-all-groups");

      selectGroups(groups, {"demo.a", "comp.x"});
      trigger(groups, "acgSubs");
      QCOMPARE(groups->groupList().lists().subscribed().size(), std::size_t(2));
      QCOMPARE(groups->view().selectionModel()->selectedRows().size(), 2);  // kept

      // F4 switches to the subscribed tab through the window's shortcut.
      frame.activateWindow();
      QVERIFY(QTest::qWaitForWindowActive(&frame));
      groups->view().setFocus();
      QTest::keyClick(&groups->view(), Qt::Key_F4);
      QCOMPARE(groups->groupList().tab(), GroupTab::Subscribed);
      QCOMPARE(groups->model().rowCount(), 2);

      trigger(groups, "acgAllMsgCount");
      QVERIFY(test::waitFor([&] { return !groups->groupList().busy(); }));
      QCOMPARE(cell(groups, "demo.a", GroupColumn::Total), QString("200"));
      QCOMPARE(cell(groups, "demo.a", GroupColumn::Unread), QString("200"));
      QCOMPARE(cell(groups, "comp.x", GroupColumn::Last), QString("10"));

      selectGroups(groups, {"comp.x"});
      trigger(groups, "acgCatchUp");
      QCOMPARE(cell(groups, "comp.x", GroupColumn::Read), QString("1-10"));
      QCOMPARE(cell(groups, "comp.x", GroupColumn::Unread), QString("0"));
      test::saveScreen(&frame, "road-2-subscribed");
      for (QMenu* menu : frame.findChildren<QMenu*>()) {
        if (menu->title() != "&Groupes") continue;
        menu->popup(frame.mapToGlobal(QPoint(130, 20)));
        test::saveScreen(menu, "road-2-group-menu");
        menu->hide();
      }

      // The save command writes the newsrc at once; with changes ignored,
      // closing writes nothing more.
      frame.mainAction("acmSaveNewsrc")->trigger();
      QVERIFY(lines(base.read("fixture.newsrc")).contains("comp.x: 1-10"));
      frame.mainAction("acmIgnoreChanges")->trigger();
      QVERIFY(frame.groupListHost().ignoreChanges);
      selectGroups(groups, {"demo.a"});
      trigger(groups, "acgCatchUp");
      QCOMPARE(cell(groups, "demo.a", GroupColumn::Read), QString("1-200"));

      // Enter on a group asks the frame to open it.
      QString opened;
      frame.setGroupViewOpener([&](TGroupsWindow&, TGrpInfo& g) {
        opened = QString::fromStdString(g.name);
        return true;
      });
      selectGroups(groups, {"demo.a"});
      QTest::keyClick(&groups->view(), Qt::Key_Return);
      QCOMPARE(opened, QString("demo.a"));

      QVERIFY(frame.close());
    }

    const QStringList newsrc = lines(base.read("fixture.newsrc"));
    // demo.a's catch-up came after the changes were ignored.
    QVERIFY2(newsrc.contains("demo.a:") && newsrc.contains("comp.x: 1-10") &&
                 newsrc.contains("demo.b!"),
             qPrintable(newsrc.join(" | ")));
    const IniFile ini(base.file("Orvel.ini"));
    QCOMPARE(QString::fromStdString(ini.readString("Opened", "1")), QString("S:fixture"));
    QCOMPARE(ini.readInteger("Opened", "Count", 0), 1);
    QVERIFY(ini.hasKey("Metrics", "main"));
    QVERIFY(ini.hasKey("Metrics", "GroupListColumns"));

    {
      AppState app;
      MainState state;
      base.start(app, state);
      TOrvelFrame frame(app, state);
      frame.show();
      ModalScript script;  // nothing is asked this time
      frame.runFirstShow();
      QCOMPARE(frame.childWidgets().size(), std::size_t(1));
      TGroupsWindow* groups = frame.groupListOf(*state.profiles[0]);
      QVERIFY(groups);
      QCOMPARE(groups->groupList().tab(), GroupTab::Subscribed);
      QCOMPARE(groups->model().rowCount(), 2);
      QCOMPARE(cell(groups, "comp.x", GroupColumn::Read), QString("1-10"));
      test::saveScreen(&frame, "road-3-reopened");
      QVERIFY(frame.close());
      QVERIFY2(script.unexpected().isEmpty(), qPrintable(script.unexpected().join('\n')));
    }
  }

  // A news URL naming a server Orvel does not know offers a new profile,
  // whose newsrc starts with that group subscribed; the group is shown and
  // opened in a group view.
  void newsUrlForAnUnknownServerOffersAProfile() {
    test::GuiBase base;
    AppState app;
    MainState state;
    base.start(app, state);
    TOrvelFrame frame(app, state);
    frame.show();
    ModalScript script;
    script.then(ModalScript::text("ailleurs", "Configurer votre serveur!"));
    frame.openNewsUrl("news://127.0.0.1:1190/demo.b");
    QVERIFY(script.done());
    QCOMPARE(state.profiles.size(), std::size_t(1));
    QCOMPARE(QString::fromStdString(state.profiles[0]->alias), QString("ailleurs"));
    QCOMPARE(state.profiles[0]->port, 1190);
    QCOMPARE(QString::fromStdString(base.read("ailleurs.newsrc")), QString("demo.b:\r\n"));
    TGroupsWindow* groups = frame.groupListOf(*state.profiles[0]);
    QVERIFY(groups);
    QCOMPARE(groups->model().groupAt(groups->view().currentIndex())->name, std::string("demo.b"));
    QVERIFY(orvel::ui::TArticlesWindow::find(frame, *state.profiles[0], "demo.b"));

    // A Message-ID goes to the open group view of that server, which asks
    // the server for it: no message box.
    frame.openNewsUrl("news:abc@example.invalid");
    QTest::qWait(50);
    QVERIFY(script.done());

    frame.openNewsUrl("http://example.invalid/");  // not a news URL: nothing happens
    QTest::qWait(100);
    QVERIFY2(script.unexpected().isEmpty(), qPrintable(script.unexpected().join('\n')));
    QVERIFY(frame.close());
  }

  // The frame's status bar tells the active connections, and its menus hold
  // every main-window action.
  void menusHoldEveryMainAction() {
    test::GuiBase base;
    AppState app;
    MainState state;
    base.start(app, state);
    TOrvelFrame frame(app, state);
    QCOMPARE(frame.connectionsText(), QString("0 connexion/s active/s"));
    QList<QAction*> inMenus;
    for (QMenu* menu : frame.menuBar()->findChildren<QMenu*>()) inMenus += menu->actions();
    for (const TAction& a : state.mainActions) {
      QAction* action = frame.mainAction(a.def->name);
      QVERIFY2(action, a.def->name);
      QVERIFY2(inMenus.contains(action), a.def->name);
    }
    QVERIFY(frame.mainAction("acmKeys")->isEnabled());
    QVERIFY(frame.mainAction("acmEditScore")->isEnabled());
    QVERIFY(frame.mainAction("acmConfig")->isEnabled());
    QCOMPARE(frame.mainAction("acmSaveNewsrc")->shortcut().toString(), QString("Ctrl+S"));
    QVERIFY(frame.tabbed());
    frame.mainAction("acmTabs")->trigger();
    QVERIFY(!frame.tabbed());
  }
};

QTEST_MAIN(FrameRoadTest)
#include "frame_road_test.moc"
