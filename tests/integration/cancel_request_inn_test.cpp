// Cancelling from a group view against the real INN 2 of
// scripts/test-servers: one article shown, then a series of two, which are
// marked deleted; the server no longer has any of them.

#include <gtest/gtest.h>

#include "group_view_harness.h"
#include "posting/cancel_request.h"
#include "support/test_servers.h"

namespace orvel::test {
namespace {

class CancelRequestInnTest : public GroupViewQtTest {
 protected:
  // Runs one command on a connection of the pool; the error text, or empty.
  std::string run(const std::function<void(TNNTP&)>& command,
                  const std::function<void(TNNTP&)>& beginPost = {}) {
    TNNTP& c = pool.AcquireConnection(profile);
    std::string error;
    bool done = false;
    c.OnBanner = [&](TNNTP& n) { command(n); };
    c.OnBeginPost = [&](TNNTP& n) { beginPost(n); };
    c.OnEndPost = c.OnDataBegin = [&](TNNTP&) { done = true; };
    c.OnError = [&](TNNTP&, int, const std::string& text) {
      error = text;
      done = true;
    };
    if (c.IsConnected() && c.state() == NNTPState::Ready) {
      command(c);
    } else {
      c.Connect();
    }
    EXPECT_TRUE(runUntil([&] { return done; }, 10000));
    pool.ReleaseConnection(c);
    return error;
  }
  std::string post(int serial) {
    const std::string id = "<cancel." + std::to_string(::getpid()) + "." + std::to_string(serial) +
                           "." + std::to_string(clock.tickMs()) + "@harness.test.invalid>";
    EXPECT_EQ(run([](TNNTP& n) { n.Post(); },
                  [&](TNNTP& n) {
                    n.SendArticle("From: Tester <tester@harness.test.invalid>\r\n"
                                  "Newsgroups: test.cancel\r\nSubject: cancel test\r\n"
                                  "Message-ID: " + id + "\r\n\r\nBody.\r\n");
                  }),
              "");
    return id;
  }
  TArticle* byId(const std::string& id) {
    for (TArticle* a : view->MasterList()) {
      if (a->MessageID.view() == id) return a;
    }
    return nullptr;
  }

  std::shared_ptr<TProfile> profile = std::make_shared<TProfile>();
};

TEST_F(CancelRequestInnTest, OneThenASeries) {
  ORVEL_REQUIRE_TEST_SERVERS(s);
  ASSERT_EQ(std::system((std::string(ORVEL_SOURCE_DIR) +
                         "/scripts/test-servers newgroup test.cancel >/dev/null 2>&1")
                            .c_str()),
            0);
  profile->alias = "inn";
  profile->host = s.host();
  profile->port = s.port("ORVEL_NNTP_PORT");
  const std::vector<std::string> ids{post(1), post(2), post(3)};
  TGroupView& v = open(profile, "test.cancel");
  for (const std::string& id : ids) ASSERT_TRUE(byId(id)) << id;

  CancelRequest cancel(v, "secret of the identity");
  std::vector<int> finished;
  cancel.onFinished = [&](int n) { finished.push_back(n); };
  ASSERT_TRUE(cancel.Start({byId(ids[0])}));
  EXPECT_FALSE(cancel.Start({byId(ids[1])})) << "one series at a time";
  ASSERT_TRUE(runUntil([&] { return !cancel.Running(); }, 20000));
  EXPECT_EQ(prompter.lastStatus(), kCancelSentText);
  EXPECT_TRUE(progress.saw("Annule.....test.cancel"));
  ASSERT_TRUE(cancel.Start({byId(ids[1]), byId(ids[2])}));
  ASSERT_TRUE(runUntil([&] { return !cancel.Running(); }, 20000));
  EXPECT_EQ(finished, (std::vector<int>{1, 2}));
  EXPECT_FALSE(byId(ids[0])->Has(NodeFlag::Deleted));
  EXPECT_TRUE(byId(ids[1])->Has(NodeFlag::Deleted));
  EXPECT_TRUE(byId(ids[2])->Has(NodeFlag::Deleted));
  ASSERT_TRUE(settle());
  for (const std::string& id : ids) {
    EXPECT_NE(run([&](TNNTP& n) { n.Article(id); }).find("430"), std::string::npos) << id;
  }
}

}  // namespace
}  // namespace orvel::test
