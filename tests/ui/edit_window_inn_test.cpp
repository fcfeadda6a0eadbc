// The compose window against the real INN 2 and SMTP sink of
// scripts/test-servers: an article with a 1,000,000-byte attachment, posted
// and mailed at once, goes to the server in yEnc parts that decode back to
// the same bytes, the mail reaches the relay, and Sent keeps the copy.

#include <QCheckBox>
#include <QLineEdit>
#include <QtTest>

#include <random>

#include "articles/article_arena.h"
#include "articles/mailbox.h"
#include "folders/folder_list.h"
#include "support/cli_run.h"
#include "support/inn_query.h"
#include "ui/compose_editor.h"
#include "ui/edit_window.h"
#include "ui/orvel_frame.h"
#include "ui_test_support.h"

using namespace orvel;
using namespace orvel::test;
using orvel::ui::TEditWindow;

class EditWindowInnTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    servers_ = loadTestServers();
    if (!servers_ || !servers_->hasSmtp()) QSKIP("test servers not running (scripts/test-servers start)");
  }

  void postAndMailAMegabyte() {
    QCOMPARE(newGroup("test.send.gui"), 0);
    const TestServers& s = *servers_;
    GuiBase base;
    base.write("servers.ini", "[Profiles]\r\ncount=1\r\n1=inn," + s.host() + ":" +
                                  s.get("ORVEL_NNTP_PORT") + "\r\nDefault=1\r\n[inn]\r\nSMTPHost=" +
                                  s.smtpHost() + ":" + std::to_string(s.smtpPlainPort()) + "\r\n");
    base.write("Orvel.ini", "[ID]\r\nName=Ann\r\nEmail=ann@real.example.net\r\n"
                            "PublicEmail=ann@example.net\r\n[Compose]\r\nUseyEnc=1\r\nyCutSize=400000\r\n");
    std::string bytes(1000000, '\0');
    std::mt19937 random(11);
    for (char& c : bytes) c = static_cast<char>(random());
    const std::string name =
        "gui-" + std::to_string(QDateTime::currentMSecsSinceEpoch()) + ".bin";
    base.write(name, bytes);
    const std::string subject = "From the window " + name;

    AppState app;
    MainState state;
    base.start(app, state);
    auto frame = std::make_unique<ui::TOrvelFrame>(app, state);
    frame->show();
    TEditWindow* edit = TEditWindow::openNew(*frame, state.profiles[0], "test.send.gui");
    QVERIFY(edit);
    edit->subjectEdit()->setText(QString::fromStdString(subject));
    edit->mailBox()->setChecked(true);
    edit->mailToEdit()->setText("Bob <bob@example.net>");
    QTest::keyClicks(&edit->editor(), "The file, by news and by mail.");
    edit->session().Edit().attachments.push_back({base.file(name), bytes.size()});
    const QPointer<TEditWindow> watched(edit);
    ModalScript script;
    edit->action("aceSend")->trigger();
    QVERIFY2(waitFor([&] { return watched.isNull(); }, 120000), "sent whole, the window closes");
    QVERIFY2(script.unexpected().isEmpty(), qPrintable(script.unexpected().join("; ")));

    // The news server holds the parts, which decode to the file.
    const auto parts = innFind(s, "test.send.gui", subject);
    QCOMPARE(parts.size(), std::size_t(3));
    GuiBase reader;
    reader.write("servers.ini", "[Profiles]\r\ncount=1\r\n1=inn," + s.host() + ":" +
                                    s.get("ORVEL_NNTP_PORT") + "\r\n");
    const CliRun decoded = runCli({"--base", reader.path(), "decode-group", "inn", "test.send.gui",
                                   parts.front().first + "-" + parts.back().first, "--out",
                                   reader.path()});
    QVERIFY2(decoded.status == 0, decoded.err.c_str());
    QVERIFY(reader.read(name) == bytes);

    // The relay got the mail, the file in it.
    int mails = 0;
    for (const auto& entry : std::filesystem::directory_iterator(s.smtpMailDir())) {
      std::string text;
      ReadWholeFile(entry.path().string(), text);
      if (entry.path().extension() != ".eml" || text.find(subject) == std::string::npos) continue;
      ++mails;
      QVERIFY(text.find("Posted-and-Mailed: yes\r\n") != std::string::npos);
      QVERIFY(text.find("name=\"" + name + "\"") != std::string::npos);
    }
    QCOMPARE(mails, 1);

    // Sent keeps the copy, posted and mailed.
    ArticleArena arena;
    HeaderFileDump dump;
    QVERIFY(ReadHeaderFile(FolderIndexFile(frame->folders()[1]), arena, dump));
    QCOMPARE(dump.records.size(), std::size_t(1));
    QCOMPARE(dump.records[0]->Subject.view(), std::string_view(subject));
    QVERIFY(dump.records[0]->Has(NodeFlag::Posted));
    QVERIFY(dump.records[0]->Has(NodeFlag::MailSent));
    frame->close();
  }

 private:
  std::optional<TestServers> servers_;
};

QTEST_MAIN(EditWindowInnTest)
#include "edit_window_inn_test.moc"
