// The quick filter's columns and what each tests.

#include "scoring/quick_filter.h"

#include <gtest/gtest.h>

#include "../articles/thread_builder.h"

namespace orvel::test {
namespace {

struct QuickCase {
  const char* name;
  std::int32_t switches;  // column switches in an online group view
  const char* text;
  std::vector<std::string> numbers;
};
void PrintTo(const QuickCase& c, std::ostream* os) { *os << c.name; }

class QuickFilterTest : public testing::TestWithParam<QuickCase> {};

TEST_P(QuickFilterTest, TestsTheColumn) {
  const QuickCase& c = GetParam();
  ThreadBuilder b;
  for (const auto& [subject, from] : std::vector<std::pair<const char*, const char*>>{
           {"Re: Hello", "Rex <rex@example.com>"},
           {"Re: regarding you", "Ann <ann@re.example>"},
           {"Results", "Bob <bob@example.com>"}}) {
    ArticleSpec s;
    s.subject = subject;
    s.messageId = std::string("<") + subject + ">";
    s.from = from;
    b.Add(s);
  }
  QuickFilter quick;
  for (int i = 0; i < c.switches; ++i) quick.SwitchColumn(false);
  ASSERT_EQ(quick.SetText(c.text, b.lists.masterList), QuickFilter::Outcome::Built);
  std::vector<std::string> numbers;
  for (const TArticle* a : quick.List()) numbers.push_back(std::to_string(a->Number));
  EXPECT_EQ(numbers, c.numbers);
  EXPECT_EQ(quick.CountText(), " " + std::to_string(c.numbers.size()));
  EXPECT_EQ(quick.SetText(c.text, b.lists.masterList), QuickFilter::Outcome::Unchanged);
}

INSTANTIATE_TEST_SUITE_P(
    Columns, QuickFilterTest,
    testing::Values(QuickCase{"SubjectWithoutRePrefix", 0, "^re", {"2", "3"}},
                    QuickCase{"AuthorNameThenAddress", 1, "^re|@re\\.", {"1", "2"}},
                    QuickCase{"OnlineViewCyclesBackToSubject", 2, "^res", {"3"}}),
    [](const testing::TestParamInfo<QuickCase>& info) { return std::string(info.param.name); });

TEST(QuickFilterColumns, FolderViewCyclesThroughGroupAndSwitchingEmptiesTheBox) {
  ThreadBuilder b;
  b.Add("x", "<x>");
  QuickFilter quick;
  std::string labels;
  for (int i = 0; i < 4; ++i) {
    labels += QuickColumnLabel(quick.Column());
    ASSERT_EQ(quick.SetText("x", b.lists.masterList), QuickFilter::Outcome::Built);
    quick.SwitchColumn(true);
    EXPECT_FALSE(quick.Active());
  }
  EXPECT_EQ(labels, "S F G S ");
}

TEST(QuickFilterColumns, FolderGroupColumnTestsTheOriginServerAndGroupApart) {
  ThreadBuilder b;
  for (const char* origin : {"news.a:comp.lang.c", "comp:alt.test", "other:misc.comp"}) {
    b.Add(origin, std::string("<") + origin + ">")->Xref = b.arena.Strings().Store(origin);
  }
  const struct {
    const char* text;
    std::string numbers;
  } rows[] = {{"^comp", "12"}, {"^news\\.a$", "1"}, {"c$", "1"}, {"^misc", "3"}, {":", ""}};
  for (const auto& row : rows) {
    QuickFilter quick;
    quick.SwitchColumn(true);
    quick.SwitchColumn(true);
    ASSERT_EQ(quick.Column(), QuickColumn::Group);
    quick.SetText(row.text, b.lists.masterList);
    std::string numbers;
    for (const TArticle* a : quick.List()) numbers += std::to_string(a->Number);
    EXPECT_EQ(numbers, row.numbers) << row.text;
  }
}

}  // namespace
}  // namespace orvel::test
