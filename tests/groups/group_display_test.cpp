// What the group list shows: sorting, the filter, hiding empty groups and the
// column texts.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "groups/group_columns.h"
#include "groups/group_display.h"
#include "groups/group_sort.h"
#include "groups/newsrc_format.h"

namespace orvel {
namespace {

// Adds a group with unread and total counts.
TGrpInfo& add(GroupLists& lists, const std::string& name, std::int32_t unread, std::int32_t total,
              bool subscribed = false) {
  TGrpInfo& g = lists.AddGroup(name, subscribed ? SubscriptionState::Subscribed
                                                : SubscriptionState::Unsubscribed);
  g.unread = unread;
  g.total = total;
  return g;
}

std::vector<std::string> allNames(const GroupLists& lists) {
  std::vector<std::string> names;
  for (const auto& g : lists.all()) names.push_back(g->name);
  return names;
}

std::vector<std::string> rowNames(const GroupDisplay& display) {
  std::vector<std::string> names;
  for (const ShownRow& row : display.rows()) {
    if (row.group) {
      names.push_back(row.group->name);
      continue;
    }
    names.push_back("[" + row.category->name + "]");
    for (const TGrpInfo* g : row.children) names.push_back("  " + g->name);
  }
  return names;
}

struct SortCase {
  const char* name;
  std::vector<GroupSortKey> clicks;  // the last one is checked
  std::vector<std::string> expected;
};

void PrintTo(const SortCase& c, std::ostream* os) { *os << c.name; }

class SortAllTest : public ::testing::TestWithParam<SortCase> {};

TEST_P(SortAllTest, SubscribedStayInFrontAndTiesGoByName) {
  GroupLists lists;
  add(lists, "b.beta", 5, 10);
  add(lists, "A.alpha", 5, 30);
  add(lists, "z.sub", 1, 10, true);
  add(lists, "c.gamma", 0, 10);
  add(lists, "a.sub", 9, 20, true);
  GroupDisplay display(lists);
  for (GroupSortKey key : GetParam().clicks) SortAllGroups(lists, key, display.nextSortAscending(key));
  EXPECT_EQ(allNames(lists), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Clicks, SortAllTest,
    ::testing::Values(
        SortCase{"NameIgnoresCase", {GroupSortKey::Name},
                 {"a.sub", "z.sub", "A.alpha", "b.beta", "c.gamma"}},
        SortCase{"NameTwiceDescends", {GroupSortKey::Name, GroupSortKey::Name},
                 {"z.sub", "a.sub", "c.gamma", "b.beta", "A.alpha"}},
        SortCase{"UnreadTiesByName", {GroupSortKey::Unread},
                 {"z.sub", "a.sub", "c.gamma", "A.alpha", "b.beta"}},
        SortCase{"TotalOnceAscends", {GroupSortKey::Total},
                 {"z.sub", "a.sub", "b.beta", "c.gamma", "A.alpha"}},
        SortCase{"TotalTwiceDescendsWithTiesStillByName", {GroupSortKey::Total, GroupSortKey::Total},
                 {"a.sub", "z.sub", "A.alpha", "b.beta", "c.gamma"}},
        SortCase{"OtherColumnStartsAscending",
                 {GroupSortKey::Total, GroupSortKey::Total, GroupSortKey::Unread},
                 {"z.sub", "a.sub", "c.gamma", "A.alpha", "b.beta"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SortTreeTest, CategoriesByNameOrUnreadSumAndInsideOnlyWhenAsked) {
  GroupLists lists;
  ReadNewsrc("x.top:\r\nb.one:\r\na.two:\r\nm.three:\r\n", lists);
  ReadOrvelrc("+Zed\r\n,:b.one\r\n,:a.two\r\n:x.top\r\n+Alpha\r\n,:m.three\r\n", lists);
  lists.FindNoCase("x.top")->unread = 50;
  lists.FindNoCase("b.one")->unread = 10;
  lists.FindNoCase("a.two")->unread = -1;  // not counted yet: adds nothing
  lists.FindNoCase("m.three")->unread = 30;
  GroupDisplay display(lists);

  SortTree(lists, GroupSortKey::Name, true, false);
  display.Rebuild();
  EXPECT_EQ(rowNames(display),
            (std::vector<std::string>{"[Alpha]", "  m.three", "x.top", "[Zed]", "  b.one", "  a.two"}));

  SortTree(lists, GroupSortKey::Unread, true, true);
  display.Rebuild();
  EXPECT_EQ(rowNames(display),
            (std::vector<std::string>{"[Zed]", "  a.two", "  b.one", "[Alpha]", "  m.three", "x.top"}));
}

TEST(DisplayTest, HideEmptyLeavesOutSubscribedGroupsWithNothingUnread) {
  GroupLists lists;
  ReadNewsrc("a.empty:\r\nb.full:\r\nc.uncounted:\r\nd.unsub!\r\n", lists);
  ReadOrvelrc("+Cat\r\n,:a.empty\r\n:b.full\r\n:c.uncounted\r\n", lists);
  lists.FindNoCase("a.empty")->unread = 0;
  lists.FindNoCase("b.full")->unread = 3;
  lists.FindNoCase("d.unsub")->unread = 0;
  GroupDisplay display(lists);
  display.setHideEmpty(true);
  display.Rebuild();
  EXPECT_EQ(rowNames(display), (std::vector<std::string>{"[Cat]", "b.full", "c.uncounted"}));
  display.setTab(GroupTab::All);
  display.Rebuild();
  EXPECT_EQ(display.rows().size(), 4u) << "the all-groups tab shows every group";
}

TEST(DisplayTest, WithoutCategoriesTheirGroupsStandAtTheirPlace) {
  GroupLists lists;
  ReadNewsrc("a:\r\nb:\r\nc:\r\nd:\r\n", lists);
  ReadOrvelrc(":a\r\n+Cat\r\n,:b\r\n,:c\r\n:d\r\n", lists);
  lists.FindNoCase("b")->unread = 0;
  GroupDisplay display(lists);
  display.setShowCategories(false);
  display.setHideEmpty(true);
  display.Rebuild();
  EXPECT_EQ(rowNames(display), (std::vector<std::string>{"a", "c", "d"}));
}

TEST(DisplayTest, FilterMatchesAnywhereWithoutRegardToCase) {
  GroupLists lists;
  add(lists, "comp.lang.c", 0, 0);
  add(lists, "Comp.Lang.Python", 0, 0, true);
  add(lists, "alt.comp", 0, 0);
  add(lists, "rec.arts", 0, 0);
  GroupDisplay display(lists);
  std::string error;
  ASSERT_TRUE(display.setFilter("LANG\\.", &error));
  EXPECT_EQ(display.tab(), GroupTab::All);
  display.Rebuild();
  EXPECT_EQ(rowNames(display), (std::vector<std::string>{"comp.lang.c", "Comp.Lang.Python"}));
  // Upper-case escapes keep their meaning.
  ASSERT_TRUE(display.setFilter("^\\D", &error));
  display.Rebuild();
  EXPECT_EQ(display.shownGroupCount(), 4u);

  EXPECT_FALSE(display.setFilter("comp(", &error));
  EXPECT_NE(error.find("Perlre"), std::string::npos);
  EXPECT_FALSE(display.filterActive());
}

struct ColumnCase {
  const char* name;
  GroupColumn column;
  std::string expected;
};

void PrintTo(const ColumnCase& c, std::ostream* os) { *os << c.name; }

class ColumnTextTest : public ::testing::TestWithParam<ColumnCase> {};

TEST_P(ColumnTextTest, ShowsTheRecord) {
  TGrpInfo g;
  g.name = "alt.test";
  g.unread = 0;
  g.total = -1;
  g.first = 100;
  g.last = -1;
  g.read.text = "1-" + std::string(1200, '9');
  g.toFetch = std::string(1000, '5');
  EXPECT_EQ(GroupColumnText(g, GetParam().column), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Columns, ColumnTextTest,
    ::testing::Values(ColumnCase{"Name", GroupColumn::Name, "alt.test"},
                      ColumnCase{"ZeroShows", GroupColumn::Unread, "0"},
                      ColumnCase{"NegativeIsEmpty", GroupColumn::Total, ""},
                      ColumnCase{"First", GroupColumn::First, "100"},
                      ColumnCase{"LastNotYet", GroupColumn::Last, ""},
                      ColumnCase{"LongReadRangesCut", GroupColumn::Read,
                                 "1-" + std::string(998, '9') + " (...)"},
                      ColumnCase{"ExactlyThousandNotCut", GroupColumn::ToFetch,
                                 std::string(1000, '5')}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ColumnTextTest, CategoryRowCountsItsGroups) {
  TGrpCat c;
  c.name = "Work";
  TGrpInfo a, b;
  c.groups = {&a, &b};
  EXPECT_EQ(CategoryRowText(c), "Work[2]");
  EXPECT_STREQ(GroupColumnCaption(GroupColumn::ToFetch), "\xC3\xA0 Prendre");
  EXPECT_STREQ(GroupColumnCaption(GroupColumn::Unread), "Non Lus");
}

}  // namespace
}  // namespace orvel
