// The folder search window over a group store that a group view filled and
// over a local folder: the stores listed, a search run, and a double-clicked
// row opening the article in its group or folder view with the match
// selected.

#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

#include "articles/mailbox.h"
#include "articles_window_fixture.h"
#include "folders/folder_edits.h"
#include "ui/article_viewer.h"
#include "ui/search_window.h"

using namespace orvel;
using orvel::test::ArticlesWindowFixture;

namespace {

TArticle* articleNumbered(ui::TArticlesWindow* window, std::int32_t number) {
  for (TArticle* a : window->groupView().MasterList()) {
    if (a->Number == number) return a;
  }
  return nullptr;
}

QStringList listedStores(ui::TfmSearch& search) {
  QStringList out;
  for (int i = 0; i < search.storeList()->count(); ++i) out << search.storeList()->item(i)->text();
  return out;
}

}  // namespace

class SearchWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void doubleClickOpensTheArticleWithTheMatchSelected() {
    if (!test::FixtureProcess::available()) QSKIP("orvel-fixture-server is not built");
    // Bodies kept and never expired: the corpus is dated.
    ArticlesWindowFixture fx({}, "alt.t:\r\n", [](MainState& s) {
      s.settings.storageOpt = kStoreHeadersAndBodies;
      s.settings.storageExp = 0;
    });
    QVERIFY(fx.ready());
    ui::TArticlesWindow* window = fx.open("alt.t");
    QVERIFY(window);
    QVERIFY(ArticlesWindowFixture::downloaded(window));
    TArticle* third = articleNumbered(window, 3);
    QVERIFY(third);
    window->session().ShowArticle(third);
    QVERIFY(test::waitFor([third] { return third->BodyOffset >= 0; }));
    QVERIFY(qobject_cast<QMdiSubWindow*>(window->parentWidget())->close());
    QVERIFY(test::waitFor([&] { return !ui::TArticlesWindow::find(*fx.frame, *fx.state.profiles[0], "alt.t"); }));

    fx.frame->mainAction("acmFind")->trigger();
    ui::TfmSearch* search = fx.frame->searchWindow();
    QVERIFY(search);
    QCOMPARE(search->windowTitle(), QString("Recherche dans les dossiers:"));
    QCOMPARE(listedStores(*search), (QStringList{"fx:alt.t", "Outbox", "Sent"}));
    search->patternEdit()->setText("ARTICLE \\d");
    QTest::mouseClick(search->startButton(), Qt::LeftButton);
    QVERIFY(test::waitFor([search] { return !search->search().Running(); }));
    QCOMPARE(search->startButton()->text(), QString("&D\xC3\xA9part"));
    QVERIFY2(search->errorText().isEmpty(), qPrintable(search->errorText()));
    QCOMPARE(search->progressText(), QString("Recherche 1 de 1 articles"));
    QTreeWidget* results = search->results();
    QCOMPARE(results->topLevelItemCount(), 1);
    QTreeWidgetItem* row = results->topLevelItem(0);
    QCOMPARE(row->text(0), QString("fx:alt.t"));
    QCOMPARE(row->text(1), QString("Re: Alpha"));
    QCOMPARE(row->text(2), QString("Cid"));
    QCOMPARE(row->text(4), QString("9"));
    test::saveScreen(search, "folder-search");

    emit results->itemDoubleClicked(row, 0);
    window = ui::TArticlesWindow::find(*fx.frame, *fx.state.profiles[0], "alt.t");
    QVERIFY(window);
    QVERIFY(window->viewer());
    QVERIFY(test::waitFor([window] { return window->viewer()->selectedText() == "article 3"; }));
    QCOMPARE(window->currentArticle()->Number, 3);
  }

  void folderHitOpensTheFolderView() {
    if (!test::FixtureProcess::available()) QSKIP("orvel-fixture-server is not built");
    ArticlesWindowFixture fx;
    QVERIFY(fx.ready());
    TFolderList& folders = fx.frame->folders();
    const TFolderInfo& kept = folders[CreateFolder(folders, "Kept", false).index];
    std::filesystem::create_directories(std::filesystem::path(kept.file).parent_path());
    QVERIFY(SaveFileAtomically(
        kept.file,
        "From ???@here\r\nSubject: Other\r\nMessage-ID: <o@k.invalid>\r\n\r\nNothing.\r\n"
        "From ???@here\r\nSubject: Kept one\r\nFrom: Ann <ann@k.invalid>\r\n"
        "Message-ID: <k@k.invalid>\r\n\r\nA needle here.\r\n"));
    TFolder(kept.file, kept.kind);  // builds the header file as a folder view would

    fx.frame->mainAction("acmFind")->trigger();
    ui::TfmSearch* search = fx.frame->searchWindow();
    QVERIFY(search);
    QCOMPARE(listedStores(*search), (QStringList{"Outbox", "Sent", "Kept"}));
    search->patternEdit()->setText("needle");
    QTest::mouseClick(search->startButton(), Qt::LeftButton);
    QVERIFY(test::waitFor([search] { return !search->search().Running(); }));
    QVERIFY2(search->errorText().isEmpty(), qPrintable(search->errorText()));
    QTreeWidget* results = search->results();
    QCOMPARE(results->topLevelItemCount(), 1);
    QTreeWidgetItem* row = results->topLevelItem(0);
    QCOMPARE(row->text(0), QString("Kept"));
    QCOMPARE(row->text(1), QString("Kept one"));

    emit results->itemDoubleClicked(row, 0);
    ui::TArticlesWindow* view = ui::TArticlesWindow::findFolder(*fx.frame, kept.file);
    QVERIFY(view);
    QVERIFY(view->viewer());
    QVERIFY(test::waitFor([view] { return view->viewer()->selectedText() == "needle"; }));
    QCOMPARE(view->currentArticle()->MessageID.view(), std::string_view("<k@k.invalid>"));

    // "Les dossiers ouverts" checks the open folder view's store alone.
    for (QPushButton* b : search->findChildren<QPushButton*>()) {
      if (b->text() == "&Les dossiers ouverts") b->click();
    }
    QStringList checked;
    for (int i = 0; i < search->storeList()->count(); ++i) {
      if (search->storeList()->item(i)->checkState() == Qt::Checked) {
        checked << search->storeList()->item(i)->text();
      }
    }
    QCOMPARE(checked, QStringList{"Kept"});
  }
};

QTEST_MAIN(SearchWindowTest)
#include "search_window_test.moc"
