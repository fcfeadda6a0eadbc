// The compose window in the main window, against the fixture news server: a
// follow-up quotes the article shown with its attribution and signature, the
// send warns about the quoted share, the message lands in the Outbox, and
// reopened from the Outbox view it comes back field for field.

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QtTest>

#include "articles/article_arena.h"
#include "articles_window_fixture.h"
#include "folders/folder_list.h"
#include "ui/compose_editor.h"
#include "ui/edit_window.h"

using namespace orvel;
using namespace orvel::test;
using orvel::ui::TArticlesWindow;
using orvel::ui::TEditWindow;

namespace {

void configure(MainState& state) {
  state.settings.warnExcessiveQuote = 10;
  for (TID* id : {&state.identities.front(), &state.profiles.front()->identity}) {
    id->Name = "Ann";
    id->PublicEmail = "ann@example.com";
    id->Email = "ann@real.example";
    id->SigFile = "sig.txt";
  }
}

std::vector<TArticle*> outboxEntries(ArticleArena& arena, const std::string& path) {
  TFolder outbox(path, kStoreOutbox);
  std::vector<TArticle*> entries;
  outbox.LoadHeaders(arena, entries);
  return entries;
}

TArticle* bySubject(TArticlesWindow& window, std::string_view subject) {
  for (TArticle* a : window.groupView().MasterList()) {
    if (a->Subject.view() == subject) return a;
  }
  return nullptr;
}

}  // namespace

class EditWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    if (!FixtureProcess::available()) QSKIP("the fixture server is not built");
  }

  void followUpSavesToTheOutboxAndReopens() {
    ArticlesWindowFixture fx({}, "alt.t:\r\n", configure);
    QVERIFY(fx.ready());
    fx.base.write("sig.txt", "Ann\n");
    TArticlesWindow* window = fx.open("alt.t");
    QVERIFY(window && ArticlesWindowFixture::downloaded(window));
    QVERIFY(window->execute("acvExpandAll"));
    TArticle* alpha = bySubject(*window, "Alpha");
    QVERIFY(alpha);
    window->selectNode(alpha);
    QVERIFY(waitFor([&] {
      return window->viewer()->textView()->toPlainText().contains("Body of article 1.");
    }));

    TEditWindow* edit = window->compose(ComposeKind::FollowUp);
    QVERIFY(edit);
    QCOMPARE(edit->windowTitle(), QString("FollowUp to: Alpha"));
    QCOMPARE(edit->subjectEdit()->text(), QString("Re: Alpha"));
    QCOMPARE(edit->groupsEdit()->text(), QString("alt.t"));
    const QString text = edit->editor().toPlainText();
    QVERIFY2(text.contains("j'ai lu dans alt.t:\n\n> Body of article 1.\n> Second line.\n"),
             qPrintable(text));
    QVERIFY2(text.endsWith("\n\n-- \nAnn\n"), qPrintable(text));

    // The caret waits after the quoted text.
    QTest::keyClicks(&edit->editor(), "Yes.");
    edit->collect();
    const ComposeMessage written = edit->session().Message();
    QVERIFY(written.modified);

    const QPointer<TEditWindow> watched(edit);
    ModalScript script;
    script.then(ModalScript::press(QMessageBox::Yes, "Le texte cit\u00e9 repr\u00e9sente"));
    edit->action("aceSend")->trigger();
    QVERIFY(waitFor([&] { return script.done(); }));
    QVERIFY2(!watched.isNull(), "Yes goes back to the editor");
    script.then(ModalScript::press(QMessageBox::No, "R\u00e9duire le texte cit\u00e9"));
    edit->action("aceSend")->trigger();
    QVERIFY(waitFor([&] { return script.done() && watched.isNull(); }));
    QVERIFY(script.unexpected().isEmpty());

    const TFolderInfo& outbox = fx.frame->folders()[0];
    ArticleArena arena;
    const std::vector<TArticle*> entries = outboxEntries(arena, outbox.file);
    QCOMPARE(entries.size(), std::size_t(1));
    QCOMPARE(entries[0]->Subject.view(), std::string_view("Re: Alpha"));

    fx.frame->openFolder(outbox);
    TArticlesWindow* view = TArticlesWindow::findFolder(*fx.frame, outbox.file);
    QVERIFY(view);
    QVERIFY(waitFor([&] { return view->groupView().MasterList().size() == 1; }));
    TEditWindow* reopened = view->reopenQueued(*view->groupView().MasterList().front());
    QVERIFY(reopened);
    ComposeMessage expected = written;
    expected.modified = false;
    QVERIFY(reopened->session().Message() == expected);
    QVERIFY2(reopened->editor().toPlainText().contains("> Second line.\nYes.\n\n-- \nAnn"),
             qPrintable(reopened->editor().toPlainText()));
    QCOMPARE(reopened->subjectEdit()->text(), QString("Re: Alpha"));

    // Nothing changed: it closes without a question.
    const QPointer<TEditWindow> closing(reopened);
    reopened->close();
    QVERIFY(waitFor([&] { return closing.isNull(); }));
    QVERIFY(script.unexpected().isEmpty());
  }
};

QTEST_MAIN(EditWindowTest)
#include "edit_window_test.moc"
