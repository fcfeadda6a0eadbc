// The server search dialog's search against the real INN 2 of
// scripts/test-servers (loopback): a caseless pattern finds a whole thread,
// the loaded hits get the chosen score at once and the ones left out of the
// download are fetched in the search mode with the same score.

#include <gtest/gtest.h>

#include "articles/server_search.h"
#include "group_view_harness.h"
#include "scoring/xpat_query.h"
#include "support/test_servers.h"

namespace orvel::test {
namespace {

class XpatSearchInnTest : public GroupViewQtTest {
 protected:
  std::shared_ptr<TProfile> profile = std::make_shared<TProfile>();
};

TEST_F(XpatSearchInnTest, CaselessHitsAreScoredAndTheMissingOnesFetched) {
  ORVEL_REQUIRE_TEST_SERVERS(s);
  profile->alias = "inn";
  profile->host = s.host();
  profile->port = s.port("ORVEL_NNTP_PORT");
  readMarks = "15-16";  // two articles of thread 1 are left out
  TGroupView& v = open(profile, "test.threads");
  ASSERT_EQ(v.MasterList().size(), 58u);

  ServerSearch search(v, prompter);
  XpatSearch xpat(v, search);
  std::optional<std::size_t> found;
  search.SetFinished([&](std::size_t n) { found = n; });
  XpatMemory memory;
  XpatForm form;
  form.pattern = "*thread 1";  // the server's patterns are case-sensitive
  form.score = 555;
  progress.texts.clear();
  ASSERT_TRUE(xpat.Run(form, memory));
  ASSERT_TRUE(runUntil([&] { return found.has_value(); }, 60000));
  ASSERT_TRUE(settle());

  EXPECT_EQ(*found, 10u);
  EXPECT_EQ(progress.commands("XPAT"),
            std::vector<std::string>{"XPAT Subject 1- *[Tt][Hh][Rr][Ee][Aa][Dd] 1"});
  EXPECT_EQ(progress.commands("XOVER"), (std::vector<std::string>{"XOVER 15-16"}));
  ASSERT_EQ(v.MasterList().size(), 60u);
  for (const TArticle* a : v.MasterList()) {
    const bool thread1 = a->Subject.view().find("Thread 1") != std::string_view::npos;
    EXPECT_EQ(a->Score, thread1 ? 555 : 0) << a->Number;
  }
}

}  // namespace
}  // namespace orvel::test
