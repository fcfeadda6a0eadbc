// Reading "LIST" and "NEWGROUPS" lines and merging them into the lists.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

#include "groups/list_merge.h"
#include "groups/newsrc_format.h"

namespace orvel {
namespace {

struct LineCase {
  const char* name;
  std::string line;
  std::optional<std::string> group;  // nothing: the line is skipped
  std::int32_t last = 0;
  std::int32_t first = 0;
};

void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }

class ListLineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(ListLineTest, ReadsNameLastFirst) {
  const auto parsed = ParseListLine(GetParam().line);
  ASSERT_EQ(parsed.has_value(), GetParam().group.has_value());
  if (!parsed) return;
  EXPECT_EQ(parsed->name, *GetParam().group);
  EXPECT_EQ(parsed->last, GetParam().last);
  EXPECT_EQ(parsed->first, GetParam().first);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ListLineTest,
    ::testing::Values(
        LineCase{"InnPadded", "test.small 0000000012 0000000001 y", "test.small", 12, 1},
        LineCase{"NewGroupsForm", "test.small 12 1 y", "test.small", 12, 1},
        LineCase{"NoStatusField", "a.b 5 3", "a.b", 5, 3},
        LineCase{"TabsAndExtraBlanks", "a.b\t 7\t\t2  m extra", "a.b", 7, 2},
        LineCase{"TrailingCr", "a.b 7 2 y\r", "a.b", 7, 2},
        LineCase{"EmptyGroup", "test.empty 0000000000 0000000001 y", "test.empty", 0, 1},
        LineCase{"LargestNumber", "a.b 2147483647 1 y", "a.b", 2147483647, 1},
        LineCase{"NumberPast32Bits", "a.b 2147483648 1 y", std::nullopt},
        LineCase{"NegativeNumber", "a.b -5 1 y", std::nullopt},
        LineCase{"LettersInNumber", "a.b 12x 1 y", std::nullopt},
        LineCase{"OneNumberOnly", "a.b 12", std::nullopt},
        LineCase{"NameOnly", "a.b", std::nullopt},
        LineCase{"Empty", "", std::nullopt},
        LineCase{"ColonInName", "a:b 1 1 y", std::nullopt},
        LineCase{"BangInName", "a!b 1 1 y", std::nullopt},
        LineCase{"NameTooLong", std::string(1001, 'a') + " 1 1 y", std::nullopt},
        LineCase{"NameAtLimit", std::string(1000, 'a') + " 1 1 y", std::string(1000, 'a'), 1,
                 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ListMergeTest, CountsFoundNewAndSkippedLines) {
  GroupLists lists;
  lists.AddGroup("Test.Small", SubscriptionState::Unsubscribed);
  ListMerge merge(lists, false);
  merge.AddLine("test.small 12 1 y");
  merge.AddLine("garbage");
  merge.AddLine("test.big 10000 1 y");
  merge.AddLine("test.empty 0 1 y");
  merge.Finish();
  EXPECT_EQ(merge.found(), 3);
  EXPECT_EQ(merge.added(), 2);
  EXPECT_EQ(merge.skipped(), 1);
  ASSERT_EQ(lists.all().size(), 3u);
  // The known record is found without regard to case and keeps its spelling.
  EXPECT_EQ(lists.all()[0]->name, "Test.Small");
  EXPECT_EQ(lists.all()[0]->total, 12);
  EXPECT_EQ(lists.all()[1]->name, "test.big");
  EXPECT_EQ(lists.all()[1]->state, SubscriptionState::New);
  EXPECT_EQ(lists.all()[2]->total, 0);
  EXPECT_TRUE(lists.newsrcChanged);
}

TEST(ListMergeTest, TotalFromTheListOnlyWhenBelowOne) {
  GroupLists lists;
  lists.AddGroup("a").total = 7;  // from an earlier GROUP reply
  lists.AddGroup("b").total = 0;
  ListMerge merge(lists, false);
  merge.AddLine("a 20 11 y");
  merge.AddLine("b 20 11 y");
  merge.AddLine("c 5 9 y");  // high below low: nothing there
  EXPECT_EQ(lists.FindNoCase("a")->total, 7);
  EXPECT_EQ(lists.FindNoCase("a")->first, 11);
  EXPECT_EQ(lists.FindNoCase("a")->last, 20);
  EXPECT_EQ(lists.FindNoCase("b")->total, 10);
  EXPECT_EQ(lists.FindNoCase("c")->total, 0);
}

TEST(ListMergeTest, FullListDropsUnsubscribedGroupsItDidNotName) {
  GroupLists lists;
  ReadNewsrc("kept.subscribed: 1-5\r\ngone.unsubscribed! 1-3\r\nkept.listed!\r\nkept.open!\r\n",
             lists);
  lists.AddGroup("gone.new");
  ListMerge merge(lists, true);
  merge.AddLine("kept.listed 3 1 y");
  merge.AddLine("brand.new 3 1 y");
  lists.newsrcChanged = false;
  EXPECT_EQ(merge.Finish([](const TGrpInfo& g) { return g.name == "kept.open"; }), 2u);
  EXPECT_TRUE(lists.newsrcChanged);
  EXPECT_EQ(NewsrcText(lists),
            "kept.subscribed: 1-5\r\nkept.listed!\r\nkept.open!\r\nbrand.new!\r\n");
  EXPECT_EQ(lists.FindNoCase("gone.unsubscribed"), nullptr);
  EXPECT_NE(lists.FindNoCase("brand.new"), nullptr);
}

TEST(ListMergeTest, EarlierListDoesNotCountAsNamed) {
  GroupLists lists;
  ListMerge first(lists, true);
  first.AddLine("a 1 1 y");
  first.AddLine("b 1 1 y");
  first.Finish();
  ListMerge second(lists, true);
  second.AddLine("b 1 1 y");
  EXPECT_EQ(second.Finish(), 1u);
  ASSERT_EQ(lists.all().size(), 1u);
  EXPECT_EQ(lists.all()[0]->name, "b");
}

}  // namespace
}  // namespace orvel
