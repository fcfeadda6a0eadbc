#include "fixture_server/wildmat.h"

#include <gtest/gtest.h>

#include <ostream>

namespace orvel::fixture {
namespace {

struct WildmatCase {
  const char* name;
  const char* pattern;
  const char* text;
  bool list;  // read the pattern as a comma-separated list
  bool matches;
};

void PrintTo(const WildmatCase& c, std::ostream* os) { *os << c.name; }

class WildmatTest : public testing::TestWithParam<WildmatCase> {};

TEST_P(WildmatTest, Matches) {
  const WildmatCase& c = GetParam();
  bool got = c.list ? wildmatListMatch(c.pattern, c.text) : wildmatMatch(c.pattern, c.text);
  EXPECT_EQ(got, c.matches) << c.pattern << " vs " << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, WildmatTest,
    testing::Values(
        WildmatCase{"StarMatchesAll", "*", "alt.test", false, true},
        WildmatCase{"StarMatchesEmpty", "*", "", false, true},
        WildmatCase{"PrefixStar", "alt.*", "alt.binaries.x", false, true},
        WildmatCase{"PrefixStarOtherHierarchy", "alt.*", "comp.lang", false, false},
        WildmatCase{"QuestionIsOneCharacter", "a?c", "abc", false, true},
        WildmatCase{"QuestionNeedsACharacter", "a?c", "ac", false, false},
        WildmatCase{"StarsBacktrack", "*ab*ab", "xabyabab", false, true},
        WildmatCase{"BracketedCaseForm", "*[Hh][Ee][Ll][Pp]*", "Need HeLp now", false, true},
        WildmatCase{"BracketedCaseFormMiss", "*[Hh][Ee][Ll][Pp]*", "Need hepl", false, false},
        WildmatCase{"SetRange", "file[0-9]", "file7", false, true},
        WildmatCase{"NegatedSet", "file[^0-9]", "file7", false, false},
        WildmatCase{"ClosingBracketFirstInSet", "[]x]", "]", false, true},
        WildmatCase{"BackslashQuotesStar", "a\\*", "a*", false, true},
        WildmatCase{"BackslashQuotedStarIsLiteral", "a\\*", "ab", false, false},
        WildmatCase{"UnclosedSetIsLiteral", "a[b", "a[b", false, true},
        WildmatCase{"ExactIsCaseSensitive", "Subject", "subject", false, false},
        WildmatCase{"ListAlternatives", "comp.*,alt.test", "alt.test", true, true},
        WildmatCase{"ListLastMatchDecides", "alt.*,!alt.binaries.*", "alt.binaries.x", true, false},
        WildmatCase{"ListNegationThenAllow", "alt.*,!alt.binaries.*,alt.binaries.ok", "alt.binaries.ok", true, true},
        WildmatCase{"ListCommaInsideSetIsNotASeparator", "a[,b]c", "a,c", true, true}),
    [](const testing::TestParamInfo<WildmatCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orvel::fixture
