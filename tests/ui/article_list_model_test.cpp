// The article list model over a small threaded group from the fixture
// server, under QAbstractItemModelTester: the rows and their texts, depth
// limited by MaxThreadDepth, fonts of read and partly read rows, collapsing
// and sorting, and one changed row redrawn alone.

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTreeView>
#include <QtTest>

#include "articles_window_fixture.h"
#include "ui/article_list_model.h"

using namespace orvel;
using orvel::ui::ArticleColumn;
using orvel::ui::ArticleListModel;

namespace {

struct RowCase {
  const char* subject;
  const char* author;
  const char* lines;
  int depth;  // after the MaxThreadDepth limit of 2
  bool thread;
  const char* look;  // "unread", "read" or "partly"
};

QString cell(const ArticleListModel& m, int row, ArticleColumn c) {
  return m.data(m.index(row, static_cast<int>(c)), Qt::DisplayRole).toString();
}

}  // namespace

class ArticleListModelTest : public QObject {
  Q_OBJECT

 private slots:
  void rowsThreadsFontsCollapseAndSort() {
    if (!test::FixtureProcess::available()) QSKIP("orvel-fixture-server is not built");
    test::ArticlesWindowFixture fx({}, "alt.t:\r\n", [](MainState& s) {
      s.settings.maxThreadDepth = 2;
      s.settings.articleReadFont.style = 0;
      s.settings.articleListFont.style = BagFont::Bold;
      s.settings.articlePartiallyReadFont.style = BagFont::Italic;
    });
    QVERIFY(fx.ready());
    ui::TArticlesWindow* window = fx.open("alt.t");
    QVERIFY(window);
    ArticleListModel& model = window->model();
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QVERIFY(test::ArticlesWindowFixture::downloaded(window));
    // Article 1 is read: its thread becomes partly read, and both rows redraw.
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    TArticle* first = model.nodeAt(5)->AsArticle();
    QVERIFY(first && first->Number == 1);
    first->SetRead(true);
    model.rowChanged(*first);
    QCOMPARE(changed.size(), 2);
    QCOMPARE(changed.at(0).at(0).toModelIndex().row(), 5);
    QCOMPARE(changed.at(1).at(0).toModelIndex().row(), 4);

    const RowCase expected[] = {
        {"Gamma", "Fay", "2", 0, false, "unread"},
        {"Beta", "Dan", "(2)", 0, true, "unread"},
        {"Beta", "Dan", "2", 1, false, "unread"},
        {"Re: Beta", "Eve", "2", 1, false, "unread"},
        {"Alpha", "Ann", "(3)", 0, true, "partly"},
        {"Alpha", "Ann", "2", 1, false, "read"},
        {"Re: Alpha", "Bob", "2", 2, false, "unread"},
        {"Re: Alpha", "Cid", "2", 2, false, "unread"},  // depth 3, shown at 2
    };
    QCOMPARE(model.rowCount(), int(std::size(expected)));
    for (int row = 0; row < model.rowCount(); ++row) {
      const RowCase& e = expected[row];
      const QString where = QString("row %1").arg(row);
      QVERIFY2(cell(model, row, ArticleColumn::Subject) == e.subject, qPrintable(where));
      QVERIFY2(cell(model, row, ArticleColumn::Author) == e.author, qPrintable(where));
      QVERIFY2(cell(model, row, ArticleColumn::Lines) == e.lines, qPrintable(where));
      const QModelIndex i = model.index(row, 0);
      QVERIFY2(i.data(ArticleListModel::DepthRole).toInt() == e.depth, qPrintable(where));
      QVERIFY2(i.data(ArticleListModel::ThreadRole).toBool() == e.thread, qPrintable(where));
      const QFont font = i.data(Qt::FontRole).value<QFont>();
      const QString look = font.italic() ? "partly" : font.bold() ? "unread" : "read";
      QVERIFY2(look == e.look, qPrintable(where + ": " + look));
    }
    QCOMPARE(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QString("Sujet"));
    QCOMPARE(model.headerData(6, Qt::Horizontal, Qt::DisplayRole).toString(), QString("No"));
    QCOMPARE(cell(model, 0, ArticleColumn::Number), QString("6"));
    QVERIFY(!cell(model, 0, ArticleColumn::Date).isEmpty());

    // A changed single article redraws its row only.
    changed.clear();
    model.rowChanged(*model.nodeAt(0));
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.at(0).at(0).toModelIndex().row(), 0);

    // "-" closes the current row's thread; "=" opens it again.
    window->list().setFocus();
    window->selectNode(model.nodeAt(6));
    window->action("acvCollapse")->trigger();
    QCOMPARE(model.rowCount(), 5);
    QCOMPARE(window->list().currentIndex().row(), 4);  // on the closed thread
    QVERIFY(!model.index(4, 0).data(ArticleListModel::ExpandedRole).toBool());
    window->action("acvExpand")->trigger();
    QCOMPARE(model.rowCount(), 8);
    window->action("acvCollapseAll")->trigger();
    QCOMPARE(model.rowCount(), 3);

    // A click on "Sujet" sorts by subject, ascending, with the indicator;
    // a second click reverses it. Closed threads stay closed.
    QHeaderView* header = window->list().header();
    const QPoint at(header->sectionViewportPosition(0) + 8, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(cell(model, 0, ArticleColumn::Subject), QString("Alpha"));
    QCOMPARE(cell(model, 2, ArticleColumn::Subject), QString("Gamma"));
    QVERIFY(header->isSortIndicatorShown());
    QCOMPARE(header->sortIndicatorSection(), 0);
    QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(cell(model, 0, ArticleColumn::Subject), QString("Gamma"));
    QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
    QCOMPARE(model.rowCount(), 3);
    window->action("acvExpandAll")->trigger();
    QCOMPARE(model.rowCount(), 8);
    test::saveScreen(window, "articles-model");
  }
};

QTEST_MAIN(ArticleListModelTest)
#include "article_list_model_test.moc"
