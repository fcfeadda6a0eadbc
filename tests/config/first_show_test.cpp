#include "config/first_show.h"

#include <gtest/gtest.h>

namespace orvel {
namespace {

using K = OpenedWindow::Kind;

TEST(FirstShow, FirstRunAsksForAServer) {
  const FirstShowPlan plan = PlanFirstShow({});
  EXPECT_TRUE(plan.askForFirstServer);
  EXPECT_EQ(plan.defaultProfileToOpen, -1);
}

TEST(FirstShow, DefaultProfileOpensUnlessReopened) {
  FirstShowInput in;
  in.profileAliases = {"home", "work"};
  in.defaultProfileIndex = 1;
  in.opened = {{K::ServerGroups, "home"}, {K::FolderView, "Sent"}};
  FirstShowPlan plan = PlanFirstShow(in);
  EXPECT_FALSE(plan.askForFirstServer);
  EXPECT_EQ(plan.defaultProfileToOpen, 1);
  EXPECT_EQ(plan.reopen, in.opened);

  in.opened.push_back({K::ServerGroups, "WORK"});
  EXPECT_EQ(PlanFirstShow(in).defaultProfileToOpen, -1);

  in.defaultProfileIndex = 7;  // a stale index opens nothing
  in.opened.clear();
  EXPECT_EQ(PlanFirstShow(in).defaultProfileToOpen, -1);
}

TEST(FirstShow, CommandLineProfileOutboxAndUrl) {
  FirstShowInput in;
  in.profileAliases = {"home", "work"};
  in.profileArgument = "Work";
  in.outboxHasWaitingItems = true;
  in.startupUrl = "news:alt.test";
  const FirstShowPlan plan = PlanFirstShow(in);
  EXPECT_EQ(plan.commandLineProfile, 1);
  EXPECT_TRUE(plan.openOutbox);
  EXPECT_EQ(plan.newsUrl, "news:alt.test");

  in.profileArgument = "nowhere";
  EXPECT_EQ(PlanFirstShow(in).commandLineProfile, -1);
}

}  // namespace
}  // namespace orvel
