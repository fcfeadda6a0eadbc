// Local folders in the main window against the real INN 2 of
// scripts/test-servers (loopback), driven as a person would: three articles
// of a group go into a new archive folder through the transfer menu, the
// program is closed and started again with the server out of reach, the
// folder view comes back by itself and shows the articles from the folder's
// store, and one of them moves on into a new queue folder.

#include <QAction>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTcpServer>
#include <QTreeView>
#include <QTreeWidget>
#include <QtTest>

#include <optional>
#include <set>
#include <string>

#include "articles/article_arena.h"
#include "articles/mailbox.h"
#include "articles_window_fixture.h"
#include "folders/folder_list.h"
#include "support/test_servers.h"
#include "ui/article_list_model.h"
#include "ui/article_viewer.h"
#include "ui/folders_window.h"

using namespace orvel;
using namespace orvel::test;
using orvel::ui::TArticlesWindow;

namespace {

// One run of the program on a base directory that outlives it.
struct Run {
  Run(const GuiBase& base, const std::string& newsrc) {
    if (!newsrc.empty()) base.write("inn.newsrc", newsrc);
    base.start(app, state);
    state.settings.autoGetMsgCounts = false;
    frame = std::make_unique<ui::TOrvelFrame>(app, state);
    frame->show();
  }
  ~Run() {
    if (frame) frame->close();
  }

  AppState app;
  MainState state;
  std::unique_ptr<ui::TOrvelFrame> frame;
};

void writeProfile(const GuiBase& base, const std::string& host, int port) {
  base.write("servers.ini", "[Profiles]\r\ncount=1\r\n1=inn," + host + ":" +
                                std::to_string(port) + "\r\nDefault=1\r\n");
}

// A loopback port nothing listens on.
int deadPort() {
  QTcpServer server;
  if (!server.listen(QHostAddress::LocalHost, 0)) return 0;
  const int port = server.serverPort();
  server.close();
  return port;
}

// The subjects of a folder's records as its files hold them, the deleted
// ones apart.
struct Stored {
  std::set<std::string> live;
  std::set<std::string> deleted;
};
Stored stored(const TFolderInfo& folder) {
  Stored out;
  ArticleArena arena;
  HeaderFileDump dump;
  if (!ReadHeaderFile(FolderIndexFile(folder), arena, dump)) return out;
  for (const TArticle* a : dump.records) {
    (a->Has(NodeFlag::Deleted) ? out.deleted : out.live).emplace(a->Subject.view());
  }
  return out;
}

TArticle* bySubject(TArticlesWindow& window, std::string_view subject) {
  for (TArticle* a : window.groupView().MasterList()) {
    if (a->Subject.view() == subject) return a;
  }
  return nullptr;
}

void selectArticles(TArticlesWindow& window, const std::vector<std::string>& subjects) {
  QItemSelection selection;
  for (const std::string& subject : subjects) {
    TArticle* a = bySubject(window, subject);
    QVERIFY2(a, subject.c_str());
    const int row = window.session().RowOf(a);
    QVERIFY2(row >= 0, subject.c_str());
    selection.select(window.model().index(row, 0), window.model().index(row, 0));
  }
  window.list().selectionModel()->select(
      selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  window.list().setFocus();
}

// Runs an entry of the transfer menu, as a click on it (no Ctrl) would.
bool transferVia(ui::TOrvelFrame& frame, const QString& text) {
  QMenu* menu = frame.transferMenu();
  emit menu->aboutToShow();
  for (QAction* a : menu->actions()) {
    if (a->text() == text && a->isEnabled()) {
      a->trigger();
      return true;
    }
  }
  return false;
}

bool idle(TArticlesWindow& window) { return !window.groupView().Slots().AnyTaken(); }

}  // namespace

class FoldersInnTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    servers_ = loadTestServers();
    if (!servers_) QSKIP("test servers not running (scripts/test-servers start)");
  }

  void archiveRestartReadOfflineAndMoveToAQueue() {
    GuiBase base;
    const std::vector<std::string> picked{"Thread 1", "Thread 2", "Thread 3"};
    const std::set<std::string> pickedSet(picked.begin(), picked.end());
    writeProfile(base, servers_->host(), servers_->port("ORVEL_NNTP_PORT"));
    {
      Run run(base, "test.threads:\r\n");
      ui::TGroupsWindow* groups = run.frame->openGroupList(0);
      QVERIFY(groups);
      TGrpInfo* group = groups->groupList().FindGroup("test.threads");
      QVERIFY(group);
      run.frame->openGroup(*groups, *group);
      TArticlesWindow* window = TArticlesWindow::find(*run.frame, *run.state.profiles[0],
                                                      "test.threads");
      QVERIFY(window && ArticlesWindowFixture::downloaded(window));
      QVERIFY(window->execute("acvExpandAll"));
      selectArticles(*window, picked);
      QCOMPARE(window->list().selectionModel()->selectedRows().size(), 3);

      ModalScript script;
      script.then(ModalScript::text("Keep"));
      run.frame->activateChild(window);
      QVERIFY(transferVia(*run.frame, "-> Nouveau dossier d'&archive..."));
      QVERIFY(script.done());
      const TFolderInfo* keep = run.frame->folders().Find("Keep");
      QVERIFY(keep);
      QCOMPARE(keep->kind, kStoreArchive);
      QVERIFY(waitFor([&] { return stored(*keep).live.size() == 3 && idle(*window); }));
      QCOMPARE(stored(*keep).live, pickedSet);

      // Opened from the folders window, and left open at shutdown.
      ui::TFoldersWindow* list = run.frame->openFoldersWindow();
      QVERIFY(list);
      const auto row = run.frame->folders().IndexOf("Keep");
      QVERIFY(row);
      list->list().setCurrentItem(list->list().topLevelItem(static_cast<int>(*row)));
      list->list().setFocus();
      QTest::keyClick(&list->list(), Qt::Key_Return);
      QVERIFY(TArticlesWindow::findFolder(*run.frame, keep->file));
    }

    writeProfile(base, "127.0.0.1", deadPort());
    Run run(base, {});
    run.frame->runFirstShow();
    const TFolderInfo* keep = run.frame->folders().Find("Keep");
    QVERIFY(keep);
    TArticlesWindow* view = TArticlesWindow::findFolder(*run.frame, keep->file);
    QVERIFY2(view, "the folder view open at shutdown was not reopened");
    QCOMPARE(view->groupView().MasterList().size(), std::size_t(3));
    // The origin "inn:test.threads" in the Server and Newsgroup columns.
    ui::ArticleListModel& model = view->model();
    QCOMPARE(model.headerData(5, Qt::Horizontal, Qt::DisplayRole).toString(), QString("Server"));
    QCOMPARE(model.headerData(6, Qt::Horizontal, Qt::DisplayRole).toString(), QString("Newsgroup"));
    QCOMPARE(model.index(0, 5).data().toString(), QString("inn"));
    QCOMPARE(model.index(0, 6).data().toString(), QString("test.threads"));
    for (const std::string& subject : picked) {
      TArticle* a = bySubject(*view, subject);
      QVERIFY(a);
      view->selectNode(a);
      const QString expected =
          "Message 0 of thread " + QString::fromStdString(subject.substr(7)) + ".";
      QVERIFY2(waitFor([&] {
                 return view->currentArticle() == a &&
                        view->viewer()->textView()->toPlainText().contains(expected);
               }),
               qPrintable(view->viewer()->textView()->toPlainText()));
    }

    // A new queue is made from the folders window: the transfer menu offers
    // one only in a group or a queue.
    ui::TFoldersWindow* list = run.frame->openFoldersWindow();
    QVERIFY(list);
    ModalScript script;
    script.then(ModalScript::text("Later"));
    list->action("acfNewQueue")->trigger();
    QVERIFY(script.done());
    const TFolderInfo* later = run.frame->folders().Find("Later");
    QVERIFY(later);
    QCOMPARE(later->kind, kStoreQueue);
    selectArticles(*view, {"Thread 2"});
    run.frame->activateChild(view);
    QVERIFY(transferVia(*run.frame, "-> /Later/"));
    QVERIFY(waitFor([&] { return stored(*later).live.size() == 1 && idle(*view); }));
    QCOMPARE(stored(*later).live, std::set<std::string>{"Thread 2"});
    QVERIFY(bySubject(*view, "Thread 2")->Has(NodeFlag::Deleted));
    QVERIFY(view->execute("acaRefresh"));
    QVERIFY(waitFor([&] { return !bySubject(*view, "Thread 2"); }));
    QCOMPARE(view->groupView().MasterList().size(), std::size_t(2));
    QCOMPARE(stored(*keep).live, (std::set<std::string>{"Thread 1", "Thread 3"}));
  }

 private:
  std::optional<TestServers> servers_;
};

QTEST_MAIN(FoldersInnTest)
#include "folders_inn_test.moc"
