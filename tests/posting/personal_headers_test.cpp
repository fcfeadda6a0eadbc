#include "posting/personal_headers.h"

#include <gtest/gtest.h>

namespace orvel {
namespace {

CustomHeader H(bool on, std::string name, std::string value) {
  return {on, name, value, (on ? "*" : "") + name + ": " + value};
}

struct RowsCase {
  const char* name;
  std::vector<CustomHeader> headers;
  std::vector<PersonalHeader> rows;
  bool noArchive;
};

class PersonalRowsTest : public testing::TestWithParam<RowsCase> {};

TEST_P(PersonalRowsTest, MakesTheRows) {
  const PersonalRows result = PersonalHeaderRows(GetParam().headers);
  EXPECT_EQ(result.rows, GetParam().rows);
  EXPECT_EQ(result.noArchive, GetParam().noArchive);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, PersonalRowsTest,
    testing::Values(
        RowsCase{"StarSwitchesOn",
                 {H(true, "X-Face", "abc"), H(false, "X-Mood", "calme")},
                 {{true, "X-Face", "abc"}, {false, "X-Mood", "calme"}},
                 false},
        RowsCase{"LastEnabledOfANameWins",
                 {H(true, "X-Mood", "calme"), H(false, "x-mood", "gai"), H(true, "X-MOOD", "las")},
                 {{false, "X-Mood", "calme"}, {false, "x-mood", "gai"}, {true, "X-MOOD", "las"}},
                 false},
        RowsCase{"EnabledNoArchiveYes", {H(true, "X-No-Archive", " YES ")}, {}, true},
        RowsCase{"DisabledNoArchiveDropped", {H(false, "x-no-archive", "yes")}, {}, false},
        RowsCase{"NoArchiveOtherValueDropped", {H(true, "X-No-Archive", "no")}, {}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PersonalRows, SwitchingOnTurnsOffTheSameName) {
  std::vector<PersonalHeader> rows = {
      {true, "X-Mood", "a"}, {false, "x-mood", "b"}, {true, "X-Face", "c"}};
  SetPersonalRow(rows, 1, true);
  EXPECT_EQ(rows, (std::vector<PersonalHeader>{
                      {false, "X-Mood", "a"}, {true, "x-mood", "b"}, {true, "X-Face", "c"}}));
  SetPersonalRow(rows, 1, false);
  EXPECT_FALSE(rows[1].on);
  EXPECT_FALSE(rows[0].on);  // switching off brings nothing back
  SetPersonalRow(rows, 7, true);
  EXPECT_TRUE(rows[2].on);
}

}  // namespace
}  // namespace orvel
