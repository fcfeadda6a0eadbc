// The group view's rows after threading (column-click sorting), the
// group's storage choice and expiry days across a reopening, and the unread
// count handed back to the group list.

#include <filesystem>
#include <ostream>

#include "group_view_fixture.h"

namespace orvel::test {
namespace {

struct SortCase {
  const char* name;
  std::vector<std::int32_t> clicks;  // columns clicked in turn
  std::int32_t column;
  std::int32_t order;
  std::vector<std::int32_t> firstNumbers;  // of the first rows
  int redraws;                             // rowsChanged calls
};
void PrintTo(const SortCase& c, std::ostream* os) { *os << c.name; }

class GroupViewSortTest : public GroupViewTest, public ::testing::WithParamInterface<SortCase> {};

TEST_P(GroupViewSortTest, ClicksSortTheRowsAndSetTheIndicator) {
  const SortCase& c = GetParam();
  server.groups["alt.test"] = MakeGroup(1, 12);
  open();
  ASSERT_EQ(view->Rows().size(), 12u);
  observer.rowsChangedCount = 0;
  for (std::int32_t column : c.clicks) view->SortBy(column);
  EXPECT_EQ(view->Props().sortOn, c.column);
  EXPECT_EQ(view->Props().sortOrder, c.order);
  EXPECT_EQ(observer.rowsChangedCount, c.redraws);
  std::vector<std::int32_t> first;
  for (std::size_t i = 0; i < c.firstNumbers.size(); ++i) {
    const TNode* row = view->Rows()[i];
    EXPECT_EQ(row->SourceIndex, static_cast<std::int32_t>(i));
    first.push_back(row->AsArticle()->Number);
  }
  EXPECT_EQ(first, c.firstNumbers);
}

INSTANTIATE_TEST_SUITE_P(
    Clicks, GroupViewSortTest,
    ::testing::Values(
        SortCase{"NumberAscending", {kSortNumber}, kSortNumber, 1, {1, 2, 3}, 1},
        SortCase{"NumberTwiceDescending", {kSortNumber, kSortNumber}, kSortNumber, -1, {12, 11}, 2},
        SortCase{"SubjectAsText", {kSortSubject}, kSortSubject, 1, {1, 10, 11, 12, 2}, 1},
        SortCase{"OtherColumnStartsAscending",
                 {kSortNumber, kSortNumber, kSortSubject}, kSortSubject, 1, {1, 10}, 3},
        SortCase{"ScoreStartsDescending", {kSortScore}, kSortScore, -1, {}, 1},
        SortCase{"UnknownColumnIgnored", {9}, kSortDate, 1, {}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

struct StorageCase {
  const char* name;
  StorageChoice choice;
  std::int32_t expiryDays;
  bool headerFileKept;
  StorageChoice reopenedChoice;
  std::int32_t reopenedDays;  // a group without a header file takes the default, 7
};
void PrintTo(const StorageCase& c, std::ostream* os) { *os << c.name; }

class GroupViewStorageTest : public GroupViewTest,
                             public ::testing::WithParamInterface<StorageCase> {};

TEST_P(GroupViewStorageTest, TheChoiceAndTheExpiryOutliveTheView) {
  const StorageCase& c = GetParam();
  server.groups["alt.test"] = MakeGroup(1, 10);
  open();
  EXPECT_EQ(view->Storage(), kStoreHeaders);
  EXPECT_EQ(view->ExpiryDays(), 7);
  view->SetStorage(c.choice, c.expiryDays);
  close();
  EXPECT_EQ(record().storage, static_cast<StorageMode>(c.choice));
  EXPECT_EQ(std::filesystem::exists(base.path() + "data/[fake] alt.test.hdr"), c.headerFileKept);
  open();
  EXPECT_EQ(view->Storage(), c.reopenedChoice);
  EXPECT_EQ(view->ExpiryDays(), c.reopenedDays);
  // The articles are all there again, stored or downloaded.
  EXPECT_EQ(numbers().size(), 10u);
}

INSTANTIATE_TEST_SUITE_P(
    Choices, GroupViewStorageTest,
    ::testing::Values(
        StorageCase{"BodiesFor30Days", kStoreHeadersAndBodies, 30, true, kStoreHeadersAndBodies, 30},
        StorageCase{"HeadersUntilTheServerDrops", kStoreHeaders, 0, true, kStoreHeaders, 0},
        StorageCase{"NothingStored", kStoreNothing, 12, false, kStoreNothing, 7}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(GroupViewTest, MarksSetWhileReadingCountInTheListsUnreadColumn) {
  server.groups["alt.test"] = MakeGroup(1, 20);
  server.groups["alt.test"].missing = {19, 20};
  server.groups["alt.test"].count = 18;
  open();
  view->View().readSet.setRange(0, 4);  // 1-5 read, the count left as it was
  close();
  EXPECT_EQ(record().read.text, "1-5");
  EXPECT_EQ(record().unread, 15);
}

}  // namespace
}  // namespace orvel::test
