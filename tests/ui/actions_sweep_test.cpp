// Every window's action table against what the window wires: an action is
// wired exactly when it is said to be built, so orvel-cli actions tells the
// truth and nothing built hides greyed in a menu.

#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
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

}  // namespace

class ActionsSweepTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    if (!FixtureProcess::available()) QSKIP("the fixture server is not built");
  }

  void everyWindowWiresWhatIsBuilt() {
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
    QStringList wrong;
    wrong << disagreements(ActionWindow::Main, *fx.frame, "main")
          << disagreements(ActionWindow::GroupList, *fx.groups, "group list")
          << disagreements(ActionWindow::GroupView, *view, "group view")
          << disagreements(ActionWindow::Compose, *edit, "compose")
          << disagreements(ActionWindow::Folders, *folders, "folders");
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join("\n")));
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
};

QTEST_MAIN(ActionsSweepTest)
#include "actions_sweep_test.moc"
