// Reading a group with the keyboard alone, as a Usenet reader does: next
// unread across threads, a thread closed and opened without losing the
// selection, a thread marked read, back and forward through the articles
// read; and in a binaries group a multi-part post tagged and decoded.

#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTreeView>
#include <QtTest>

#include "articles_window_fixture.h"
#include "content/group_batch.h"
#include "ui/article_list_model.h"
#include "ui/article_viewer.h"

using namespace orvel;
using orvel::test::ArticlesWindowFixture;

namespace {

QString viewerText(ui::TArticlesWindow* window) {
  return window->viewer() ? window->viewer()->textView()->toPlainText() : QString();
}

bool showing(ui::TArticlesWindow* window, int article) {
  return test::waitFor([&] {
    return viewerText(window).contains("Body of article " + QString::number(article) + ".");
  });
}

int rowOfNumber(ui::TArticlesWindow* window, std::int32_t number) {
  ui::ArticleListModel& model = window->model();
  for (int row = 0; row < model.rowCount(); ++row) {
    const TArticle* a = model.nodeAt(row)->AsArticle();
    if (a && a->Number == number) return row;
  }
  return -1;
}

}  // namespace

class ArticlesWindowKeysTest : public QObject {
  Q_OBJECT

 private slots:
  void readingWithTheKeyboard() {
    if (!test::FixtureProcess::available()) QSKIP("orvel-fixture-server is not built");
    ArticlesWindowFixture fx;
    QVERIFY(fx.ready());
    ui::TArticlesWindow* window = fx.open("alt.t");
    QVERIFY(window && ArticlesWindowFixture::downloaded(window));
    ui::ArticleListModel& model = window->model();
    QTreeView& list = window->list();
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    // Rows: Gamma (6); Beta's thread: 4, 5; Alpha's thread: 1, 2, 3.
    list.setFocus();
    window->selectNode(model.nodeAt(0));
    QVERIFY(showing(window, 6));

    // "/" from the list opens the next unread article, Beta, and the viewer
    // takes the keys; "/" there goes on in reading order.
    QTest::keyClick(&list, Qt::Key_Slash);
    QVERIFY(showing(window, 4));
    QCOMPARE(list.currentIndex().row(), rowOfNumber(window, 4));
    QTest::keyClick(window->viewer(), Qt::Key_Slash);
    QVERIFY(showing(window, 5));
    QCOMPARE(list.currentIndex().row(), rowOfNumber(window, 5));

    // Alpha's thread closed with "-" and opened with "=": its rows only come
    // and go, the selection stays on its row.
    list.setFocus();
    const int alphaThread = rowOfNumber(window, 1) - 1;
    window->selectNode(model.nodeAt(alphaThread));
    QTest::keyClick(&list, Qt::Key_Minus);
    QCOMPARE(model.rowCount(), 5);
    QCOMPARE(list.currentIndex().row(), alphaThread);
    QTest::keyClick(&list, Qt::Key_Equal);
    QCOMPARE(model.rowCount(), 8);
    QCOMPARE(list.currentIndex().row(), alphaThread);

    // "[" on the thread's row marks all three read, without a reset.
    QTest::keyClick(&list, Qt::Key_BracketLeft);
    for (std::int32_t n : {1, 2, 3}) {
      QVERIFY(model.nodeAt(rowOfNumber(window, n))->Has(NodeFlag::Read));
    }
    QVERIFY(!model.index(alphaThread, 0).data(Qt::FontRole).value<QFont>().bold());
    QCOMPARE(resets.count(), 0);
    QCOMPARE(list.currentIndex().row(), alphaThread);

    // Back and forward go through the articles read.
    QTest::keyClick(&list, Qt::Key_Left, Qt::AltModifier);
    QVERIFY(showing(window, 4));
    QTest::keyClick(&list, Qt::Key_Left, Qt::AltModifier);
    QVERIFY(showing(window, 6));
    QVERIFY(!window->action("acaBack")->isEnabled());
    QTest::keyClick(&list, Qt::Key_Right, Qt::AltModifier);
    QVERIFY(showing(window, 4));
    QCOMPARE(list.currentIndex().row(), rowOfNumber(window, 4));
  }

  void taggedMultiPartPostIsDecoded() {
    if (!test::FixtureProcess::available()) QSKIP("orvel-fixture-server is not built");
    QTemporaryDir demo;
    QTemporaryDir out;
    QVERIFY(test::writeDemoCorpus(demo.path()));
    const std::string group = "alt.binaries.pictures.demo";
    ArticlesWindowFixture fx(QStringList{"--corpus", demo.path()}, group + ":\r\n",
                             [&](MainState& s) {
                               s.settings.decodeDir = out.path().toStdString() + "/";
                             });
    QVERIFY(fx.ready());
    ui::TArticlesWindow* window = fx.open(group);
    QVERIFY(window && ArticlesWindowFixture::downloaded(window));
    ui::ArticleListModel& model = window->model();
    int post = -1;
    for (int row = 0; row < model.rowCount() && post < 0; ++row) {
      const TAThread* t = model.nodeAt(row)->AsThread();
      if (t && t->PartsTotal == 4) post = row;
    }
    QVERIFY(post >= 0);
    window->list().setFocus();
    window->list().setCurrentIndex(model.index(post, 0));
    QTest::keyClick(&window->list(), Qt::Key_Insert);
    QCOMPARE(window->batch()->Queue().size(), std::size_t(4));
    QVERIFY(window->statusText().contains(" 4 tagged"));
    QCOMPARE(model.index(post + 1, int(ui::ArticleColumn::Queue)).data().toString(), QString("0"));
    QTest::keyClick(&window->list(), Qt::Key_F4);
    QVERIFY(test::waitFor([&] { return QFile::exists(out.path() + "/phare.jpg"); }, 15000));
    QVERIFY(test::waitFor([&] { return window->batch()->Queue().empty(); }));
  }
};

QTEST_MAIN(ArticlesWindowKeysTest)
#include "articles_window_keys_test.moc"
