// The group view's header download against the real INN 2 that
// scripts/test-servers runs on loopback: a 10,000-header group in ranges of
// a limit, reopening to fetch only what was posted since, and a group that
// did not change.

#include <gtest/gtest.h>

#include "group_view_harness.h"
#include "support/test_servers.h"

namespace orvel::test {
namespace {

struct LimitDialog : XoverDialogHost {
  std::int32_t limit = 0;
  bool ShowXoverForm(TfmXOVER& form) override {
    form.SetLimitChecked(limit > 0);
    if (limit > 0) form.SetLimitValue(limit);
    return true;
  }
};

class GroupViewInnTest : public GroupViewQtTest {
 protected:
  void useServer(const TestServers& s) {
    profile->alias = "inn";
    profile->host = s.host();
    profile->port = s.port("ORVEL_NNTP_PORT");
  }

  TGroupView& open(const std::string& group, bool askDialog = false) {
    return GroupViewQtTest::open(profile, group, &dialog, askDialog);
  }

  // Posts a small article to a group; its Message-ID.
  std::string post(const std::string& group) {
    static int serial = 0;
    const std::string id = "<groupview." + std::to_string(::getpid()) + "." +
                           std::to_string(++serial) + "." +
                           std::to_string(clock.tickMs()) + "@harness.test.invalid>";
    TNNTP& c = pool.AcquireConnection(profile);
    bool done = false;
    c.OnBanner = [](TNNTP& n) { n.Post(); };
    c.OnBeginPost = [&](TNNTP& n) {
      n.SendArticle("From: Tester <tester@harness.test.invalid>\r\nNewsgroups: " + group +
                    "\r\nSubject: group view test\r\nMessage-ID: " + id +
                    "\r\n\r\nA new article.\r\n");
    };
    c.OnEndPost = [&](TNNTP&) { done = true; };
    c.OnError = [&](TNNTP&, int, const std::string& text) {
      ADD_FAILURE() << text;
      done = true;
    };
    c.Connect();
    EXPECT_TRUE(runUntil([&] { return done; }, 10000));
    pool.ReleaseConnection(c);
    return id;
  }

  LimitDialog dialog;
  std::shared_ptr<TProfile> profile = std::make_shared<TProfile>();
};

TEST_F(GroupViewInnTest, TenThousandHeadersComeInRangesOfTheLimit) {
  ORVEL_REQUIRE_TEST_SERVERS(s);
  useServer(s);
  dialog.limit = 2000;
  TGroupView& v = open("test.big", true);
  for (int k = 0; k < 5; ++k) {
    prompter.answer(Button::No);  // keep the old headers
    v.Refresh();
    ASSERT_TRUE(settle());
  }
  EXPECT_EQ(progress.commands("XOVER"),
            (std::vector<std::string>{"XOVER 1-2000", "XOVER 2001-4000", "XOVER 4001-6000",
                                      "XOVER 6001-8000", "XOVER 8001-10000"}));
  EXPECT_EQ(prompter.lastStatus(), kGroupUnchangedText);
  EXPECT_EQ(v.MasterList().size(), 10000u);
  EXPECT_TRUE(prompter.scriptUsed());
  v.Close();
  progress.texts.clear();
  TGroupView& again = open("test.big");
  EXPECT_TRUE(progress.commands("XOVER").empty());
  EXPECT_EQ(again.MasterList().size(), 10000u);
  EXPECT_EQ(prompter.lastStatus(), kGroupUnchangedText);
}

TEST_F(GroupViewInnTest, ReopeningFetchesOnlyWhatWasPostedSince) {
  ORVEL_REQUIRE_TEST_SERVERS(s);
  useServer(s);
  TGroupView& first = open("test.post");
  const std::size_t before = first.MasterList().size();
  const std::int32_t high = first.Download().High();
  first.Close();
  const std::string id = post("test.post");
  progress.texts.clear();
  TGroupView& v = open("test.post");
  const auto xovers = progress.commands("XOVER");
  ASSERT_EQ(xovers.size(), 1u);
  EXPECT_EQ(xovers.front().rfind("XOVER " + std::to_string(high + 1), 0), 0u)
      << xovers.front() << " after " << high;
  EXPECT_EQ(v.View().added, 1);
  EXPECT_EQ(v.MasterList().size(), before + 1);
  EXPECT_EQ(v.MasterList().back()->MessageID.view(), id);
  EXPECT_EQ(prompter.lastStatus(), kReadyText);
}

TEST_F(GroupViewInnTest, UnchangedGroupShowsGroupeInchange) {
  ORVEL_REQUIRE_TEST_SERVERS(s);
  useServer(s);
  TGroupView& first = open("test.small");
  first.Close();
  EXPECT_EQ(first.Record().last, 12);
  progress.texts.clear();
  TGroupView& v = open("test.small");
  EXPECT_TRUE(progress.commands("XOVER").empty());
  EXPECT_EQ(prompter.lastStatus(), kGroupUnchangedText);
  EXPECT_EQ(v.MasterList().size(), 12u);
}

TEST_F(GroupViewInnTest, EmptyGroupEndsWithoutHeaders) {
  ORVEL_REQUIRE_TEST_SERVERS(s);
  useServer(s);
  TGroupView& v = open("test.empty");
  EXPECT_TRUE(v.MasterList().empty());
  EXPECT_FALSE(v.Slots().AnyTaken());
  EXPECT_TRUE(prompter.messages().empty());
}

}  // namespace
}  // namespace orvel::test
