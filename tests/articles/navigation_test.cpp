#include "articles/navigation.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "thread_builder.h"

namespace orvel {
namespace {

using test::ThreadBuilder;
using testing::ElementsAre;

// Two lone articles between three threads:
//   [a1] a1@1 a2@2 a3@3 a4@2   l1@0   [b1] b1@1 b2@2 b3@3 b4@4 b5@2   [c1] c1@1 c2@2   l2@0
class NavList {
 public:
  NavList() {
    add("a1", "", 1);
    add("l1", "", 2);
    add("b1", "", 3);
    add("c1", "", 4);
    add("l2", "", 5);
    add("a2", "a1", 10);
    add("a3", "a1 a2", 11);
    add("a4", "a1", 12);
    add("b2", "b1", 13);
    add("b3", "b1 b2", 14);
    add("b4", "b1 b2 b3", 15);
    add("b5", "b1", 16);
    add("c2", "c1", 17);
    b.Thread();
  }

  TArticle* at(std::string_view name) const { return b.ById("<" + std::string(name) + ">"); }

  // "name:flags ..." with flags r read, o old, m reply to me, q queued,
  // c collapse its thread, and sN score N (last in the token).
  void Apply(std::string_view setup) {
    std::istringstream in{std::string(setup)};
    std::string token;
    while (in >> token) {
      const auto colon = token.find(':');
      TArticle* a = at(token.substr(0, colon));
      ASSERT_NE(a, nullptr) << token;
      for (std::size_t i = colon + 1; i < token.size(); ++i) {
        switch (token[i]) {
          case 'r': a->SetRead(true); break;
          case 'o': a->Set(NodeFlag::Old); break;
          case 'm': a->Set(NodeFlag::ReplyToMe); break;
          case 'q': queue.push_back(a); break;
          case 'c': b.SetExpanded(*a->Thread, false); break;
          case 's': a->SetScore(std::stoi(token.substr(i + 1)), {}); i = token.size(); break;
          default: FAIL() << "flag " << token[i];
        }
      }
    }
  }

  // A name, or "[name]" for the thread row of that article's thread.
  const TNode* Row(std::string_view name) const {
    if (name.front() != '[') return at(name);
    return at(name.substr(1, name.size() - 2))->Thread;
  }
  static std::string Name(const TNode* n) {
    if (!n) return "";
    const std::string subject(n->Subject.view());
    return n->IsThread() ? "[" + subject + "]" : subject;
  }
  NavQuery Query(std::string_view start) const {
    return {b.lists.rootList, b.lists.rowList, Row(start), 8888, &queue};
  }

  ThreadBuilder b;
  std::vector<TArticle*> queue;

 private:
  void add(std::string name, std::string_view parents, double date) {
    std::string refs;
    std::istringstream in{std::string(parents)};
    for (std::string p; in >> p;) refs += "<" + p + "> ";
    b.Add(name, "<" + name + ">", refs, date);
  }
};

TEST(NavigationTest, ListHasTheShapeTheTablesAssume) {
  NavList l;
  EXPECT_THAT(l.b.Rows(), ElementsAre("[a1]", "a1@1", "a2@2", "a3@3", "a4@2", "l1@0", "[b1]",
                                      "b1@1", "b2@2", "b3@3", "b4@4", "b5@2", "[c1]", "c1@1",
                                      "c2@2", "l2@0"));
}

struct NavCase {
  const char* name;
  NavAction action;
  const char* start;
  const char* setup;
  const char* expected;  // "" when nothing is found
};
void PrintTo(const NavCase& c, std::ostream* os) { *os << c.name; }

class FindTargetTest : public testing::TestWithParam<NavCase> {};

TEST_P(FindTargetTest, ReachesTheExpectedRow) {
  const NavCase& c = GetParam();
  NavList l;
  l.Apply(c.setup);
  const NavResult r = FindTarget(l.Query(c.start), c.action);
  EXPECT_EQ(NavList::Name(r.row ? r.row : r.article), c.expected);
  EXPECT_EQ(r.found(), *c.expected != '\0');
}

using A = NavAction;
using N = NavCase;

INSTANTIATE_TEST_SUITE_P(
    Navigation, FindTargetTest,
    testing::Values(
        N{"ReadThreadGoesOnToNextRoots", A::NextUnread, "a2", "a1:r a2:r a3:r a4:r l1:r", "b1"},
        N{"ReadThreadStopsInsideCollapsedThread", A::NextUnread, "a4", "a4:r l1:r b1:rc", "b2"},
        N{"LastUnreadFindsNothing", A::NextUnread, "c2", "l2:r", ""},
        N{"FromThreadRowTakesItsFirstUnread", A::NextUnread, "[b1]", "b1:r", "b2"},
        N{"PrevUnreadWalksBackAcrossRoots", A::PrevUnread, "b1", "l1:r a4:r", "a3"},
        N{"PrevUnreadFromThreadRowEndsPrevThread", A::PrevUnread, "[c1]", "b5:r", "b4"},
        N{"NextLeavesThreadForLoneRoot", A::Next, "a4", "", "l1"},
        N{"NextFromLoneEntersThreadAtFirst", A::Next, "l1", "", "b1"},
        N{"NextPastTheEnd", A::Next, "l2", "", ""},
        N{"PrevFromThreadRowIsPreviousLone", A::Prev, "[b1]", "", "l1"},
        N{"PrevFromThreadRowIsLastOfPreviousThread", A::Prev, "[c1]", "", "b5"},
        N{"PrevBeforeTheStart", A::Prev, "a1", "", ""},
        N{"NextThreadTakesUnreadLone", A::NextThread, "a2", "", "l1"},
        N{"NextThreadSkipsReadRoots", A::NextThread, "a2", "l1:r b1:r b2:r b3:r b4:r b5:r", "c1"},
        N{"NextThreadFindsFirstUnreadOfThread", A::NextThread, "a2", "l1:r b1:r b2:r", "b3"},
        N{"NextThreadAtLastRoot", A::NextThread, "l2", "", ""},
        N{"PrevThreadFindsFirstUnreadForward", A::PrevThread, "c2", "b1:r b2:r", "b3"},
        N{"PrevThreadSkipsReadThread", A::PrevThread, "[c1]", "b1:r b2:r b3:r b4:r b5:r", "l1"},
        N{"SkipDownAtDepth2PassesDeeperStopsAt2", A::SkipDown, "b2", "", "b5"},
        N{"SkipDownStopsAtDepth1", A::SkipDown, "b2", "b5:r", "c1"},
        N{"SkipDownStopsAtDepth0", A::SkipDown, "b2", "b5:r c1:r c2:r", "l2"},
        N{"SkipDownFromThreadRowIsUnlimited", A::SkipDown, "[b1]", "b1:r", "b2"},
        N{"SkipDownOutPassesFurtherDepth2", A::SkipDownOut, "b2", "", "c1"},
        N{"SkipDownOutStopsAtDepth0", A::SkipDownOut, "b2", "c1:r", "l2"},
        N{"NextNewSkipsOld", A::NextNew, "a1", "a2:o a3:o", "a4"},
        N{"NextScoreFindsPositive", A::NextScore, "a1", "a4:s-5 b3:s1", "b3"},
        N{"NextScoreSkipsReadScored", A::NextScore, "a1", "b3:rs1 c2:s2", "c2"},
        N{"HiScoreSkips9998Finds9999", A::NextHiScore, "a1", "b3:s9998 c2:s9999", "c2"},
        N{"HiScoreFindsReplyToMe", A::NextHiScore, "a1", "b3:s9998 b5:m", "b5"},
        N{"HiScoreSkipsReadReplyToMe", A::NextHiScore, "a1", "b5:rm", ""},
        N{"ScanScoreFindsThreadRow", A::ScanScore, "a1", "b3:s5", "[b1]"},
        N{"ScanScoreFindsArticleRow", A::ScanScore, "[b1]", "b3:s5", "b3"},
        N{"ScanScoreIgnoresReadState", A::ScanScore, "b4", "l2:rs1", "l2"},
        N{"ScanScoreSkipsHiddenRows", A::ScanScore, "[b1]", "b3:s5 b1:c", ""},
        N{"QueueFirstShownUnread", A::NextQueue, "a1", "c2:q b2:q", "c2"},
        N{"QueueSkipsRead", A::NextQueue, "a1", "c2:rq b2:q", "b2"},
        N{"QueueSkipsCollapsed", A::NextQueue, "a1", "b2:q c2:q b1:c", "c2"}),
    [](const testing::TestParamInfo<NavCase>& info) { return std::string(info.param.name); });

TEST(NavigationTest, ActionNamesAndDirections) {
  EXPECT_EQ(NavActionByName("acaSkipDownOut"), NavAction::SkipDownOut);
  EXPECT_EQ(NavActionByName("acaNextQueue"), NavAction::NextQueue);
  EXPECT_EQ(NavActionByName("acaForward"), std::nullopt) << "history, not a walk";
  for (const char* name : {"acaPrevUnread", "acaPrev", "acaPrevThread"}) {
    EXPECT_TRUE(IsBackward(*NavActionByName(name))) << name;
  }
  EXPECT_FALSE(IsBackward(NavAction::NextThread));
}

TEST(NavigationTest, AtThreadEnd) {
  NavList l;
  const struct {
    const char* start;
    bool atEnd;
  } cases[] = {{"a4", true}, {"a3", false}, {"b5", true}, {"[b1]", false},
               {"l1", false}, {"l2", false}, {"c2", true}};
  for (const auto& c : cases) EXPECT_EQ(AtThreadEnd(l.Query(c.start)), c.atEnd) << c.start;
  // A lone article on the last row is no thread's end; a thread's article on
  // the last row is, even when the rows stop short of the thread's end.
  l.b.lists.rowList.resize(static_cast<std::size_t>(l.at("b3")->SourceIndex) + 1);
  EXPECT_TRUE(AtThreadEnd(l.Query("b3")));
}

}  // namespace
}  // namespace orvel
