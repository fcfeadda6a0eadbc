// The compose window in the main window, against the fixture news server: a
// follow-up quotes the article shown with its attribution and signature, the
// send warns about the quoted share, the message goes to the server through
// the Outbox, and reopened from the copy in Sent it comes back field for
// field.

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QtTest>

#include <sys/wait.h>
#include <unistd.h>

#include "articles/article_arena.h"
#include "articles_window_fixture.h"
#include "folders/folder_list.h"
#include "posting/queued_text.h"
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

std::vector<TArticle*> folderEntries(ArticleArena& arena, const std::string& path,
                                     std::uint8_t kind = kStoreOutbox) {
  TFolder outbox(path, kind);
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

  void followUpIsSentAndReopensFromSent() {
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

    // Sent: the Outbox entry is done, and the copy kept in Sent.
    const TFolderInfo& outbox = fx.frame->folders()[0];
    const TFolderInfo& sent = fx.frame->folders()[1];
    ArticleArena arena;
    for (const TArticle* entry : folderEntries(arena, outbox.file)) QVERIFY(entry->Has(NodeFlag::Deleted));
    const std::vector<TArticle*> copies = folderEntries(arena, sent.file, kStoreSent);
    QCOMPARE(copies.size(), std::size_t(1));
    QCOMPARE(copies[0]->Subject.view(), std::string_view("Re: Alpha"));
    QVERIFY(copies[0]->Has(NodeFlag::Posted));

    fx.frame->openFolder(sent);
    TArticlesWindow* view = TArticlesWindow::findFolder(*fx.frame, sent.file);
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

    // acaEdit in Sent opens the message to send again; saving it to the
    // Outbox keeps the copy in Sent.
    view->selectNode(view->groupView().MasterList().front());
    QVERIFY(waitFor([&] { return view->action("acaEdit")->isEnabled(); }));
    view->action("acaEdit")->trigger();
    QList<TEditWindow*> edits = fx.frame->findChildren<TEditWindow*>();
    QCOMPARE(edits.size(), 1);
    QVERIFY(edits[0]->session().Message() == expected);
    edits[0]->action("aceSave")->trigger();
    ArticleArena after;
    const std::vector<TArticle*> kept = folderEntries(after, sent.file, kStoreSent);
    QCOMPARE(kept.size(), std::size_t(1));
    QVERIFY(!kept[0]->Has(NodeFlag::Deleted));
    QCOMPARE(folderEntries(after, outbox.file).back()->Subject.view(), std::string_view("Re: Alpha"));
  }

  // The Outbox view's send: after "Ready to send messages?" every entry
  // goes, each is marked deleted, and the view closes.
  void outboxViewSendsItsEntries() {
    ArticlesWindowFixture fx({}, "alt.t:\r\n", configure);
    QVERIFY(fx.ready());
    const TFolderInfo& outbox = fx.frame->folders()[0];
    {
      TFolder folder(outbox.file, kStoreOutbox);
      ArticleArena arena;
      for (const char* subject : {"First", "Second"}) {
        ComposeMessage m;
        m.server = "fx";
        m.groups = "alt.t";
        m.post = true;
        m.subject = subject;
        m.identity = fx.state.profiles[0]->identity;
        m.body = {{"text", false}};
        const QueuedText q = BuildQueuedText(m, 45000 + (subject[0] == 'S' ? 1 : 0), 0);
        const std::string_view text = q.text;
        QVERIFY(folder.AddArticle(*NewQueueRecord(arena, q.record), &text, q.record.groupField));
      }
    }
    fx.frame->openFolder(outbox);
    QPointer<TArticlesWindow> view = TArticlesWindow::findFolder(*fx.frame, outbox.file);
    QVERIFY(view);
    QVERIFY(waitFor([&] { return view->groupView().MasterList().size() == 2; }));
    ModalScript script;
    script.then(ModalScript::press(QMessageBox::Yes, "Ready to send messages?"));
    QVERIFY(view->execute("acaSend"));
    QVERIFY(waitFor([&] { return script.done() && view.isNull(); }, 30000));
    QVERIFY(script.unexpected().isEmpty());
    ArticleArena arena;
    for (const TArticle* entry : folderEntries(arena, outbox.file)) {
      QVERIFY2(entry->Has(NodeFlag::Deleted), std::string(entry->Subject.view()).c_str());
    }
  }

  // What the external editor does to its file decides the text; when it
  // fails the text stays and the window says why.
  void externalEditor() {
    struct Case {
      const char* command;
      const char* said;  // part of the message, or nullptr
      bool edited;
    };
    const Case cases[] = {
        {"sh -c 'printf \"edited\\n\" > \"$0\"'", nullptr, true},
        {"sh -c 'rm \"$0\"'", "disparu", false},
        {"sh -c 'exit 3'", "code 3", false},
        {"sh -c 'kill -SEGV $$'", "brutalement", false},
        {"", "Configurez l'\u00e9diteur externe", false},
    };
    ArticlesWindowFixture fx({}, "alt.t:\r\n", configure);
    QVERIFY(fx.ready());
    for (const Case& c : cases) {
      fx.state.settings.externalEditor = c.command;
      TEditWindow* edit = TEditWindow::openNew(*fx.frame, fx.state.profiles[0], "alt.t");
      QVERIFY(edit);
      const QString before = edit->editor().toPlainText();
      ModalScript script;
      if (c.said) script.then(ModalScript::press(QMessageBox::Ok, QString::fromUtf8(c.said)));
      edit->action("aceExternalEdit")->trigger();
      QVERIFY2(waitFor([&] {
                 return script.done() && (!c.edited || edit->editor().toPlainText() != before);
               }),
               c.command);
      QCOMPARE(edit->editor().toPlainText().trimmed(), c.edited ? QString("edited") : before.trimmed());
      QVERIFY(script.unexpected().isEmpty());
      if (c.edited) script.then(ModalScript::press(QMessageBox::No, "Le message a chang\u00e9"));
      const QPointer<TEditWindow> closing(edit);
      edit->close();
      QVERIFY(waitFor([&] { return script.done() && closing.isNull(); }));
    }
  }

  // A draft left by a program that ended without closing its compose
  // window is in the Outbox at the next start.
  void leftDraftIsRecovered() {
    ArticlesWindowFixture fx({}, "alt.t:\r\n", configure);
    QVERIFY(fx.ready());
    const pid_t gone = fork();
    if (gone == 0) _exit(0);
    waitpid(gone, nullptr, 0);
    ComposeMessage lost;
    lost.subject = "Lost";
    lost.server = "fx";
    lost.groups = "alt.t";
    lost.post = true;
    lost.body = {{"text", false}};
    QVERIFY(QDir().mkpath(QString::fromStdString(fx.base.file("folders/drafts"))));
    fx.base.write("folders/drafts/draft-" + std::to_string(gone) + "-1.txt",
                  BuildQueuedText(lost, 45000, 0).text);

    AppState app;
    MainState state;
    fx.base.start(app, state);
    ui::TOrvelFrame again(app, state);
    ArticleArena arena;
    const std::vector<TArticle*> entries = folderEntries(arena, again.folders()[0].file);
    QCOMPARE(entries.size(), std::size_t(1));
    QCOMPARE(entries[0]->Subject.view(), std::string_view("Lost"));
    QVERIFY(!QFileInfo::exists(
        QString::fromStdString(fx.base.file("folders/drafts/draft-" + std::to_string(gone) + "-1.txt"))));
  }
};

QTEST_MAIN(EditWindowTest)
#include "edit_window_test.moc"
