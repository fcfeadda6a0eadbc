// A header download broken off by the server: the view resumes it (after
// the countdown, or at once after a time-out) and ends with every header
// exactly once.

#include "group_view_fixture.h"

namespace orvel::test {
namespace {

// Sends the status line and the overview lines of a..b, then half a line.
void sendPart(FakeNewsServer& server, FakeTransport& t, std::int32_t a, std::int32_t b) {
  std::string text = "224 follows\r\n";
  for (auto n = a; n <= b; ++n) text += FakeOverviewLine("alt.test", n) + "\r\n";
  text += FakeOverviewLine("alt.test", b + 1).substr(0, 20);
  t.receive(text);
  (void)server;
}

TEST_F(GroupViewTest, ResetDuringXoverResumesAfterTheCountdownWithoutLoss) {
  server.groups["alt.test"] = MakeGroup(1, 100);
  bool cut = true;
  server.hook = [&](FakeTransport& t, const std::string& line) {
    if (line == "XOVER 1-100" && cut) {
      cut = false;
      sendPart(server, t, 1, 40);
      return FakeNewsServer::Action{FakeNewsServer::Action::Reset, {}};
    }
    return FakeNewsServer::Action{};
  };
  open();
  EXPECT_EQ(numbers().size(), 40u);
  EXPECT_TRUE(view->Slots().Pending(Purpose::ResumeHeaders));
  EXPECT_EQ(observer.progress.back(), "Tentative dans 20 secs.  Echap. pour arréter.");
  clock.advance(19000);
  server.pump();
  EXPECT_EQ(server.commandsStarting("XOVER").size(), 1u);
  clock.advance(1000);
  server.pump();
  EXPECT_EQ(server.commandsStarting("XOVER"),
            (std::vector<std::string>{"XOVER 1-100", "XOVER 41-100"}));
  EXPECT_EQ(numbers().size(), 100u);
  EXPECT_EQ(numberSet().size(), 100u);
  EXPECT_EQ(prompter.lastStatus(), kReadyText);
  EXPECT_EQ(observer.downloads, 1);
}

TEST_F(GroupViewTest, StallTimesOutAndResumesAtOnce) {
  server.groups["alt.test"] = MakeGroup(1, 60);
  bool stall = true;
  server.hook = [&](FakeTransport& t, const std::string& line) {
    if (line == "XOVER 1-60" && stall) {
      stall = false;
      sendPart(server, t, 1, 25);
      return FakeNewsServer::Action{FakeNewsServer::Action::Silence, {}};
    }
    return FakeNewsServer::Action{};
  };
  open();
  clock.advance(30000);
  EXPECT_TRUE(view->Slots().Pending(Purpose::ResumeHeaders));
  EXPECT_EQ(view->Slots().ResumeCounter(), 0);
  clock.advance(1000);
  server.pump();
  EXPECT_EQ(server.commands.back(), "XOVER 26-60");
  EXPECT_EQ(numberSet().size(), 60u);
  EXPECT_EQ(numbers().size(), 60u);
}

TEST_F(GroupViewTest, BrokenXhdrResumesFromTheHighestNumberItGave) {
  server.groups["alt.test"] = MakeGroup(1, 50);
  bool cut = true;
  server.hook = [&](FakeTransport& t, const std::string& line) {
    if (line == "XHDR X-A 1-50" && cut) {
      cut = false;
      std::string text = "221 X-A follows\r\n";
      for (int n = 1; n <= 20; ++n) text += std::to_string(n) + " v" + std::to_string(n) + "\r\n";
      t.receive(text);
      return FakeNewsServer::Action{FakeNewsServer::Action::Reset, {}};
    }
    return FakeNewsServer::Action{};
  };
  TGroupView& v = open(OpenMode::StoredOnly);
  v.View().extraNames = {"X-A"};
  v.Refresh();
  server.pump();
  clock.advance(20000);
  server.pump();
  EXPECT_EQ(server.commandsStarting("X"),
            (std::vector<std::string>{"XHDR X-A 1-50", "XHDR X-A 20-50", "XOVER 1-50"}));
  EXPECT_EQ(numbers().size(), 50u);
}

TEST_F(GroupViewTest, NoAutoResumeLeavesWhatCameAndEnds) {
  server.groups["alt.test"] = MakeGroup(1, 30);
  options.connections.autoResume = false;
  server.hook = [&](FakeTransport& t, const std::string& line) {
    if (line == "XOVER 1-30") {
      sendPart(server, t, 1, 10);
      return FakeNewsServer::Action{FakeNewsServer::Action::Reset, {}};
    }
    return FakeNewsServer::Action{};
  };
  open();
  clock.advance(60000);
  server.pump();
  EXPECT_EQ(numbers().size(), 10u);
  EXPECT_FALSE(view->Slots().AnyTaken());
  EXPECT_FALSE(view->Slots().ResumptionRunning());
  // The numbers not received are not excluded: a refresh asks for them.
  server.hook = nullptr;
  view->Refresh();
  server.pump();
  EXPECT_EQ(server.commands.back(), "XOVER 11-30");
  EXPECT_EQ(numbers().size(), 30u);
}

TEST_F(GroupViewTest, ClosingDuringTheCountdownStopsIt) {
  server.groups["alt.test"] = MakeGroup(1, 30);
  server.hook = FakeNewsServer::On({"XOVER"}, FakeNewsServer::Action::Reset);
  open();
  ASSERT_TRUE(view->Slots().ResumptionRunning());
  close();
  const auto sent = server.commands.size();
  clock.advance(60000);
  server.pump();
  EXPECT_EQ(server.commands.size(), sent);
}

}  // namespace
}  // namespace orvel::test
