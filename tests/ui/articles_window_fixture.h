#pragma once
// A main window whose one profile points at the fixture news server, with
// the group list open: what the group view window tests start from. The
// server serves a small hand-made threaded group (alt.t) from a corpus
// directory written here, plus whatever generated groups a test asks for.

#include <QTemporaryDir>

#include <memory>

#include "ui/articles_window.h"
#include "ui/groups_window.h"
#include "ui/orvel_frame.h"
#include "ui_test_support.h"

namespace orvel::test {

// alt.t: two threads (one by References, one by subject) and a single
// article, dated so that sorting by date puts Gamma, Beta, Alpha in order.
inline void writeThreadedCorpus(const QString& dir) {
  struct Post {
    int number;
    const char* subject;
    const char* from;
    const char* references;
    const char* time;
  };
  const Post posts[] = {
      {1, "Alpha", "Ann <ann@example.invalid>", "", "10:00:00"},
      {2, "Re: Alpha", "Bob <bob@example.invalid>", "<1@t.invalid>", "11:00:00"},
      {3, "Re: Alpha", "Cid <cid@example.invalid>", "<1@t.invalid> <2@t.invalid>", "12:00:00"},
      {4, "Beta", "Dan <dan@example.invalid>", "", "09:00:00"},
      {5, "Re: Beta", "Eve <eve@example.invalid>", "", "13:00:00"},
      {6, "Gamma", "Fay <fay@example.invalid>", "", "08:00:00"},
  };
  QDir().mkpath(dir + "/alt.t");
  for (const Post& p : posts) {
    QFile file(dir + "/alt.t/" + QString::number(p.number));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QByteArray text = "From: " + QByteArray(p.from) + "\nNewsgroups: alt.t\nSubject: " +
                      p.subject + "\nDate: Mon, 05 Jan 2026 " + p.time +
                      " +0000\nMessage-ID: <" + QByteArray::number(p.number) + "@t.invalid>\n";
    if (*p.references) text += "References: " + QByteArray(p.references) + "\n";
    text += "\nBody of article " + QByteArray::number(p.number) + ".\nSecond line.\n";
    file.write(text);
  }
}

// The demo server's articles (scripts/demo-corpus) in dir; false when the
// script failed.
inline bool writeDemoCorpus(const QString& dir) {
  const std::string make = std::string("'") + ORVEL_SOURCE_DIR + "/scripts/demo-corpus' '" +
                           dir.toStdString() + "'";
  return std::system(make.c_str()) == 0;
}

class ArticlesWindowFixture {
 public:
  // extraArguments: more fixture server options (generated groups, faults).
  explicit ArticlesWindowFixture(const QStringList& extraArguments = {},
                                 const std::string& newsrc = "alt.t:\r\n",
                                 const std::function<void(MainState&)>& settings = {}) {
    writeThreadedCorpus(corpus.path());
    server = std::make_unique<FixtureProcess>(QStringList{"--corpus", corpus.path()} +
                                              extraArguments);
    if (server->port() <= 0) return;
    base.write("servers.ini", "[Profiles]\r\ncount=1\r\n1=fx,127.0.0.1:" +
                                  std::to_string(server->port()) + "\r\nDefault=1\r\n");
    base.write("fx.newsrc", newsrc);
    base.start(app, state);
    state.settings.autoGetMsgCounts = false;
    if (settings) settings(state);
    frame = std::make_unique<ui::TOrvelFrame>(app, state);
    frame->show();
    groups = frame->openGroupList(0);
  }
  ~ArticlesWindowFixture() {
    if (frame) frame->close();
  }

  bool ready() const { return server->port() > 0 && groups; }

  // Opens a group the way Enter in the group list does.
  ui::TArticlesWindow* open(const std::string& group) {
    TGrpInfo* g = groups->groupList().FindGroup(group);
    if (!g) return nullptr;
    frame->openGroup(*groups, *g);
    return ui::TArticlesWindow::find(*frame, *state.profiles[0], group);
  }

  // Waits until the view's download ended (no slot busy with headers).
  static bool downloaded(ui::TArticlesWindow* window, int timeoutMs = 15000) {
    return waitFor(
        [window] {
          TGroupView& v = window->groupView();
          return !v.Slots().Serving(Purpose::Headers) &&
                 !v.Slots().Serving(Purpose::ResumeHeaders) && !v.Rows().empty();
        },
        timeoutMs);
  }

  QTemporaryDir corpus;
  std::unique_ptr<FixtureProcess> server;
  GuiBase base;
  AppState app;
  MainState state;
  std::unique_ptr<ui::TOrvelFrame> frame;
  ui::TGroupsWindow* groups = nullptr;
};

}  // namespace orvel::test
