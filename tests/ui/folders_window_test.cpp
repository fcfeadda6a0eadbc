// The folders window over a real folder list, and the main window's
// transfer menu built from it.

#include <QHeaderView>
#include <QMenu>
#include <QSignalSpy>
#include <QTreeWidget>
#include <QtTest>

#include "folders/folder_list.h"
#include "support/scripted_prompter.h"
#include "ui/folders_window.h"
#include "ui/orvel_frame.h"
#include "ui_test_support.h"

Q_DECLARE_METATYPE(orvel::TFolderInfo)

using orvel::ui::TFoldersWindow;
using orvel::ui::TOrvelFrame;

namespace orvel {

class FoldersWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void rowsActionsSortAndOpen() {
    test::GuiBase base;
    base.write("folders.ini", "[Folders]\ncount=2\n1=zed\n2=own,/srv/own.mbx\n[Queues]\nzed=1\n");
    TFolderList folders(base.file("folders.ini"), base.file("folders/"));
    QVERIFY(folders.Load().empty());
    test::ScriptedPrompter prompter;
    TBag metrics;
    TFoldersWindow window(folders, prompter, metrics, {});
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTreeWidget& list = window.list();
    const QStringList names = {"Outbox", "Sent", "zed", "own"};
    const QStringList files = {"Outbox.mbx", "Sent.mbx", "zed.mbx", "/srv/own.mbx"};
    QCOMPARE(list.topLevelItemCount(), 4);
    for (int i = 0; i < 4; ++i) {
      QCOMPARE(list.topLevelItem(i)->text(0), names[i]);
      QCOMPARE(list.topLevelItem(i)->text(1), files[i]);
      QVERIFY(!list.topLevelItem(i)->icon(0).isNull());
    }
    // Outbox selected: only the new-folder actions work.
    QVERIFY(!window.action("acfDel")->isEnabled());
    QVERIFY(!window.action("acfRename")->isEnabled());
    QVERIFY(window.action("acfNewArchive")->isEnabled());

    // Ins asks for a name and adds the folder at the end.
    QSignalSpy changed(&window, &TFoldersWindow::foldersChanged);
    prompter.answerText("alpha");
    list.setFocus();
    QTest::keyClick(&list, Qt::Key_Insert);
    QCOMPARE(list.topLevelItemCount(), 5);
    QCOMPARE(list.currentItem()->text(0), QString("alpha"));
    QCOMPARE(changed.count(), 1);
    QVERIFY(window.action("acfDel")->isEnabled());

    // A header click sorts the user folders after "Tri dossiers?".
    prompter.answer(Button::Yes);
    list.header()->sectionClicked(0);
    QCOMPARE(list.topLevelItem(2)->text(0), QString("alpha"));
    QCOMPARE(list.topLevelItem(4)->text(0), QString("zed"));
    QCOMPARE(QString::fromStdString(base.read("folders.ini")),
             QString("[Folders]\ncount=3\n1=alpha\n2=own,/srv/own.mbx\n3=zed\n[Queues]\nzed=1\n"));

    // Enter opens the current folder.
    QSignalSpy opened(&window, &TFoldersWindow::openFolder);
    list.setCurrentItem(list.topLevelItem(3));
    QTest::keyClick(&list, Qt::Key_Return);
    QCOMPARE(opened.count(), 1);
    QCOMPARE(QString::fromStdString(opened[0][0].value<TFolderInfo>().name), QString("own"));

    list.setColumnWidth(0, 123);
    window.saveColumns();
    QVERIFY(QString::fromStdString(metrics.GetString("FoldersColumns", "")).startsWith("123,"));
    QVERIFY(prompter.scriptUsed());
  }

  void transferMenuFollowsTheRules() {
    test::GuiBase base;
    base.write("folders.ini", "[Folders]\ncount=2\n1=arch\n2=q\n[Queues]\nq=1\n");
    AppState app;
    MainState state;
    base.start(app, state);
    TOrvelFrame frame(app, state);
    QCOMPARE(frame.folders().Count(), std::size_t(4));
    auto texts = [&frame] {
      frame.transferMenu()->aboutToShow();
      QStringList out;
      for (QAction* a : frame.transferMenu()->actions()) {
        if (!a->isSeparator()) out << a->text() + (a->isEnabled() ? "+" : "-");
      }
      return out;
    };
    // Without a group view nothing can be transferred.
    QCOMPARE(texts().join('|'),
             QString("-> &Outbox-|-> &Sent-|-> Nouveau dossier d'&archive...-|"
                     "-> Nouveau dossier de &file d'attente...-|-> arch-|-> /q/-"));
    std::vector<std::pair<std::string, bool>> transfers;
    frame.setFolderTransfer(
        [&](const TFolderInfo& f, bool copy) { transfers.emplace_back(f.name, copy); });
    frame.setTransferContextProvider([] {
      return std::optional<TransferContext>(
          TransferContext{TransferView::ArchiveFolder, 2, true, true, false});
    });
    QCOMPARE(texts().join('|'),
             QString("-> &Outbox-|-> &Sent-|-> Nouveau dossier d'&archive...+|"
                     "-> Nouveau dossier de &file d'attente...-|-> arch-|-> /q/-"));
    frame.setTransferContextProvider([] {
      return std::optional<TransferContext>(
          TransferContext{TransferView::Newsgroup, 0, true, true, true});
    });
    texts();
    frame.transferMenu()->actions().last()->trigger();
    QCOMPARE(transfers.size(), std::size_t(1));
    QCOMPARE(QString::fromStdString(transfers[0].first), QString("q"));
    QVERIFY(!transfers[0].second);
    QVERIFY(frame.openFoldersWindow());
    QCOMPARE(frame.childWidgets().size(), std::size_t(1));
    QCOMPARE(frame.openFoldersWindow(), frame.openFoldersWindow());
  }
};

}  // namespace orvel

QTEST_MAIN(orvel::FoldersWindowTest)
#include "folders_window_test.moc"
