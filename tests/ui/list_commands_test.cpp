// The group view's list commands (threaded switch, archiving into folders
// made on demand, automatic pane sizes, the wide subject column) and the
// group list's commands that reach into a group (find, find again) or
// re-read the list (reload, the folder level hidden).

#include <QComboBox>
#include <QHeaderView>
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
using orvel::test::ModalScript;

namespace {

TArticle* articleNumbered(ui::TArticlesWindow* window, std::int32_t n) {
  for (TArticle* a : window->groupView().MasterList()) {
    if (a->Number == n) return a;
  }
  return nullptr;
}

std::string fileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// The list's share of the split, in percent.
int listPercent(ui::TArticlesWindow* window) {
  const QList<int> sizes = window->splitter().sizes();
  return sizes.value(0) * 100 / std::max(sizes.value(0) + sizes.value(1), 1);
}

}  // namespace

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
    QAction* threaded = window->action("acvThreaded");
    QVERIFY(threaded->isChecked());
    QCOMPARE(window->model().rowCount(), 6 + 2);  // two thread rows
    threaded->trigger();
    QCOMPARE(window->model().rowCount(), 6);
    QVERIFY(window->execute("acaThread"));
    QCOMPARE(window->model().rowCount(), 8);
    QVERIFY(threaded->isChecked());

    // Archiving makes the folders it names: "Archive", and the queue "_Queue".
    window->selectNode(articleNumbered(window, 6));
    window->list().setFocus();
    struct Case {
      const char* action;
      const char* folder;
      bool queue;
    };
    for (const Case c : {Case{"acaArchive", "Archive", false}, Case{"acaQArchive", "_Queue", true}}) {
      QVERIFY2(window->action(c.action)->isEnabled(), c.action);
      window->action(c.action)->trigger();
      const TFolderInfo* folder = fx.frame->folders().Find(c.folder);
      QVERIFY2(folder, c.folder);
      QCOMPARE(folder->IsQueue(), c.queue);
      const std::string path = folder->file;
      QVERIFY2(test::waitFor([&] {
        return fileText(path).find("Body of article 6.") != std::string::npos;
      }), c.folder);
    }

    // Automatic sizes follow the focus; the wide subject reaches the right edge.
    // Tall enough that the viewer's smallest size leaves the list its share.
    fx.frame->resize(1000, 1200);
    window->parentWidget()->resize(900, 1100);
    fx.frame->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(fx.frame.get()));
    window->action("acvAutoSize")->trigger();
    window->viewer()->setFocus();
    QVERIFY(test::waitFor([&] { return std::abs(listPercent(window) - 25) <= 2; }));
    window->list().setFocus();
    QVERIFY(test::waitFor([&] { return std::abs(listPercent(window) - 85) <= 2; }));

    QHeaderView* header = window->list().header();
    const int subject = static_cast<int>(ui::ArticleColumn::Subject);
    window->action("acvToggleWidth")->trigger();
    QCOMPARE(header->sectionResizeMode(subject), QHeaderView::Interactive);
    QCOMPARE(header->sectionPosition(subject) + header->sectionSize(subject),
             window->list().viewport()->width());
    window->action("acvToggleWidth")->trigger();
    QCOMPARE(header->sectionResizeMode(subject), QHeaderView::Stretch);
  }

  void groupListFindsReloadsAndFlattens() {
    ArticlesWindowFixture fx;
    QVERIFY(fx.ready());
    ui::TGroupsWindow* groups = fx.groups;
    // Reloading picks up a category written since.
    fx.base.write("fx.Orvelrc", "+Cat\r\n,:alt.t\r\n");
    groups->findChild<QAction*>("acgReloadOrvelRC")->trigger();
    ui::GroupListModel& model = groups->model();
    QCOMPARE(model.rowCount(), 1);
    QVERIFY(model.categoryAt(model.index(0, 0)));
    QAction* folders = groups->findChild<QAction*>("acgShowFolders");
    folders->trigger();
    QVERIFY(!model.categoryAt(model.index(0, 0)));
    QVERIFY(model.groupAt(model.index(0, 0)));

    // Find from the list: the group opens and its find runs once loaded;
    // find again goes on to the next hit.
    groups->view().setCurrentIndex(model.index(0, 0));
    ModalScript script;
    script.then([](QWidget* w) {
      auto* dialog = qobject_cast<ui::TfmFind*>(w);
      QVERIFY2(dialog, "the find dialog was expected");
      dialog->patternBox().setEditText("Beta");
      dialog->accept();
    });
    groups->findChild<QAction*>("acgFind")->trigger();
    ui::TArticlesWindow* window = ui::TArticlesWindow::find(*fx.frame, *fx.state.profiles[0], "alt.t");
    QVERIFY(window);
    QVERIFY(test::waitFor([&] { return script.done() && window->currentArticle(); }));
    QCOMPARE(window->currentArticle()->Number, 4);
    groups->findChild<QAction*>("acgFindAgain")->trigger();
    QVERIFY(test::waitFor([&] { return window->currentArticle()->Number == 5; }));
    QVERIFY2(script.unexpected().isEmpty(), qPrintable(script.unexpected().join('\n')));
  }
};

QTEST_MAIN(ListCommandsTest)
#include "list_commands_test.moc"
