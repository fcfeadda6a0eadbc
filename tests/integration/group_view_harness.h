#pragma once
// A group view over Qt's sockets and timers for the integration tests: the
// view, what it showed in its progress bar, and a wait until it is idle.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "articles/group_view.h"
#include "config/main_state.h"
#include "config/temp_base_dir.h"
#include "net/qt/qt_clock.h"
#include "net/qt/qt_network.h"
#include "support/qt_event_loop.h"
#include "support/scripted_prompter.h"

namespace orvel::test {

struct ProgressLog : GroupViewObserver {
  std::vector<std::string> texts;
  int downloads = 0;
  void progressText(std::string_view t) override { texts.emplace_back(t); }
  void downloadEnded() override { ++downloads; }
  bool saw(std::string_view needle) const {
    for (const auto& t : texts) {
      if (t.find(needle) != std::string::npos) return true;
    }
    return false;
  }
  // The commands shown, from the verb on ("XOVER 1-2000").
  std::vector<std::string> commands(std::string_view verb) const {
    std::vector<std::string> out;
    for (const auto& t : texts) {
      const std::size_t at = t.find(verb);
      if (at != std::string::npos) out.push_back(t.substr(at));
    }
    return out;
  }
};

class GroupViewQtTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qtApp();
    main.settings.storageExp = 0;  // the test articles are old
  }

  // A new view on group (the previous one goes); runs until it is idle.
  TGroupView& open(const std::shared_ptr<TProfile>& profile, const std::string& group,
                   XoverDialogHost* dialog = nullptr, bool askDialog = false,
                   OpenMode mode = OpenMode::Download) {
    view.reset();
    record = TGrpInfo{};
    record.name = group;
    record.read.text = readMarks;
    GroupViewServices services{pool, clock, prompter, main, base.path(), nullptr, dialog};
    view = std::make_unique<TGroupView>(services, profile, record, options);
    view->SetObserver(&progress);
    if (askDialog) view->Download().SetMode(DownloadMode::DialogAsked);
    view->Open(mode);
    EXPECT_TRUE(settle());
    return *view;
  }

  // Waits until the view holds no slot and waits for no resumption.
  bool settle(int timeoutMs = 60000) {
    return runUntil(
        [this] { return !view->Slots().AnyTaken() && !view->Slots().ResumptionRunning(); },
        timeoutMs);
  }

  TempBaseDir base;
  QtNetPlatform platform;
  QtClock clock;
  ScriptedPrompter prompter;
  ConnectionPool pool{platform, clock, prompter};
  MainState main;
  GroupViewOptions options;
  ProgressLog progress;
  TGrpInfo record;
  std::string readMarks;  // the group's read marks when the next view opens
  std::unique_ptr<TGroupView> view;
};

}  // namespace orvel::test
