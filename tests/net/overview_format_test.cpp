// LIST OVERVIEW.FMT lines to columns: the names and spellings in use, the
// lists that still read as the default order, and a list longer than the
// columns mapped.

#include "net/overview_format.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace orvel {
namespace {

using Columns = std::array<int, 8>;  // Subject From Date Message-ID References Bytes Lines Xref

struct FormatCase {
  const char* name;
  std::vector<std::string> lines;
  Columns columns;
  bool isDefault;
};

void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.name; }

class OverviewFormatTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(OverviewFormatTest, ColumnsOfTheListedFields) {
  const FormatCase& c = GetParam();
  OverviewFormat format;
  format.clear();
  for (const std::string& line : c.lines) format.add(line);
  Columns got{};
  for (std::size_t i = 0; i < got.size(); ++i) got[i] = format.column(static_cast<OverviewField>(i));
  EXPECT_EQ(got, c.columns);
  EXPECT_EQ(format.isDefault(), c.isDefault);
}

const std::vector<std::string> kStandard{"Subject:", "From:", "Date:", "Message-ID:",
                                         "References:", ":bytes", ":lines"};

std::vector<std::string> standardWith(std::vector<std::string> extra) {
  std::vector<std::string> lines = kStandard;
  lines.insert(lines.end(), extra.begin(), extra.end());
  return lines;
}

INSTANTIATE_TEST_SUITE_P(
    OverviewFormat, OverviewFormatTest,
    ::testing::Values(
        FormatCase{"DefaultOrderWithXref", standardWith({"Xref:full"}), {1, 2, 3, 4, 5, 6, 7, 8}, true},
        FormatCase{"DefaultOrderWithoutExtras", kStandard, {1, 2, 3, 4, 5, 6, 7, 0}, true},
        FormatCase{"OldSpellingsAndAnyCase",
                   {"SUBJECT:", "from:", "Date:", "Message-Id:", "References:", "Bytes:", "Lines:",
                    " Xref:full \r"},
                   {1, 2, 3, 4, 5, 6, 7, 8},
                   true},
        FormatCase{"SwappedSubjectAndFrom",
                   {"From:", "Subject:", "Date:", "Message-ID:", "References:", ":bytes", ":lines",
                    "Xref:full"},
                   {2, 1, 3, 4, 5, 6, 7, 8},
                   false},
        FormatCase{"MissingBytes",
                   {"Subject:", "From:", "Date:", "Message-ID:", "References:", ":lines", "Xref:full"},
                   {1, 2, 3, 4, 5, 0, 6, 7},
                   false},
        FormatCase{"XrefAfterAnotherExtra", standardWith({"Newsgroups:full", "Xref:full"}),
                   {1, 2, 3, 4, 5, 6, 7, 9},
                   false},
        FormatCase{"AnotherExtraWhereXrefWouldBe", standardWith({"Newsgroups:full"}),
                   {1, 2, 3, 4, 5, 6, 7, 0},
                   false},
        FormatCase{"FieldListedTwiceReadWhereFirst", standardWith({"Subject:", "Xref:"}),
                   {1, 2, 3, 4, 5, 6, 7, 9},
                   false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(OverviewFormat, NoListIsTheDefaultOrder) {
  const OverviewFormat format;
  EXPECT_TRUE(format.isDefault());
  EXPECT_EQ(format.column(OverviewField::Subject), 1);
  EXPECT_EQ(format.column(OverviewField::Xref), 8);
  EXPECT_EQ(format.lastColumn(), 8);
}

// The server decides how long its list is: fields past the mapped columns
// are missing rather than read from beyond the line's split.
TEST(OverviewFormat, FieldsPastTheLastMappedColumnAreMissing) {
  OverviewFormat format;
  format.clear();
  for (int i = 0; i < OverviewFormat::kMaxColumns; ++i) format.add("X-Filler-" + std::to_string(i) + ":full");
  format.add("Subject:");
  EXPECT_EQ(format.column(OverviewField::Subject), 0);
  EXPECT_EQ(format.lastColumn(), 0);
  format.clear();
  for (int i = 1; i < OverviewFormat::kMaxColumns; ++i) format.add("X-Filler-" + std::to_string(i) + ":full");
  format.add("Subject:");
  EXPECT_EQ(format.column(OverviewField::Subject), OverviewFormat::kMaxColumns);
}

}  // namespace
}  // namespace orvel
