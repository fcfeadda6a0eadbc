// The reading road through the windows: the first run creates a profile,
// the group list comes from the fixture news server, a group is subscribed
// and opened with Enter, its headers appear threaded, a selected article
// shows its lines in the viewer and is marked read, the next unread comes
// by keyboard, and after closing the newsrc on disk has the read marks.

#include <QPlainTextEdit>
#include <QTreeView>
#include <QtTest>

#include "articles_window_fixture.h"
#include "groups/group_columns.h"
#include "ui/article_list_model.h"
#include "ui/article_viewer.h"
#include "ui/group_list_model.h"

using namespace orvel;
using orvel::test::ModalScript;

namespace {

QStringList lines(const std::string& text) {
  return QString::fromStdString(text).split("\r\n", Qt::SkipEmptyParts);
}

QString viewerText(ui::TArticlesWindow* window) {
  return window->viewer() ? window->viewer()->textView()->toPlainText() : QString();
}

}  // namespace

class ArticlesWindowRoadTest : public QObject {
  Q_OBJECT

 private slots:
  void firstRunToReadMarksOnDisk() {
    if (!test::FixtureProcess::available()) QSKIP("orvel-fixture-server is not built");
    QTemporaryDir corpus;
    test::writeThreadedCorpus(corpus.path());
    test::FixtureProcess server({"--corpus", corpus.path(), "--generate", "alt.other:30"});
    QVERIFY(server.port() > 0);
    test::GuiBase base;
    const QString hostPort = QString("127.0.0.1:%1").arg(server.port());
    {
      AppState app;
      MainState state;
      base.start(app, state);
      ui::TOrvelFrame frame(app, state);
      frame.show();
      QVERIFY(QTest::qWaitForWindowExposed(&frame));

      ModalScript script;
      script.thenFirstServer(hostPort, "fixture");
      frame.runFirstShow();
      QVERIFY(script.done());
      ui::TGroupsWindow* groups = frame.groupListOf(*state.profiles[0]);
      QVERIFY(groups);
      QVERIFY(test::waitFor([&] { return !groups->groupList().busy(); }));
      QCOMPARE(groups->model().rowCount(), 2);

      // Subscribe to alt.t and open it with Enter.
      const QModelIndex row = groups->model().indexOf(groups->groupList().FindGroup("alt.t"));
      QVERIFY(row.isValid());
      groups->view().setCurrentIndex(row);
      groups->findChild<QAction*>("acgSubs")->trigger();
      QVERIFY(groups->groupList().FindGroup("alt.t")->subscribed());
      groups->view().setCurrentIndex(
          groups->model().indexOf(groups->groupList().FindGroup("alt.t")));
      groups->view().setFocus();
      QTest::keyClick(&groups->view(), Qt::Key_Return);
      ui::TArticlesWindow* window = ui::TArticlesWindow::find(frame, *state.profiles[0], "alt.t");
      QVERIFY(window);
      QVERIFY(test::ArticlesWindowFixture::downloaded(window));

      // Threaded: Gamma alone, then the Beta and Alpha threads.
      ui::ArticleListModel& model = window->model();
      QCOMPARE(model.rowCount(), 8);
      QCOMPARE(model.index(4, 0).data().toString(), QString("Alpha"));
      QVERIFY(model.index(4, 0).data(ui::ArticleListModel::ThreadRole).toBool());
      QCOMPARE(model.index(7, 0).data(ui::ArticleListModel::DepthRole).toInt(), 3);
      test::saveScreen(&frame, "articles-road-1-threaded");

      // Selecting Alpha's first article shows it and marks it read.
      window->list().setFocus();
      window->selectNode(model.nodeAt(5));
      QVERIFY(test::waitFor([&] { return viewerText(window).contains("Body of article 1."); }));
      TArticle* alpha = model.nodeAt(5)->AsArticle();
      QVERIFY(test::waitFor([&] { return alpha->Has(NodeFlag::Read); }));
      QVERIFY(!model.index(5, 0).data(Qt::FontRole).value<QFont>().bold());
      // The record updated from the fetched article keeps its author's name.
      QCOMPARE(model.index(5, int(ui::ArticleColumn::Author)).data().toString(), QString("Ann"));
      test::saveScreen(&frame, "articles-road-2-article");

      // "/" goes to the next unread article, Bob's reply, and the viewer
      // takes the keys.
      QTest::keyClick(&window->list(), Qt::Key_Slash);
      QCOMPARE(window->list().currentIndex().row(), 6);
      QVERIFY(test::waitFor([&] { return viewerText(window).contains("Body of article 2."); }));
      QVERIFY(test::waitFor([&] { return model.nodeAt(6)->Has(NodeFlag::Read); }));
      QVERIFY(!window->list().hasFocus());
      // Back to the top with the list: Gamma.
      window->list().setFocus();
      window->selectNode(model.nodeAt(0));
      QVERIFY(test::waitFor([&] { return viewerText(window).contains("Body of article 6."); }));
      test::saveScreen(&frame, "articles-road-3-next");

      // Marking unread by command takes the mark away again.
      window->action("acaMarkUnread")->trigger();
      QVERIFY(!model.nodeAt(0)->Has(NodeFlag::Read));

      // Everything read, then everything unread but the two read by hand.
      window->action("acaMarkAllRead")->trigger();
      QVERIFY(window->groupView().View().readSet.test(5 - window->groupView().View().lowMark));
      QVERIFY(!model.index(0, 0).data(Qt::FontRole).value<QFont>().bold());
      window->action("acaMarkAllUnread")->trigger();
      QVERIFY(model.index(0, 0).data(Qt::FontRole).value<QFont>().bold());
      window->selectNode(model.nodeAt(5));
      window->action("acaMarkRead")->trigger();
      window->selectNode(model.nodeAt(6));
      window->action("acaMarkRead")->trigger();

      // Closing the view hands its read state to the group list: 4 unread.
      QVERIFY(window->parentWidget()->close());
      const QModelIndex unread = groups->model().indexOf(
          groups->groupList().FindGroup("alt.t"), static_cast<int>(GroupColumn::Unread));
      QCOMPARE(unread.data().toString(), QString("4"));

      QVERIFY(frame.close());
      QVERIFY2(script.unexpected().isEmpty(), qPrintable(script.unexpected().join('\n')));
    }
    const QStringList newsrc = lines(base.read("fixture.newsrc"));
    QVERIFY2(newsrc.contains("alt.t: 1-2"), qPrintable(newsrc.join(" | ")));
  }
};

QTEST_MAIN(ArticlesWindowRoadTest)
#include "articles_window_road_test.moc"
