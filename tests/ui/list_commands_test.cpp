// The group view's list commands (the threaded switch's check mark,
// archiving into folders made on demand, automatic pane sizes) and the
// group list's find and find again in the focused group.

#include <QComboBox>
#include <QSplitter>
#include <QTreeView>
#include <QtTest>

#include <fstream>
#include <sstream>

#include "articles_window_fixture.h"
#include "ui/article_list_model.h"
#include "ui/article_viewer.h"
#include "ui/find_dialog.h"
#include "ui/group_list_model.h"

using namespace orvel;
using orvel::test::ArticlesWindowFixture;

class ListCommandsTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    if (!test::FixtureProcess::available()) QSKIP("orvel-fixture-server is not built");
  }

  void threadingArchivingAndLayout() {
    ArticlesWindowFixture fx;
    QVERIFY(fx.ready());
    ui::TArticlesWindow* window = fx.open("alt.t");
    QVERIFY(window && ArticlesWindowFixture::downloaded(window));
    window->action("acvThreaded")->trigger();
    QCOMPARE(window->model().rowCount(), 6);
    QVERIFY(window->execute("acaThread"));
    QVERIFY(window->action("acvThreaded")->isChecked());

    // Archiving makes the folder it names, of its kind, and fills it.
    window->selectNode(window->groupView().MasterList().back());
    window->list().setFocus();
    for (const bool queue : {false, true}) {
      window->action(queue ? "acaQArchive" : "acaArchive")->trigger();
      const TFolderInfo* folder = fx.frame->folders().Find(queue ? "_Queue" : "Archive");
      QVERIFY(folder && folder->IsQueue() == queue);
      const std::string path = folder->file;
      QVERIFY(test::waitFor([&] {
        std::ostringstream text;
        text << std::ifstream(path, std::ios::binary).rdbuf();
        return text.str().find("Body of article 6.") != std::string::npos;
      }));
    }

    // Automatic sizes follow the focus; the window is tall enough that the
    // viewer's smallest size leaves the list its share.
    fx.frame->resize(1000, 1200);
    window->parentWidget()->resize(900, 1100);
    fx.frame->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(fx.frame.get()));
    const auto listPercent = [window] {
      const QList<int> sizes = window->splitter().sizes();
      return sizes.value(0) * 100 / std::max(sizes.value(0) + sizes.value(1), 1);
    };
    window->action("acvAutoSize")->trigger();
    window->viewer()->setFocus();
    QVERIFY(test::waitFor([&] { return std::abs(listPercent() - 25) <= 2; }));
    window->list().setFocus();
    QVERIFY(test::waitFor([&] { return std::abs(listPercent() - 85) <= 2; }));
  }

  void groupListFindsInTheFocusedGroup() {
    ArticlesWindowFixture fx;
    QVERIFY(fx.ready());
    ui::TGroupsWindow* groups = fx.groups;
    groups->view().setCurrentIndex(groups->model().index(0, 0));
    test::ModalScript script;
    script.then([](QWidget* w) {
      auto* dialog = qobject_cast<ui::TfmFind*>(w);
      QVERIFY2(dialog, "the find dialog was expected");
      dialog->patternBox().setEditText("Beta");
      dialog->accept();
    });
    groups->findChild<QAction*>("acgFind")->trigger();
    ui::TArticlesWindow* window = ui::TArticlesWindow::find(*fx.frame, *fx.state.profiles[0], "alt.t");
    QVERIFY(window);
    // The view may show its first article before the search has run.
    QVERIFY(test::waitFor([&] {
      return script.done() && window->currentArticle() && window->currentArticle()->Number == 4;
    }));
    groups->findChild<QAction*>("acgFindAgain")->trigger();
    QVERIFY(test::waitFor([&] { return window->currentArticle()->Number == 5; }));
    QVERIFY2(script.unexpected().isEmpty(), qPrintable(script.unexpected().join('\n')));
  }
};

QTEST_MAIN(ListCommandsTest)
#include "list_commands_test.moc"
