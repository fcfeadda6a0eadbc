#include "posting/group_picker_logic.h"

#include <gtest/gtest.h>

namespace orvel {
namespace {

struct PickerCase {
  const char* name;
  std::string groups, extra, current;
  std::vector<PickerEntry> entries;
  std::string result;  // of the entries as listed
};

class GroupPickerLogicTest : public testing::TestWithParam<PickerCase> {};

TEST_P(GroupPickerLogicTest, ListsAndAnswers) {
  const PickerCase& c = GetParam();
  const std::vector<PickerEntry> entries = PickerEntries(c.groups, c.extra, c.current);
  EXPECT_EQ(entries, c.entries);
  EXPECT_EQ(PickerResult(entries), c.result);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, GroupPickerLogicTest,
    testing::Values(
        PickerCase{"CurrentTicked", "fr.a,fr.b,fr.c", "", "fr.b",
                   {{"fr.a", false}, {"fr.b", true}, {"fr.c", false}}, "fr.b"},
        PickerCase{"ExtraAfterGroupsWithoutDoubles", "fr.a, fr.b", "FR.B,fr.x,,fr.a", "fr.x,fr.a",
                   {{"fr.a", true}, {"fr.b", false}, {"fr.x", true}}, "fr.a,fr.x"},
        PickerCase{"BlanksAndEmptyNamesDropped", " fr.a ,, ,fr.b,", "", " FR.A ",
                   {{"fr.a", true}, {"fr.b", false}}, "fr.a"},
        PickerCase{"AllTickedGivesNothing", "fr.a,fr.b", "", "fr.b,fr.a",
                   {{"fr.a", true}, {"fr.b", true}}, ""},
        PickerCase{"NoneTicked", "fr.a,fr.b", "", "poster",
                   {{"fr.a", false}, {"fr.b", false}}, ""},
        PickerCase{"DoubleInGroupsListedOnce", "fr.a,fr.a", "", "",
                   {{"fr.a", false}}, ""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orvel
