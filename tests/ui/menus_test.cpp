// The windows' menus and toolbars as a person meets them in the frame: every
// command of a window's action table is wired exactly when it is said to be
// built (so orvel-cli actions tells the truth) and sits once in its menu
// tree, with the caption and shortcut of the table, and every toolbar button
// has a picture.

#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSystemTrayIcon>
#include <QToolBar>
#include <QtTest>

#include "articles_window_fixture.h"
#include "config/action_status.h"
#include "ui/article_viewer.h"
#include "ui/edit_window.h"
#include "ui/folders_window.h"
#include "ui/groups_window.h"

using namespace orvel;
using namespace orvel::test;

namespace {

void collect(const QList<QAction*>& entries, QMap<QString, QList<QAction*>>& byName) {
  for (QAction* a : entries) {
    if (!a || a->isSeparator()) continue;
    // An entry with a menu of its own (the history of Back and Forward) is
    // still the command.
    if (!a->objectName().isEmpty()) byName[a->objectName()].append(a);
    if (a->menu()) collect(a->menu()->actions(), byName);
  }
}

// "name: problem" for each action of the table that is missing, doubled, or
// shown with another caption or shortcut than the table's.
QStringList menuProblems(ActionWindow window, const QList<QAction*>& tree) {
  QMap<QString, QList<QAction*>> byName;
  collect(tree, byName);
  QStringList out;
  for (const TActionDef& def : BuiltInActions(window)) {
    const QList<QAction*> found = byName.value(def.name);
    if (found.size() != 1) {
      out << QString("%1: %2 times").arg(def.name).arg(found.size());
      continue;
    }
    if (found[0]->text() != QString::fromUtf8(def.caption)) {
      out << QString("%1: caption %2").arg(def.name, found[0]->text());
    }
    const QString keys = found[0]->shortcut().toString(QKeySequence::PortableText);
    if (keys != QString::fromUtf8(def.shortcut)) {
      out << QString("%1: shortcut %2").arg(def.name, keys);
    }
  }
  return out;
}

// "window: name" of each action whose wiring disagrees with its status.
QStringList disagreements(ActionWindow window, const QObject& owner, const char* label) {
  QStringList out;
  for (const TActionDef& def : BuiltInActions(window)) {
    const QAction* action = owner.findChild<QAction*>(def.name);
    const bool wired = action && action->property(ui::kWiredProperty).toBool();
    if (wired != ActionBuilt(window, def.name)) {
      out << QString("%1: %2 %3").arg(label, def.name, wired ? "is wired" : "is not wired");
    }
  }
  return out;
}

QStringList iconless(const QList<QAction*>& buttons, const char* window) {
  QStringList out;
  for (QAction* a : buttons) {
    if (a && !a->isSeparator() && a->icon().isNull()) out << QString(window) + ": " + a->objectName();
  }
  return out;
}

}  // namespace

class MenusTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    if (!FixtureProcess::available()) QSKIP("the fixture server is not built");
  }

  void everyCommandWiredOnceInItsMenuAndEveryButtonWithAPicture() {
    ModalScript script;
    ArticlesWindowFixture fx({}, "alt.t:\r\n", [](MainState& state) {
      for (TID* id : {&state.identities.front(), &state.profiles.front()->identity}) {
        id->Name = "Ann";
        id->PublicEmail = id->Email = "ann@example.com";
      }
    });
    QVERIFY(fx.ready());
    ui::TArticlesWindow* view = fx.open("alt.t");
    QVERIFY(view);
    ui::TEditWindow* edit = ui::TEditWindow::openNew(*fx.frame, fx.state.profiles[0], "alt.t");
    QVERIFY(edit);
    ui::TFoldersWindow* folders = fx.frame->openFoldersWindow();
    QVERIFY(folders);
    auto* toolBar = fx.frame->findChild<QToolBar*>("mainToolBar");
    QVERIFY(toolBar);

    struct Child {
      ActionWindow window;
      QWidget* widget;
      ui::ChildWindow* child;
      const char* label;
    };
    const Child children[] = {
        {ActionWindow::GroupList, fx.groups, fx.groups, "group list"},
        {ActionWindow::GroupView, view, view, "group view"},
        {ActionWindow::Compose, edit, edit, "compose"},
        {ActionWindow::Folders, folders, folders, "folders"},
    };
    QStringList problems;
    for (const Child& c : children) {
      fx.frame->activateChild(c.widget);
      // What the person sees: the window's own menu bar and toolbar when it
      // is a window of its own (the compose window), else the child's menu
      // in the frame's menu bar and its buttons on the frame's toolbar.
      QList<QAction*> shown;
      QList<QAction*> buttons = toolBar->actions();
      if (auto* own = c.widget->findChild<QMenuBar*>()) {
        shown = own->actions();
        buttons = c.widget->findChild<QToolBar*>()->actions();
      }
      for (QAction* a : fx.frame->menuBar()->actions()) {
        // The first of that title: the frame's own menus come after it.
        if (shown.isEmpty() && a->menu() && a->menu()->title() == c.child->menuTitle()) {
          shown = a->menu()->actions();
        }
      }
      problems << disagreements(c.window, *c.widget, c.label);
      for (const QString& p : menuProblems(c.window, shown)) problems << c.label + (": " + p);
      problems << iconless(buttons, c.label);
      for (QAction* a : c.child->toolBarActions()) {
        if (a && !buttons.contains(a)) problems << QString(c.label) + " button missing";
      }
    }
    for (const QString& p : menuProblems(ActionWindow::Main, fx.frame->menuBar()->actions())) {
      problems << "main: " + p;
    }
    problems << disagreements(ActionWindow::Main, *fx.frame, "main");
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join("\n")));
    QVERIFY2(script.unexpected().isEmpty(), qPrintable(script.unexpected().join("; ")));

    // Two of them at work: posting from the group list, wrapping the viewer.
    const int editors = fx.frame->findChildren<ui::TEditWindow*>().size();
    fx.groups->findChild<QAction*>("acgPost")->trigger();
    const QList<ui::TEditWindow*> now = fx.frame->findChildren<ui::TEditWindow*>();
    QCOMPARE(now.size(), editors + 1);
    QVERIFY(std::any_of(now.begin(), now.end(), [](ui::TEditWindow* w) {
      return w->groupsEdit()->text() == "alt.t";
    }));
    QAction* wrap = view->findChild<QAction*>("acvWordWrap");
    const bool wrapped = wrap->isChecked();
    wrap->trigger();
    QCOMPARE(view->viewer()->textView()->lineWrapMode() == QPlainTextEdit::WidgetWidth, !wrapped);
    QCOMPARE(fx.state.settings.viewerWordWrap, !wrapped);
  }

  // The "ToolBars" settings: "*" is the built-in layout, anything else the
  // named actions, unknown names skipped, the two group-view bars joined.
  void toolBarLayoutsFromTheSettings() {
    ArticlesWindowFixture fx;
    QVERIFY(fx.ready());
    ui::TArticlesWindow* view = fx.open("alt.t");
    QVERIFY(view);
    auto names = [&] {
      QStringList out;
      for (QAction* a : view->toolBarActions()) out << (a ? a->objectName() : "-");
      return out;
    };
    Settings& s = fx.state.settings;
    const QStringList builtIn = names();
    QVERIFY(builtIn.contains("-"));
    s.toolBarA1 = "acaKill, nosuchaction ,-,stop";
    s.toolBarA2 = "";
    QCOMPARE(names(), (QStringList{"acaKill", "-", "stop"}));
    s.toolBarA2 = "acaFollowup";
    QCOMPARE(names(), (QStringList{"acaKill", "-", "stop", "-", "acaFollowUp"}));
    s.toolBarA1 = s.toolBarA2 = "*";
    QCOMPARE(names(), builtIn);
  }

  // Without a notification area the tray command is there, greyed, saying why.
  void trayCommandGreyedWithoutATray() {
    if (QSystemTrayIcon::isSystemTrayAvailable()) QSKIP("this desktop has a tray");
    test::GuiBase base;
    AppState app;
    MainState state;
    base.start(app, state);
    ui::TOrvelFrame frame(app, state);
    QAction* tray = frame.mainAction("acmTray");
    QVERIFY(!tray->isEnabled());
    QVERIFY(tray->toolTip().contains("barre des t\u00e2ches"));
  }
};

QTEST_MAIN(MenusTest)
#include "menus_test.moc"
