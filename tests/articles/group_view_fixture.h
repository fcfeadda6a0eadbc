#pragma once
// A group view over the fake network and the manual clock, with a fake news
// server, a temporary base directory and the server's group list (whose
// newsrc holds alt.test) keeping the group's record.

#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "articles/group_view.h"
#include "config/main_state.h"
#include "config/temp_base_dir.h"
#include "groups/group_list.h"
#include "fake_news_server.h"
#include "support/manual_clock.h"
#include "support/scripted_prompter.h"

namespace orvel::test {

// Answers TfmXOVER with a fixed choice, or cancels it.
struct ScriptedDialog : XoverDialogHost {
  int shown = 0;
  std::vector<int> modes;
  std::size_t xoversBeforeFirst = 0;  // filled by the test's hook
  bool confirm = true;
  std::optional<XoverChoice> choice;
  std::function<void(TfmXOVER&)> inspect;
  bool ShowXoverForm(TfmXOVER& form) override {
    ++shown;
    modes.push_back(form.Mode());
    if (inspect) inspect(form);
    if (choice) {
      form.SetAction(choice->action);
      form.SetLimitChecked(choice->limit > 0);
      if (choice->limit > 0) form.SetLimitValue(choice->limit);
      form.SetEnd(choice->endLimit < 0 ? form.High() : choice->endLimit);
      form.SetStart(choice->startNumber);
    }
    return confirm;
  }
};

struct RecordingObserver : GroupViewObserver {
  std::vector<std::string> progress;
  int rowsChangedCount = 0;
  int downloads = 0;
  bool stop = false;
  void progressText(std::string_view text) override { progress.emplace_back(text); }
  void rowsChanged() override { ++rowsChangedCount; }
  void downloadEnded() override { ++downloads; }
  void replyToMeArrived() override { ++replies; }
  int replies = 0;
  void stopEnabled(bool enabled) override { stop = enabled; }
};

class GroupViewTest : public ::testing::Test {
 protected:
  GroupViewTest() {
    profile->alias = "fake";
    profile->host = "192.0.2.7";
    profile->extensions = false;  // the scripted server plays the plain login
    profile->newsrcPath = base.file("fake.newsrc");
    readMarks("");
    options.connections.autoResumeDelaySec = 20;
  }

  // Starts the group list again from a newsrc giving alt.test these read
  // marks ("1-20,41-60").
  void readMarks(const std::string& ranges) {
    base.write("fake.newsrc", "alt.test:" + (ranges.empty() ? "" : " " + ranges) + "\r\n");
    GroupListOptions listOptions;
    listOptions.updateCountInterval = 0;
    listOptions.serversIniPath = base.file("servers.ini");
    list = std::make_unique<TGroupList>(profile, pool, clock, prompter, listHost, listOptions);
    EXPECT_TRUE(list->OpenServer());
  }

  // The group list's record of alt.test.
  TGrpInfo& record() { return *list->FindGroup("alt.test"); }

  TGroupView& open(OpenMode mode = OpenMode::Download) {
    view.reset();
    GroupViewServices services{pool,  clock,        prompter, main,     base.path(),
                               list.get(), &dialog, &prefs,   &yesToAll};
    view = std::make_unique<TGroupView>(services, profile, record(), options);
    view->SetObserver(&observer);
    view->Open(mode);
    server.pump();
    return *view;
  }

  void close() {
    view->Close();
    server.pump();
  }

  // Numbers of the loaded articles, in master-list order.
  std::vector<std::int32_t> numbers() const {
    std::vector<std::int32_t> out;
    for (const TArticle* a : view->MasterList()) out.push_back(a->Number);
    return out;
  }
  std::set<std::int32_t> numberSet() const {
    const auto v = numbers();
    return {v.begin(), v.end()};
  }
  bool excluded(std::int32_t n) const {
    return view->View().excludedSet.test(n - view->View().lowMark);
  }

  TempBaseDir base;
  FakeNetwork net;
  ManualClock clock;
  ScriptedPrompter prompter;
  ConnectionPool pool{net, clock, prompter};
  MainState main;
  FakeNewsServer server{net};
  GroupListHost listHost;
  ScriptedDialog dialog;
  RecordingObserver observer;
  XoverDialogPrefs prefs;
  bool yesToAll = false;
  GroupViewOptions options;
  std::shared_ptr<TProfile> profile = std::make_shared<TProfile>();
  std::unique_ptr<TGroupList> list;
  std::unique_ptr<TGroupView> view;
};

}  // namespace orvel::test
