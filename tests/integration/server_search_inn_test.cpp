// Server pattern searches against the real INN 2 that scripts/test-servers
// runs on loopback: a thread whose middle article was left out of the
// download is completed by the reconstruction, and a multi-part post lacking
// a part in the view is completed by the missing-parts search.

#include <gtest/gtest.h>

#include "articles/part_search.h"
#include "articles/server_search.h"
#include "group_view_harness.h"
#include "support/test_servers.h"

namespace orvel::test {
namespace {

class ServerSearchInnTest : public GroupViewQtTest {
 protected:
  // Opens a group with some numbers read, so the download leaves them out.
  TGroupView& openWithout(const TestServers& s, const std::string& group,
                          const std::string& read) {
    profile->alias = "inn";
    profile->host = s.host();
    profile->port = s.port("ORVEL_NNTP_PORT");
    readMarks = read;
    return open(profile, group);
  }

  // Runs the search until it told its end; the numbers it found.
  std::size_t run(ServerSearch& search, bool started) {
    EXPECT_TRUE(started);
    std::optional<std::size_t> found;
    search.SetFinished([&](std::size_t n) { found = n; });
    EXPECT_TRUE(runUntil([&] { return found.has_value(); }, 60000));
    EXPECT_TRUE(settle());
    return found.value_or(0);
  }

  TArticle* byNumber(std::int32_t n) const {
    for (TArticle* a : view->MasterList()) {
      if (a->Number == n) return a;
    }
    return nullptr;
  }

  std::shared_ptr<TProfile> profile = std::make_shared<TProfile>();
};

TEST_F(ServerSearchInnTest, ReconstructionBringsBackTheMiddleOfAThread) {
  ORVEL_REQUIRE_TEST_SERVERS(s);
  // Thread 0 is articles 1-10; 2 (its message 1) answers 1 and has replies 4, 5.
  TGroupView& v = openWithout(s, "test.threads", "2");
  ASSERT_EQ(byNumber(2), nullptr);
  TArticle* anchor = byNumber(4);
  ASSERT_NE(anchor, nullptr);
  ServerSearch search(v, prompter);
  progress.texts.clear();
  EXPECT_EQ(run(search, StartReconstruction(search, *anchor)), 10u);
  EXPECT_EQ(progress.commands("XPAT"),
            (std::vector<std::string>{"XPAT References 1- *<thread.0.0@harness.test.invalid>*",
                                      "XPAT Message-ID 1- <thread.0.0@harness.test.invalid>"}));
  EXPECT_EQ(progress.commands("XOVER"), (std::vector<std::string>{"XOVER 2"}));
  const TArticle* middle = byNumber(2);
  ASSERT_NE(middle, nullptr);
  EXPECT_FALSE(middle->Has(NodeFlag::Read));
  EXPECT_EQ(middle->Score, 0);
  // The replies to it hang below it again, in one thread of ten.
  ASSERT_NE(anchor->Thread, nullptr);
  EXPECT_EQ(anchor->Thread->Articles.size(), 10u);
  EXPECT_EQ(middle->Thread, anchor->Thread);
  EXPECT_EQ(anchor->Depth(), middle->Depth() + 1);
  EXPECT_TRUE(prompter.messages().empty());
}

TEST_F(ServerSearchInnTest, MissingPartsSearchCompletesAPostLackingAPartInTheView) {
  ORVEL_REQUIRE_TEST_SERVERS(s);
  // Articles 1-4 are a four-part post; 5 and 6 a three-part one whose
  // middle part the server never had.
  TGroupView& v = openWithout(s, "test.binaries", "3");
  const auto parts = [&](std::int32_t number) {
    const TArticle* a = byNumber(number);
    return a && a->Thread ? a->Thread->PartsPresent : -1;
  };
  ASSERT_EQ(parts(1), 3);
  ServerSearch search(v, prompter);
  progress.texts.clear();
  EXPECT_EQ(run(search, StartMissingPartsSearch(search, v.Rows(), false, prompter)), 6u);
  EXPECT_EQ(progress.commands("XPAT").size(), 2u);
  EXPECT_EQ(progress.commands("XOVER"), (std::vector<std::string>{"XOVER 3"}));
  EXPECT_EQ(parts(1), 4);
  EXPECT_EQ(parts(5), 2);
  EXPECT_EQ(byNumber(3)->Score, 10000);
  // Nothing lacks any more that the server has; the gap post still shows
  // fewer parts, so the plain search still looks for it.
  EXPECT_EQ(MissingPartsCommands(v.Rows(), false).size(), 1u);
}

}  // namespace
}  // namespace orvel::test
