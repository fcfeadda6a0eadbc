// Server pattern searches over the fake news server: the XPAT commands run
// one after the other, their numbers are fetched in the view's search mode,
// and refusals, empty results and broken fetches end the search.

#include "articles/server_search.h"

#include "group_view_fixture.h"

namespace orvel::test {
namespace {

struct SearchCase {
  const char* name;
  bool reconstruction;
  std::vector<std::string> replies;  // to the XPAT commands, in order
  bool breakFetch;                   // the fetch's XOVER is answered by a reset
  std::vector<std::string> xpats;    // the commands the server saw
  std::vector<std::string> xovers;   // after the first download
  std::size_t found;
  bool failed;
  std::vector<std::string> messages;
};
void PrintTo(const SearchCase& c, std::ostream* os) { *os << c.name; }

const std::string kFirst = "Subject 1- a*";
const std::string kSecond = "References 1- *<r@x>*";

std::string numbersReply(const std::string& lines) {
  return "221 Header follows\r\n" + lines + ".\r\n";
}

class ServerSearchTest : public GroupViewTest, public testing::WithParamInterface<SearchCase> {};

TEST_P(ServerSearchTest, FetchesWhatTheSearchesFound) {
  const SearchCase& c = GetParam();
  server.groups["alt.test"] = MakeGroup(1, 20);
  record().read.text = "5-8";  // left out of the first download
  open();
  ASSERT_EQ(numbers().size(), 16u);
  server.commands.clear();
  std::size_t xpat = 0;
  server.hook = [&](FakeTransport&, const std::string& line) {
    if (line.rfind("XPAT ", 0) == 0 && xpat < c.replies.size()) {
      return FakeNewsServer::Action::Answer(c.replies[xpat++]);
    }
    if (c.breakFetch && line.rfind("XOVER", 0) == 0) {
      return FakeNewsServer::Action{FakeNewsServer::Action::Reset, {}};
    }
    return FakeNewsServer::Action{};
  };
  ServerSearch search(*view, prompter);
  std::vector<std::size_t> finished;
  search.SetFinished([&](std::size_t n) { finished.push_back(n); });
  search.Queue(kFirst);
  search.Queue(kSecond);
  prompter.clear();
  ASSERT_TRUE(search.Start(c.reconstruction));
  EXPECT_FALSE(search.Start(c.reconstruction));  // one search at a time
  server.pump();

  EXPECT_EQ(server.commandsStarting("XPAT "), c.xpats);
  EXPECT_EQ(server.commandsStarting("XOVER"), c.xovers);
  EXPECT_EQ(finished, std::vector<std::size_t>{c.found});
  EXPECT_EQ(search.Failed(), c.failed);
  EXPECT_FALSE(search.Running());
  EXPECT_EQ(prompter.messages(), c.messages);
  if (c.reconstruction) {
    EXPECT_EQ(prompter.statuses().front(), kSearchingText);
  }
  EXPECT_FALSE(view->View().searchMode);
  EXPECT_FALSE(view->View().reconstructionAnchor);
  EXPECT_FALSE(view->Slots().AnyTaken());
  // Fetched articles come unread; a pattern search scores them.
  for (const TArticle* a : view->MasterList()) {
    if (a->Number < 5 || a->Number > 8) continue;
    EXPECT_FALSE(a->Has(NodeFlag::Read)) << a->Number;
    EXPECT_EQ(a->Score, c.reconstruction ? 0 : 10000) << a->Number;
  }
  // A later refresh is a plain download again.
  server.hook = nullptr;
  server.groups["alt.test"].high = 21;
  view->Refresh();
  server.pump();
  EXPECT_EQ(view->MasterList().back()->Number, 21);
  EXPECT_EQ(view->MasterList().back()->Score, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ServerSearchTest,
    testing::Values(
        SearchCase{"NumbersOfBothRepliesAreFetchedInRanges", false,
                   {numbersReply("5 a\r\nnot a number\r\n7 a\r\n"), numbersReply("6 x\r\n5 y\r\n12 z\r\n")},
                   false, {"XPAT " + kFirst, "XPAT " + kSecond}, {"XOVER 5-7"}, 4, false, {}},
        SearchCase{"ReconstructionKeepsScores", true,
                   {numbersReply("8 a\r\n"), numbersReply("1 r\r\n")},
                   false, {"XPAT " + kFirst, "XPAT " + kSecond}, {"XOVER 8"}, 2, false, {}},
        SearchCase{"RefusalEndsWithoutFetching", false, {"502 Permission denied\r\n"},
                   false, {"XPAT " + kFirst}, {}, 0, true, {"502 Permission denied"}},
        SearchCase{"NothingFoundByAReconstruction", true, {numbersReply(""), numbersReply("")},
                   false, {"XPAT " + kFirst, "XPAT " + kSecond}, {}, 0, false,
                   {std::string(kNoArticleFoundText)}},
        SearchCase{"NothingFoundByAPatternSearch", false, {numbersReply(""), numbersReply("x\r\n")},
                   false, {"XPAT " + kFirst, "XPAT " + kSecond}, {}, 0, false, {}},
        SearchCase{"OnlyPresentNumbersFound", false, {numbersReply("1\r\n"), numbersReply("2\r\n")},
                   false, {"XPAT " + kFirst, "XPAT " + kSecond}, {}, 2, false, {}},
        SearchCase{"BrokenFetchEndsTheSearch", false,
                   {numbersReply("6\r\n"), numbersReply("")}, true,
                   {"XPAT " + kFirst, "XPAT " + kSecond}, {"XOVER 6"}, 1, false,
                   {}}),
    [](const testing::TestParamInfo<SearchCase>& info) { return std::string(info.param.name); });

TEST_F(GroupViewTest, SearchRefusedWhileTheHeadersDownload) {
  server.groups["alt.test"] = MakeGroup(1, 20);
  open();
  ServerSearch search(*view, prompter);
  view->Refresh();  // not answered yet
  search.Queue("Subject 1- a*");
  EXPECT_FALSE(search.Start(false));
  server.pump();
  EXPECT_TRUE(server.commandsStarting("XPAT").empty());
  // The refused commands do not linger for the next start.
  EXPECT_FALSE(search.Start(false));
}

}  // namespace
}  // namespace orvel::test
