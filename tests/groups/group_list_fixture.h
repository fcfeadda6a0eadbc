#pragma once
// A group list of one profile over the fake network and the manual clock, in
// a fresh base directory, with a recording observer and helpers that play the
// server's side.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "config/temp_base_dir.h"
#include "groups/group_list.h"
#include "support/fake_network.h"
#include "support/manual_clock.h"
#include "support/scripted_prompter.h"

namespace orvel::test {

struct RecordingObserver : GroupListObserver {
  void groupChanged(const TGrpInfo& g) override { changed.push_back(g.name); }
  void shownListRebuilt() override { ++rebuilds; }
  void filterChanged(bool active) override { filterStates.push_back(active); }
  void requestEnded(const RequestOutcome& o) override { outcomes.push_back(o); }

  std::vector<std::string> changed;
  int rebuilds = 0;
  std::vector<bool> filterStates;
  std::vector<RequestOutcome> outcomes;
};

// A view of one group that answers as told; registered with the list while
// it lives, as a group view is while it is open.
struct FakeView : OpenGroupView {
  FakeView(TGroupList& list, const TGrpInfo* g) : list(list), group(g) { list.RegisterView(*this); }
  ~FakeView() override { list.UnregisterView(*this); }
  const TGrpInfo* viewedGroup() const override { return group; }
  bool AskClose() override {
    ++asked;
    return allowClose;
  }
  void HandBackReadState() override {
    ++handBacks;
    if (onHandBack) onHandBack();
  }

  TGroupList& list;
  const TGrpInfo* group;
  bool allowClose = true;
  int asked = 0;
  int handBacks = 0;
  std::function<void()> onHandBack;
};

class GroupListTest : public ::testing::Test {
 protected:
  GroupListTest() {
    profile->alias = "srv";
    profile->host = "192.0.2.1";  // numeric: no lookup
    profile->extensions = false;  // the scripted server plays the plain login
    profile->newsrcPath = dir.file("srv.newsrc");
    options.serversIniPath = dir.file("servers.ini");
    options.updateCountInterval = 0;
  }

  // Writes the files (when given) and opens the list.
  bool open(const std::string& newsrc, const std::string& orvelrc = {}) {
    if (!newsrc.empty()) dir.write("srv.newsrc", newsrc);
    if (!orvelrc.empty()) dir.write("srv.Orvelrc", orvelrc);
    list = std::make_unique<TGroupList>(profile, pool, clock, prompter, host, options);
    list->setObserver(&observer);
    return list->OpenServer();
  }

  FakeTransport& server() { return net.last(); }

  // The newest connection accepts, greets and answers MODE READER; what the
  // list sends once ready is left for sent().
  void greet() {
    server().accept();
    server().receive("200 news ready\r\n");
    server().takeSentLines();
    server().receive("200 reader\r\n");
  }

  std::vector<std::string> sent() { return server().takeSentLines(); }

  // Connections attempted so far, over every transport.
  std::size_t connectAttempts() const {
    std::size_t n = 0;
    for (const FakeTransport* t : net.transports()) n += t->connects().size();
    return n;
  }

  TGrpInfo& group(const std::string& name) {
    TGrpInfo* g = list->FindGroup(name);
    EXPECT_NE(g, nullptr) << name;
    return *g;
  }

  // Counts a group over the connection of the fake server (already greeted).
  void answerGroup(const std::string& reply) { server().receive(reply + "\r\n"); }

  bool hasStatus(const std::string& text) const {
    for (const auto& s : prompter.statuses()) {
      if (s == text) return true;
    }
    return false;
  }

  TempBaseDir dir;
  FakeNetwork net;
  ManualClock clock;
  ScriptedPrompter prompter;
  ConnectionPool pool{net, clock, prompter};
  GroupListHost host;
  std::shared_ptr<TProfile> profile = std::make_shared<TProfile>();
  GroupListOptions options;
  RecordingObserver observer;
  std::unique_ptr<TGroupList> list;
};

}  // namespace orvel::test
