// PassFilter: each test alone, their order and the AND / OR short-cuts, and
// the settling of the dialog's texts.

#include "scoring/pass_filter.h"

#include <gtest/gtest.h>

#include "../articles/thread_builder.h"

namespace orvel::test {
namespace {

constexpr DateTime kToday = 45000.75;  // late in the day

struct PassCase {
  const char* name;
  FilterForm form;
  bool passes;
};
void PrintTo(const PassCase& c, std::ostream* os) { *os << c.name; }

FilterTextTest Text(std::string text, bool regex = false, bool caseSensitive = false,
                    bool inverted = false) {
  return {true, std::move(text), regex, caseSensitive, inverted};
}

FilterForm Subject(FilterTextTest t) {
  FilterForm f;
  f.subject = std::move(t);
  return f;
}
FilterForm Author(FilterTextTest t) {
  FilterForm f;
  f.author = std::move(t);
  return f;
}
FilterForm Score(std::int32_t from, std::int32_t to) {
  FilterForm f;
  f.scoreEnabled = true;
  f.scoreFrom = from;
  f.scoreTo = to;
  return f;
}
FilterForm Date(FilterDateTest test, std::int32_t days) {
  FilterForm f;
  f.dateEnabled = true;
  f.dateTest = test;
  f.days = days;
  return f;
}
FilterForm Lines(FilterLinesTest test, std::int32_t lines) {
  FilterForm f;
  f.linesEnabled = true;
  f.linesTest = test;
  f.lines = lines;
  return f;
}
// f with g's enabled score and lines tests added.
FilterForm Both(FilterForm f, const FilterForm& g, FilterBoolean boolean) {
  if (g.scoreEnabled) {
    f.scoreEnabled = true;
    f.scoreFrom = g.scoreFrom;
    f.scoreTo = g.scoreTo;
  }
  if (g.linesEnabled) {
    f.linesEnabled = true;
    f.linesTest = g.linesTest;
    f.lines = g.lines;
  }
  f.boolean = boolean;
  return f;
}

// The article: "Re: Cheap Flights", from "Jane Doe <jane@example.org>",
// score 0, 30 lines, dated yesterday at noon.
class PassFilterTest : public testing::TestWithParam<PassCase> {
 protected:
  void SetUp() override {
    ArticleSpec s;
    s.subject = "Re: Cheap Flights";
    s.messageId = "<m1>";
    s.from = "Jane Doe <jane@example.org>";
    s.lines = 30;
    s.date = 44999.5;
    article = b.Add(s);
  }
  ThreadBuilder b;
  TArticle* article = nullptr;
};

TEST_P(PassFilterTest, DecidesAsTheFormSays) {
  PassFilter filter;
  ASSERT_FALSE(filter.Apply(GetParam().form));
  EXPECT_EQ(filter.Pass(*article, kToday), GetParam().passes);
}

INSTANTIATE_TEST_SUITE_P(
    Tests, PassFilterTest,
    testing::Values(
        PassCase{"NothingEnabledFails", FilterForm{}, false},
        PassCase{"SubstringCaseless", Subject(Text("FLIGHT")), true},
        PassCase{"SubstringCaseSensitiveMisses", Subject(Text("FLIGHT", false, true)), false},
        PassCase{"SubstringInverted", Subject(Text("flight", false, false, true)), false},
        PassCase{"RegexCaseless", Subject(Text("^re: cheap", true)), true},
        PassCase{"RegexCaseSensitiveMisses", Subject(Text("^re:", true, true)), false},
        PassCase{"EmptyTextSwitchesTheTestOff", Subject(Text("")), false},
        PassCase{"AuthorByName", Author(Text("doe")), true},
        PassCase{"AuthorByAddressWhenTheNameMisses", Author(Text("example\\.org$", true)), true},
        PassCase{"AuthorInverted", Author(Text("jane", false, false, true)), false},
        PassCase{"ScoreZeroToZeroKeepsUnscored", Score(0, 0), true},
        PassCase{"ScoreOneToTopMissesUnscored", Score(1, 9999), false},
        PassCase{"SinceZeroDaysMissesYesterday", Date(FilterDateTest::Since, 0), false},
        PassCase{"SinceOneDayTakesYesterday", Date(FilterDateTest::Since, 1), true},
        PassCase{"OlderThanZeroTakesYesterday", Date(FilterDateTest::OlderThan, 0), true},
        PassCase{"OlderThanOneMissesYesterday", Date(FilterDateTest::OlderThan, 1), false},
        PassCase{"AtLeastTheCount", Lines(FilterLinesTest::AtLeast, 30), true},
        PassCase{"LessThanTheCount", Lines(FilterLinesTest::LessThan, 30), false},
        // Subject passes, score fails, lines pass: AND stops at the score.
        PassCase{"AndStopsAtTheFirstFailure",
                 Both(Subject(Text("cheap")), Both(Score(5, 9), Lines(FilterLinesTest::AtLeast, 1),
                                                   FilterBoolean::And),
                      FilterBoolean::And),
                 false},
        // Subject fails, score passes, lines fail: OR stops at the score.
        PassCase{"OrStopsAtTheFirstSuccess",
                 Both(Subject(Text("zzz")), Both(Score(0, 0), Lines(FilterLinesTest::AtLeast, 99),
                                                 FilterBoolean::Or),
                      FilterBoolean::Or),
                 true},
        // Without a stop the last enabled test decides.
        PassCase{"OrWithoutSuccessTakesTheLastResult",
                 Both(Subject(Text("zzz")), Lines(FilterLinesTest::AtLeast, 99), FilterBoolean::Or),
                 false},
        PassCase{"AndWithoutFailureTakesTheLastResult",
                 Both(Subject(Text("cheap")), Lines(FilterLinesTest::AtLeast, 1),
                      FilterBoolean::And),
                 true}),
    [](const testing::TestParamInfo<PassCase>& info) { return std::string(info.param.name); });

TEST(PassFilterRules, SinceZeroPassesOnlyToday) {
  ThreadBuilder b;
  PassFilter filter;
  ASSERT_FALSE(filter.Apply(Date(FilterDateTest::Since, 0)));
  EXPECT_TRUE(filter.Pass(*b.Add("a", "<a>", "", 45000.01), kToday));
  EXPECT_FALSE(filter.Pass(*b.Add("b", "<b>", "", 44999.99), kToday));
}

TEST(PassFilterRules, OrDoesNotRunTheAuthorTestAfterASubjectHit) {
  // A subject hit under OR must win even though the author regex would fail
  // the article, and an inverted author test would otherwise decide.
  ThreadBuilder b;
  PassFilter filter;
  FilterForm f = Subject(Text("a"));
  f.author = Text("Poster", false, false, true);
  f.boolean = FilterBoolean::Or;
  ASSERT_FALSE(filter.Apply(f));
  EXPECT_TRUE(filter.Pass(*b.Add("a", "<a>"), kToday));
  EXPECT_FALSE(filter.Pass(*b.Add("b", "<b>"), kToday));
}

TEST(PassFilterRules, BadRegexKeepsThePreviousFilter) {
  ThreadBuilder b;
  PassFilter filter;
  ASSERT_FALSE(filter.Apply(Subject(Text("keep"))));
  const auto error = filter.Apply(Subject(Text("(", true)));
  ASSERT_TRUE(error);
  EXPECT_EQ(error->rfind("Perlre: ", 0), 0u) << *error;
  EXPECT_EQ(filter.Form().subject.text, "keep");
  EXPECT_TRUE(filter.Pass(*b.Add("keep me", "<k>"), kToday));
  filter.Clear();
  EXPECT_FALSE(filter.AnyEnabled());
}

}  // namespace
}  // namespace orvel::test
