// Scoring and filtering in the group view window against the real INN 2 of
// scripts/test-servers (loopback), driven as a person would: a plonk hides
// the author's articles at the next download (and the quick filter shows
// only the arrivals that match it), a rule from the rule builder
// takes effect at the next re-score, and the filter dialog, the quick filter
// box and the server search narrow or score a group's rows.

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTcpSocket>
#include <QTreeView>
#include <QtTest>

#include <unistd.h>

#include <optional>
#include <set>
#include <string>

#include "articles_window_fixture.h"
#include "scoring/scoring_state.h"
#include "support/test_servers.h"
#include "ui/add_score_dialog.h"
#include "ui/article_list_model.h"
#include "ui/article_viewer.h"
#include "ui/filter_dialog.h"
#include "ui/quick_filter_box.h"
#include "ui/xpat_dialog.h"

using namespace orvel;
using namespace orvel::test;
using orvel::ui::TArticlesWindow;

namespace {

int harness(const std::string& arguments) {
  return std::system((std::string("'") + ORVEL_SOURCE_DIR + "/scripts/test-servers' " + arguments +
                      " >/dev/null")
                         .c_str());
}

// Reads one reply line; empty when none came.
QByteArray replyLine(QTcpSocket& socket) {
  while (!socket.canReadLine()) {
    if (!socket.waitForReadyRead(10000)) return {};
  }
  return socket.readLine();
}

// Posts a small article over NNTP; false when the server refused it.
bool post(const TestServers& s, const QString& group, const QString& from, const QString& subject) {
  QTcpSocket socket;
  socket.connectToHost(QString::fromStdString(s.host()), s.port("ORVEL_NNTP_PORT"));
  if (!socket.waitForConnected(10000) || !replyLine(socket).startsWith("20")) return false;
  socket.write("POST\r\n");
  if (!replyLine(socket).startsWith("340")) return false;
  socket.write(("From: " + from + "\r\nNewsgroups: " + group + "\r\nSubject: " + subject +
                "\r\n\r\nA test article.\r\n.\r\n")
                   .toUtf8());
  const bool posted = replyLine(socket).startsWith("240");
  socket.write("QUIT\r\n");
  socket.waitForBytesWritten(1000);
  return posted;
}

// A main window whose one profile is the INN 2 server, reading the groups
// of newsrc.
class InnFrame {
 public:
  InnFrame(const TestServers& s, const std::string& newsrc) {
    base.write("servers.ini", "[Profiles]\r\ncount=1\r\n1=inn," + s.host() + ":" +
                                  std::to_string(s.port("ORVEL_NNTP_PORT")) +
                                  "\r\nDefault=1\r\n");
    base.write("inn.newsrc", newsrc);
    base.start(app, state);
    state.settings.autoGetMsgCounts = false;
    frame = std::make_unique<ui::TOrvelFrame>(app, state);
    frame->show();
    groups = frame->openGroupList(0);
  }
  ~InnFrame() {
    if (frame) frame->close();
  }

  // The group's window once its headers are in; null when it did not open.
  TArticlesWindow* open(const std::string& group) {
    TGrpInfo* g = groups ? groups->groupList().FindGroup(group) : nullptr;
    if (!g) return nullptr;
    frame->openGroup(*groups, *g);
    TArticlesWindow* window = TArticlesWindow::find(*frame, *state.profiles[0], group);
    if (!window || !ArticlesWindowFixture::downloaded(window)) return nullptr;
    return window;
  }

  GuiBase base;
  AppState app;
  MainState state;
  std::unique_ptr<ui::TOrvelFrame> frame;
  ui::TGroupsWindow* groups = nullptr;
};

TArticle* bySubject(TArticlesWindow& window, std::string_view subject) {
  for (TArticle* a : window.groupView().MasterList()) {
    if (a->Subject.view() == subject) return a;
  }
  return nullptr;
}

// What the score column shows for an article: on its row, or on its
// thread's row while the thread is closed.
QString scoreShown(TArticlesWindow& window, const TArticle& article) {
  std::int32_t row = window.session().RowOf(&article);
  if (row < 0 && article.Thread) row = window.session().RowOf(article.Thread);
  const int column = static_cast<int>(ui::ArticleColumn::Score);
  return window.model().index(row, column).data().toString();
}

std::set<std::string> shownSubjects(TArticlesWindow& window) {
  std::set<std::string> out;
  for (const TArticle* a : window.session().Filter().Current()) out.emplace(a->Subject.view());
  return out;
}

QPushButton* button(QWidget& parent, const QString& text) {
  for (QPushButton* b : parent.findChildren<QPushButton*>()) {
    if (b->text() == text) return b;
  }
  return nullptr;
}

bool idle(TArticlesWindow& window) {
  return !window.groupView().Slots().AnyTaken();
}

}  // namespace

class ScoringInnTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    servers_ = loadTestServers();
    if (!servers_) QSKIP("test servers not running (scripts/test-servers start)");
  }

  void plonkHidesTheAuthorAtTheNextDownload() {
    const QString group = "test.gui.plonk" + QString::number(::getpid());
    QCOMPARE(harness("newgroup " + group.toStdString()), 0);
    QVERIFY(post(*servers_, group, "Ann <ann@plonk.invalid>", "From Ann"));
    QVERIFY(post(*servers_, group, "Bob <bob@plonk.invalid>", "From Bob"));
    {
      InnFrame f(*servers_, group.toStdString() + ":\r\n");
      TArticlesWindow* window = f.open(group.toStdString());
      QVERIFY(window);
      QCOMPARE(window->groupView().Rows().size(), std::size_t(2));

      window->selectNode(bySubject(*window, "From Ann"));
      window->list().setFocus();
      ModalScript script;
      script.then([](QWidget* w) {
        auto* dialog = qobject_cast<QInputDialog*>(w);
        QVERIFY2(dialog, "the expiry prompt was expected");
        QCOMPARE(dialog->labelText(), QString("Expire dans: (Nbr de jours, 0=Jamais)"));
        dialog->setIntValue(0);
        dialog->accept();
      });
      QVERIFY(window->execute("acaKill"));
      QVERIFY(script.done());
      QVERIFY(f.frame->scoring().Plonker().IsPlonked("Ann", "ann@plonk.invalid"));

      // The quick filter stays in force through the download: what arrives
      // and matches it is shown, the rest is kept out of sight.
      QVERIFY(window->execute("acvFilterBox"));
      auto* box = window->findChild<ui::QuickFilterBox*>("quickFilter");
      QVERIFY(box);
      QTest::keyClicks(&box->textField(), "^from ");
      QCOMPARE(window->statusText(), QString(" 2"));

      QVERIFY(post(*servers_, group, "Ann <ann@plonk.invalid>", "From Ann again"));
      QVERIFY(post(*servers_, group, "Cid <cid@plonk.invalid>", "From Cid"));
      QVERIFY(post(*servers_, group, "Dan <dan@plonk.invalid>", "Off topic"));
      QVERIFY(window->execute("acaRefresh"));
      QVERIFY(waitFor([&] { return bySubject(*window, "Off topic") && idle(*window); }));
      QVERIFY(!bySubject(*window, "From Ann again"));
      QCOMPARE(window->groupView().View().killed, std::int64_t(1));
      QCOMPARE(shownSubjects(*window),
               (std::set<std::string>{"From Ann", "From Bob", "From Cid"}));
      QCOMPARE(window->model().rowCount(), 3);
      box->textField().clear();
      QCOMPARE(window->model().rowCount(), 4);
    }
    QCOMPARE(harness("rmgroup " + group.toStdString()), 0);
  }

  void ruleBuilderRuleAppliesAtTheNextRescore() {
    InnFrame f(*servers_, "test.threads:\r\n");
    TArticlesWindow* window = f.open("test.threads");
    QVERIFY(window);
    TArticle* reply = bySubject(*window, "Re: Thread 2");
    TArticle* other = bySubject(*window, "Thread 3");
    QVERIFY(reply && other);
    window->session().ShowArticle(reply);
    window->viewer()->textView()->setFocus();
    QVERIFY(waitFor([&] { return window->currentArticle() == reply && idle(*window); }));

    ModalScript script;
    script.then([](QWidget* w) {
      auto* dialog = qobject_cast<ui::TfmAddScore*>(w);
      QVERIFY2(dialog, "the rule builder was expected");
      dialog->fieldCheck(RuleField::Subject).setChecked(true);
      dialog->fieldValue(RuleField::Subject).setCurrentText("Thread 2$");
      dialog->applyButton().click();
    });
    QVERIFY(window->execute("acaAddToScore"));
    QVERIFY(script.done());
    std::string file;
    QVERIFY(ReadWholeFile(f.frame->scoring().Settings().scoreFile, file));
    QVERIFY2(file.find("Subject: Thread 2$") != std::string::npos, file.c_str());
    QCOMPARE(scoreShown(*window, *reply), QString());  // not before the re-score

    f.frame->activateChild(window);
    f.frame->mainAction("acmRescore")->trigger();
    QCOMPARE(reply->Score, 1000);
    QCOMPARE(scoreShown(*window, *reply), QString("1000"));
    QCOMPARE(scoreShown(*window, *other), QString());
  }

  void filterDialogQuickFilterAndServerSearch() {
    InnFrame f(*servers_, "test.threads:\r\n");
    TArticlesWindow* window = f.open("test.threads");
    QVERIFY(window);
    const std::size_t all = window->groupView().MasterList().size();
    QCOMPARE(all, std::size_t(60));
    const std::set<std::string> thread3{"Thread 3", "Re: Thread 3"};

    ModalScript script;
    script.then([](QWidget* w) {
      auto* dialog = qobject_cast<ui::TfmFilter*>(w);
      QVERIFY2(dialog, "the filter dialog was expected");
      dialog->subjectRow().box->setChecked(true);
      dialog->subjectRow().text->setText("Thread 3");
      button(*dialog, "&Appliquer")->click();
    });
    QVERIFY(window->execute("acvFilter"));
    QVERIFY(script.done());
    QCOMPARE(window->session().Filter().Current().size(), std::size_t(10));
    QCOMPARE(shownSubjects(*window), thread3);
    QVERIFY(window->execute("acvRemoveFilter"));
    QCOMPARE(window->session().Filter().Current().size(), all);

    QVERIFY(window->execute("acvFilterBox"));
    auto* box = window->findChild<ui::QuickFilterBox*>("quickFilter");
    QVERIFY(box && box->isVisible());
    QTest::keyClicks(&box->textField(), "thread 4");
    QCOMPARE(window->statusText(), QString(" 10"));
    QCOMPARE(window->model().rowCount(), 10);  // flat
    box->textField().clear();
    QCOMPARE(window->session().Filter().Current().size(), all);

    script.then([](QWidget* w) {
      auto* dialog = qobject_cast<ui::TfmXPat*>(w);
      QVERIFY2(dialog, "the server search dialog was expected");
      dialog->patternField().setText("*thread 5");
      dialog->scoreBox().setValue(321);
      dialog->accept();
    });
    QVERIFY(window->execute("acaXPAT"));
    QVERIFY(script.done());
    QVERIFY(waitFor([&] {
      return window->session().Filter().Mode() == kFilterServerSearch && idle(*window);
    }));
    QCOMPARE(shownSubjects(*window), (std::set<std::string>{"Thread 5", "Re: Thread 5"}));
    QCOMPARE(window->session().Filter().Current().size(), std::size_t(10));
    QCOMPARE(scoreShown(*window, *bySubject(*window, "Thread 5")), QString("321"));
    QCOMPARE(bySubject(*window, "Thread 4")->Score, 0);
  }

 private:
  std::optional<TestServers> servers_;
};

QTEST_MAIN(ScoringInnTest)
#include "scoring_inn_test.moc"
