// The newsrc and ".Orvelrc" texts: reading hand-written files and other
// newsreaders' files, writing them back, and the tree rules of ".Orvelrc".
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "groups/newsrc_format.h"

namespace orvel {
namespace {

const auto kRowName = [](const auto& info) { return std::string(info.param.name); };

std::vector<std::string> subscribedNames(const GroupLists& lists) {
  std::vector<std::string> names;
  for (const TGrpInfo* g : lists.subscribed()) names.push_back(g->name);
  return names;
}

// The tree as one line per row: "+cat", "  group" inside it, "group" at top.
std::vector<std::string> treeRows(const GroupLists& lists) {
  std::vector<std::string> rows;
  for (const TreeItem& item : lists.tree()) {
    if (item.group) {
      rows.push_back(item.group->name);
      continue;
    }
    rows.push_back((item.category->expanded ? "+" : "=") + item.category->name);
    for (const TGrpInfo* g : item.category->groups) rows.push_back("  " + g->name);
  }
  return rows;
}

struct NewsrcCase {
  const char* name;
  std::string input;
  std::string written;  // our newsrc after reading the input
  std::vector<std::string> subscribed;
};

void PrintTo(const NewsrcCase& c, std::ostream* os) { *os << c.name; }

class NewsrcReadTest : public ::testing::TestWithParam<NewsrcCase> {};

TEST_P(NewsrcReadTest, ReadsAndWritesBack) {
  GroupLists lists;
  ReadNewsrc(GetParam().input, lists);
  EXPECT_EQ(NewsrcText(lists), GetParam().written);
  EXPECT_EQ(subscribedNames(lists), GetParam().subscribed);

  // What we wrote reads back to the same state.
  GroupLists again;
  ReadNewsrc(NewsrcText(lists), again);
  EXPECT_EQ(NewsrcText(again), GetParam().written);
}

INSTANTIATE_TEST_SUITE_P(
    Files, NewsrcReadTest,
    ::testing::Values(
        NewsrcCase{"OurOwnLineWithReadAndToFetch", "alt.test: 1-5,7/9\r\n",
                   "alt.test: 1-5,7/9\r\n", {"alt.test"}},
        NewsrcCase{"ToFetchWithoutReadRanges", "alt.test:/9-12\r\n", "alt.test:/9-12\r\n",
                   {"alt.test"}},
        NewsrcCase{"OtherNewsreaderWithLfEnds",
                   "comp.lang.c! 1-300\nalt.test: 1-20,25\nnews.answers:\n",
                   "alt.test: 1-20,25\r\nnews.answers:\r\ncomp.lang.c! 1-300\r\n",
                   {"alt.test", "news.answers"}},
        NewsrcCase{"SubscribedGroupsMoveInFront",
                   "a.one!\r\nb.two: 1\r\nc.three!\r\nd.four: 2-3\r\n",
                   "b.two: 1\r\nd.four: 2-3\r\na.one!\r\nc.three!\r\n", {"b.two", "d.four"}},
        NewsrcCase{"LeadingBlanksAndEmptyLinesSkipped", "\r\n\r\n   alt.test:   1-4\r\n\n",
                   "alt.test: 1-4\r\n", {"alt.test"}},
        NewsrcCase{"LineWithoutMarkerIgnored", "not a group line\r\nalt.test: 1\r\n",
                   "alt.test: 1\r\n", {"alt.test"}},
        NewsrcCase{"OptionsLineOfOtherReadersIgnored", "options -n all !alt.*\nalt.test: 1\n",
                   "alt.test: 1\r\n", {"alt.test"}},
        NewsrcCase{"EmptyNameIgnored", ": 1-5\r\n! 3\r\nalt.x!\r\n", "alt.x!\r\n", {}},
        NewsrcCase{"TrailingBlanksDropped", "alt.test: 1-5   \r\nalt.x! 2/3  \r\n",
                   "alt.test: 1-5\r\nalt.x! 2/3\r\n", {"alt.test"}},
        NewsrcCase{"GarbageRangesKeptAsText", "alt.test: 1-5,x,9-3\r\n",
                   "alt.test: 1-5,x,9-3\r\n", {"alt.test"}},
        NewsrcCase{"SecondLineForSameNameIgnored", "alt.test: 1-5\r\nalt.test! 1-9\r\n",
                   "alt.test: 1-5\r\n", {"alt.test"}},
        NewsrcCase{"NamesDifferingInCaseAreTwoGroups", "Alt.Test: 1\r\nalt.test: 2\r\n",
                   "Alt.Test: 1\r\nalt.test: 2\r\n", {"Alt.Test", "alt.test"}},
        NewsrcCase{"LastLineWithoutLineEnd", "alt.test: 1-3", "alt.test: 1-3\r\n",
                   {"alt.test"}},
        NewsrcCase{"EmptyFile", "", "", {}}),
    kRowName);

TEST(NewsrcTest, NewGroupsAreWrittenUnsubscribed) {
  GroupLists lists;
  lists.AddGroup("alt.new");
  lists.AddGroup("alt.sub", SubscriptionState::Subscribed).read.text = "1-5";
  EXPECT_EQ(NewsrcText(lists), "alt.sub: 1-5\r\nalt.new!\r\n");
}

TEST(NewsrcTest, ReadStateOfTheGroupIsKept) {
  GroupLists lists;
  ReadNewsrc("alt.test: 1-5,7/9\r\n", lists);
  const TGrpInfo& g = *lists.all()[0];
  EXPECT_EQ(g.read.text, "1-5,7");
  EXPECT_FALSE(g.read.needsNormalising);
  EXPECT_EQ(g.toFetch, "9");
  EXPECT_EQ(g.first, -1);
  EXPECT_EQ(g.unread, -1);
}

struct OrvelrcCase {
  const char* name;
  std::string newsrc;
  std::string orvelrc;
  std::vector<std::string> tree;  // treeRows after reading
  std::string written;            // OrvelrcText after reading
  bool newsrcChanged;
};

void PrintTo(const OrvelrcCase& c, std::ostream* os) { *os << c.name; }

class OrvelrcReadTest : public ::testing::TestWithParam<OrvelrcCase> {};

TEST_P(OrvelrcReadTest, BuildsTheTree) {
  GroupLists lists;
  ReadNewsrc(GetParam().newsrc, lists);
  ReadOrvelrc(GetParam().orvelrc, lists);
  EXPECT_EQ(treeRows(lists), GetParam().tree);
  EXPECT_EQ(OrvelrcText(lists), GetParam().written);
  EXPECT_EQ(lists.newsrcChanged, GetParam().newsrcChanged);
  // Every subscribed group stands in the tree once.
  std::size_t placed = 0;
  for (const auto& row : treeRows(lists)) placed += row[0] != '+' && row[0] != '=';
  EXPECT_EQ(placed, lists.subscribed().size());
}

INSTANTIATE_TEST_SUITE_P(
    Files, OrvelrcReadTest,
    ::testing::Values(
        OrvelrcCase{"CategoriesAndTopLevelGroups",
                    "a.one:\r\nb.two:\r\nc.three:\r\n",
                    "+Work\r\n,#b.two\r\n,@a.one\r\n:c.three\r\n",
                    {"+Work", "  b.two", "  a.one", "c.three"},
                    "+Work\r\n,#b.two\r\n,@a.one\r\n:c.three\r\n", false},
        OrvelrcCase{"CollapsedCategoryAndTabForComma", "a.one:\r\nb.two:\r\n",
                    "=Misc\n\t~a.one\n#b.two\n", {"=Misc", "  a.one", "b.two"},
                    "=Misc\r\n,~a.one\r\n#b.two\r\n", false},
        OrvelrcCase{"TopLevelGroupEndsTheCategory", "a.one:\r\nb.two:\r\nc.three:\r\n",
                    "+Cat\r\n,:a.one\r\n:b.two\r\n,:c.three\r\n",
                    {"+Cat", "  a.one", "b.two", "c.three"},
                    "+Cat\r\n,:a.one\r\n:b.two\r\n:c.three\r\n", false},
        OrvelrcCase{"CommaLineBeforeAnyCategoryIgnored", "a.one:\r\nb.two:\r\n",
                    ",:b.two\r\n:a.one\r\n", {"a.one", "b.two"}, ":a.one\r\n:b.two\r\n", false},
        OrvelrcCase{"UnsubscribedGroupGetsSubscribed", "a.one:\r\nb.two!\r\n",
                    ":b.two\r\n:a.one\r\n", {"b.two", "a.one"}, ":b.two\r\n:a.one\r\n", true},
        OrvelrcCase{"UnknownGroupIsCreatedSubscribed", "a.one:\r\n", "#x.new\r\n:a.one\r\n",
                    {"x.new", "a.one"}, "#x.new\r\n:a.one\r\n", true},
        OrvelrcCase{"UnplacedSubscribedFollowInNewsrcOrder", "a.one:\r\nb.two:\r\nc.three:\r\n",
                    ":b.two\r\n", {"b.two", "a.one", "c.three"},
                    ":b.two\r\n:a.one\r\n:c.three\r\n", false},
        OrvelrcCase{"SecondLineForPlacedGroupIgnored", "a.one:\r\n",
                    "+X\r\n,:a.one\r\n:a.one\r\n", {"+X", "  a.one"}, "+X\r\n,:a.one\r\n",
                    false},
        OrvelrcCase{"OtherLinesIgnored", "a.one:\r\n", "; comment\r\n a.one\r\n\r\n:a.one\r\n",
                    {"a.one"}, ":a.one\r\n", false},
        OrvelrcCase{"NameEndsAtBlank", "a.one:\r\n", ":a.one trailing words\r\n", {"a.one"},
                    ":a.one\r\n", false},
        OrvelrcCase{"NamesMatchWithCase", "a.one:\r\nA.One!\r\n", ":A.One\r\n",
                    {"A.One", "a.one"}, ":A.One\r\n:a.one\r\n", true},
        OrvelrcCase{"HandWrittenGroupWithoutModeCharacter", "alt.test:\r\n",
                    "+Mine\r\n,alt.test\r\n", {"+Mine", "  alt.test"}, "+Mine\r\n,:alt.test\r\n",
                    false},
        OrvelrcCase{"EmptyCategoryKept", "", "=Empty\r\n", {"=Empty"}, "=Empty\r\n", false},
        OrvelrcCase{"MissingFileLeavesNewsrcOrder", "b.two:\r\na.one:\r\n", "",
                    {"b.two", "a.one"}, ":b.two\r\n:a.one\r\n", false}),
    kRowName);

TEST(OrvelrcTest, StorageModesComeFromTheCharacter) {
  GroupLists lists;
  ReadNewsrc("a:\r\nb:\r\nc:\r\nd:\r\n", lists);
  ReadOrvelrc(":a\r\n~b\r\n#c\r\n@d\r\n", lists);
  ASSERT_EQ(lists.subscribed().size(), 4u);
  EXPECT_EQ(lists.FindNoCase("a")->storage, StorageMode::Default);
  EXPECT_EQ(lists.FindNoCase("b")->storage, StorageMode::Nothing);
  EXPECT_EQ(lists.FindNoCase("c")->storage, StorageMode::Headers);
  EXPECT_EQ(lists.FindNoCase("d")->storage, StorageMode::Bodies);
}

TEST(OrvelrcTest, RereadingReplacesTheCategories) {
  GroupLists lists;
  ReadNewsrc("a:\r\nb:\r\n", lists);
  ReadOrvelrc("+One\r\n,:a\r\n", lists);
  ReadOrvelrc("+Two\r\n,:b\r\n", lists);
  EXPECT_EQ(treeRows(lists), (std::vector<std::string>{"+Two", "  b", "a"}));
  EXPECT_EQ(lists.categoryCount(), 1u);
  EXPECT_EQ(lists.FindNoCase("a")->category, nullptr);
}

}  // namespace
}  // namespace orvel
