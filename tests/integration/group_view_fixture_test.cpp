// The group view against the fixture news server over real loopback
// sockets: a reset in the middle of a large XOVER resumes after the
// countdown, a stall times out and resumes at once, an article the first
// server lacks comes from the alternative, lines missing from a range become
// excluded; and orvel-cli headers from end to end.

#include <gtest/gtest.h>

#include <set>

#include "articles/mailbox.h"
#include "support/cli_run.h"
#include "fixture_process.h"
#include "group_view_harness.h"
#include "net/nntp_data.h"

namespace orvel::test {
namespace {

class GroupViewFixtureTest : public GroupViewQtTest {
 protected:
  void SetUp() override {
    GroupViewQtTest::SetUp();
    if (!std::filesystem::exists(fixtureServerPath())) GTEST_SKIP() << "not built";
    options.connections.autoResumeDelaySec = 1;
  }

  std::shared_ptr<TProfile> server(const char* alias, int port) {
    auto p = std::make_shared<TProfile>();
    p->alias = alias;
    p->host = "127.0.0.1";
    p->port = port;
    main.profiles.push_back(p);
    return p;
  }

  std::set<std::int32_t> storedNumbers(const std::string& alias, const std::string& group) {
    ArticleArena arena;
    HeaderFileDump dump;
    std::string path = StoreBodyPath(base.path(), alias, group);
    path.replace(path.size() - 4, 4, ".hdr");
    EXPECT_TRUE(ReadHeaderFile(path, arena, dump));
    std::set<std::int32_t> numbers;
    for (const TArticle* a : dump.records) numbers.insert(a->Number);
    EXPECT_EQ(numbers.size(), dump.records.size()) << "a header stored twice";
    return numbers;
  }
};

TEST_F(GroupViewFixtureTest, ResetDuringXoverResumesAfterTheCountdownWithNothingLostOrDoubled) {
  FixtureProcess fx({"--generate", "alt.fx.big:100000", "--fault", "cmd=XOVER once reset 100000"});
  ASSERT_GT(fx.port(), 0);
  options.download.promptThreshold = 0;
  open(server("fx", fx.port()), "alt.fx.big");
  ASSERT_TRUE(settle(60000));
  EXPECT_TRUE(progress.saw("Tentative dans 1 secs."));
  EXPECT_TRUE(progress.saw("Reprise...."));
  EXPECT_EQ(prompter.lastStatus(), kReadyText);
  EXPECT_EQ(view->MasterList().size(), 100000u);
  view->Close();
  const auto stored = storedNumbers("fx", "alt.fx.big");
  EXPECT_EQ(stored.size(), 100000u);
  EXPECT_EQ(*stored.begin(), 1);
  EXPECT_EQ(*stored.rbegin(), 100000);
}

TEST_F(GroupViewFixtureTest, StallTimesOutAndResumesAtOnce) {
  FixtureProcess fx({"--generate", "alt.fx.stall:3000", "--fault",
                     "cmd=XOVER once stall 60 after=5000"});
  ASSERT_GT(fx.port(), 0);
  NNTPOptions nntp;
  nntp.xferTimeOutSec = 1;
  pool.setOptions(nntp);
  open(server("fx", fx.port()), "alt.fx.stall");
  ASSERT_TRUE(settle(20000));
  EXPECT_TRUE(progress.saw("Transfer timeout"));
  EXPECT_FALSE(progress.saw("Tentative dans")) << "a time-out resumes without the countdown";
  EXPECT_EQ(view->MasterList().size(), 3000u);
  EXPECT_EQ(prompter.lastStatus(), kReadyText);
}

// Fetches articles by Message-ID and keeps their text (the viewer's place).
struct ArticleReader : RequestHandler {
  TGroupView* view = nullptr;
  std::string text;
  int ended = 0;
  static RequestRoutine routine(const TArticle& a) {
    const std::string id(a.MessageID.view());
    return [id](TNNTP& c) { c.Article(id); };
  }
  void Data(TNNTP& c, const SlotRequest&) override {
    if (ReadDataLines(c, [this](std::string_view line) {
          text.append(line).append("\n");
        })) {
      ++ended;
      view->Release(c);
    }
  }
  void Reissue(Purpose p, TArticle* a) override { view->Request(p, a, routine(*a)); }
};

TEST_F(GroupViewFixtureTest, ArticleRefusedByTheFirstServerComesFromTheAlternative) {
  FixtureProcess first({"--generate", "alt.fx.alt:40", "--fault", "cmd=ARTICLE reply 430"});
  FixtureProcess second({"--generate", "alt.fx.alt:40"});
  ASSERT_GT(first.port(), 0);
  ASSERT_GT(second.port(), 0);
  const auto own = server("first", first.port());
  server("second", second.port());
  main.settings.altServers = "second";
  TGroupView& v = open(own, "alt.fx.alt");
  ASSERT_TRUE(settle());
  ASSERT_EQ(v.MasterList().size(), 40u);
  ArticleReader reader;
  reader.view = &v;
  v.SetRequestHandler(Purpose::Article, &reader);
  TArticle* article = v.MasterList()[7];
  v.Request(Purpose::Article, article, ArticleReader::routine(*article));
  ASSERT_TRUE(settle());
  EXPECT_TRUE(progress.saw("430 No such article; trying second"));
  EXPECT_EQ(reader.ended, 1);
  EXPECT_NE(reader.text.find("Message-ID: " + std::string(article->MessageID.view())),
            std::string::npos);
  EXPECT_FALSE(article->Has(NodeFlag::Missing));
  EXPECT_FALSE(article->Has(NodeFlag::Fetching));
  EXPECT_FALSE(v.FetchingArticle());
}

TEST_F(GroupViewFixtureTest, LinesMissingFromARangeBecomeExcludedAndAreNotAskedAgain) {
  FixtureProcess fx({"--generate", "alt.fx.omit:500", "--fault", "cmd=XOVER omit 100-120"});
  ASSERT_GT(fx.port(), 0);
  TGroupView& v = open(server("fx", fx.port()), "alt.fx.omit");
  ASSERT_TRUE(settle());
  EXPECT_EQ(v.MasterList().size(), 479u);
  for (int n = 100; n <= 120; ++n) {
    EXPECT_TRUE(v.View().excludedSet.test(n - v.View().lowMark)) << n;
  }
  EXPECT_EQ(fx.control("XRANGE alt.fx.omit 1 600"), "290 alt.fx.omit now 1-600");
  progress.texts.clear();
  v.Refresh();
  ASSERT_TRUE(settle());
  EXPECT_TRUE(progress.saw("XOVER 501-600"));
  EXPECT_FALSE(progress.saw("XOVER 100"));
  EXPECT_EQ(v.MasterList().size(), 579u);
}

// ---------------------------------------------------------------- orvel-cli

TEST_F(GroupViewFixtureTest, CliDownloadsInLimitedRangesThenFindsTheGroupUnchanged) {
  FixtureProcess fx({"--generate", "alt.fx.cli:500"});
  ASSERT_GT(fx.port(), 0);
  const std::string baseDir = base.path() + "cli";
  ASSERT_EQ(runCli({"--base", baseDir, "servers", "add", "fx", "127.0.0.1:" + std::to_string(fx.port())})
                .status,
            0);
  base.write("cli/Orvel.ini", "[Misc]\r\nStorageExp=0\r\n");
  const CliRun first = runCli({"--base", baseDir, "headers", "fx", "alt.fx.cli", "--limit", "200"});
  EXPECT_EQ(first.status, 0) << first.err;
  EXPECT_NE(first.err.find("200 articles (200 new)"), std::string::npos) << first.err;
  EXPECT_NE(first.err.find("Pret!"), std::string::npos);
  EXPECT_GE(std::count(first.out.begin(), first.out.end(), '\n'), 200);
  const CliRun second = runCli({"--base", baseDir, "headers", "fx", "alt.fx.cli", "--limit", "200"});
  EXPECT_NE(second.err.find("400 articles (200 new)"), std::string::npos) << second.err;
  const CliRun rest = runCli({"--base", baseDir, "headers", "fx", "alt.fx.cli", "--refresh"});
  EXPECT_NE(rest.err.find("500 articles (100 new)"), std::string::npos) << rest.err;
  const CliRun again = runCli({"--base", baseDir, "headers", "fx", "alt.fx.cli"});
  EXPECT_EQ(again.status, 0);
  EXPECT_NE(again.err.find("Groupe inchangé."), std::string::npos) << again.err;
  EXPECT_NE(again.err.find("500 articles (0 new)"), std::string::npos);
  EXPECT_EQ(base.read("cli/fx.newsrc"), "alt.fx.cli:\r\n");
  // Action 3 only marks what lies below the start as read.
  const CliRun clean =
      runCli({"--base", baseDir, "headers", "fx", "alt.fx.cli", "--action", "3", "--from", "300"});
  EXPECT_EQ(clean.status, 0) << clean.err;
  EXPECT_EQ(base.read("cli/fx.newsrc"), "alt.fx.cli: 1-299\r\n");
}

}  // namespace
}  // namespace orvel::test
