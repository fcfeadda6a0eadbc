// Overview lines in a server's own field order: ParseXOVER reads each field
// where the view's OverviewFormat says it stands, and a field the server
// does not send takes the value of an empty one.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "articles/xover.h"

namespace orvel {
namespace {

struct OrderCase {
  const char* name;
  std::vector<std::string> format;  // LIST OVERVIEW.FMT lines; none: no list read
  std::string line;
  std::string subject, fromName, messageId, references;
  std::int32_t bytes, lines;
  std::string xref;
};

void PrintTo(const OrderCase& c, std::ostream* os) { *os << c.name; }

class OverviewOrderTest : public ::testing::TestWithParam<OrderCase> {};

TEST_P(OverviewOrderTest, FieldsReadWhereTheFormatPutsThem) {
  const OrderCase& c = GetParam();
  ArticleArena arena;
  ViewLists lists;
  XoverView view(arena, lists);
  view.groupName = "comp.test";
  view.SizeSets(100, 199);
  if (!c.format.empty()) {
    view.overviewFormat.clear();
    for (const std::string& f : c.format) view.overviewFormat.add(f);
  }
  bool done = false;
  ParseXOVER(view, nullptr, c.line + "\r\n.\r\n", done);
  EXPECT_TRUE(done);
  ASSERT_EQ(lists.masterList.size(), 1u);
  const TArticle& a = *lists.masterList[0];
  EXPECT_EQ(a.Number, 100);
  EXPECT_EQ(a.Subject, c.subject);
  EXPECT_EQ(a.FromName(), c.fromName);
  EXPECT_EQ(a.MessageID, c.messageId);
  EXPECT_EQ(a.References, c.references);
  EXPECT_EQ(a.Bytes, c.bytes);
  EXPECT_EQ(a.Lines, c.lines);
  EXPECT_EQ(a.Xref, c.xref);
}

const char* const kDate = "Tue, 03 Jun 2003 10:00:00 GMT";

std::string fields(std::vector<std::string> values) {
  std::string out = "100";
  for (const std::string& v : values) out += "\t" + v;
  return out;
}

INSTANTIATE_TEST_SUITE_P(
    ParseXOVER, OverviewOrderTest,
    ::testing::Values(
        OrderCase{"SwappedSubjectAndFrom",
                  {"From:", "Subject:", "Date:", "Message-ID:", "References:", ":bytes", ":lines",
                   "Xref:full"},
                  fields({"Ann <a@x>", "Hi", kDate, "<m@x>", "<p@x>", "1500", "30",
                          "Xref: s comp.test:100 alt.x:7"}),
                  "Hi", "Ann", "<m@x>", "<p@x>", 1500, 30, "alt.x:7"},
        OrderCase{"MissingBytesTakesTheEmptyFieldsValue",
                  {"Subject:", "From:", "Date:", "Message-ID:", "References:", ":lines", "Xref:full"},
                  fields({"Hi", "Ann <a@x>", kDate, "<m@x>", "<p@x>", "30",
                          "Xref: s comp.test:100 alt.x:7"}),
                  "Hi", "Ann", "<m@x>", "<p@x>", 1000, 30, "alt.x:7"},
        OrderCase{"ExtraFieldIsNotTakenForXref",
                  {"Subject:", "From:", "Date:", "Message-ID:", "References:", ":bytes", ":lines",
                   "Newsgroups:full"},
                  fields({"Hi", "Ann <a@x>", kDate, "<m@x>", "<p@x>", "1500", "30",
                          "Newsgroups: comp.test"}),
                  "Hi", "Ann", "<m@x>", "<p@x>", 1500, 30, ""},
        OrderCase{"ShortLineLeavesMappedFieldsEmpty",
                  {"From:", "Subject:", "Date:", "Message-ID:", "References:", ":bytes", ":lines"},
                  fields({"Ann <a@x>", "Hi", kDate, "<m@x>"}),
                  "Hi", "Ann", "<m@x>", "", 1000, 100, ""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orvel
