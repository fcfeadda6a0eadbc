#include "core/perlre.h"

#include <gtest/gtest.h>

namespace orvel {
namespace {

TEST(Perlre, NextMatchWalksMatchesLeftToRight) {
  TPerlre re;
  re.Compile("\\d+");
  ASSERT_TRUE(re.Match("12 ab 345"));
  EXPECT_EQ(re.SubExp(0), "12");
  ASSERT_TRUE(re.NextMatch());
  EXPECT_EQ(re.SubExpPos(0), std::make_pair(7, 3));
  EXPECT_EQ(re.SubExp(0), "345");
  EXPECT_FALSE(re.NextMatch());
  EXPECT_EQ(re.ResultCount(), -1);
}

TEST(Perlre, EmptyMatchesAdvanceInsteadOfLooping) {
  TPerlre re;
  re.Compile("x*");
  re.SetSubject("axxb");
  std::vector<std::string> found;
  while (re.NextMatch()) {
    found.push_back(re.SubExp(0));
    ASSERT_LT(found.size(), 10u);
  }
  EXPECT_EQ(found, (std::vector<std::string>{"", "xx", "", ""}));
}

TEST(Perlre, OptionBitsMapToCaselessAndUngreedy) {
  TPerlre re(true, TPerlre::kCaseless);
  EXPECT_TRUE(re.CompileAndMatch("abc", "xABCx"));
  re.SetCaseSensitive("abc", true);
  EXPECT_FALSE(re.Match("xABCx"));
  EXPECT_EQ(re.Options() & TPerlre::kCaseless, 0u);

  EXPECT_TRUE(re.SetOptionsCompileAndMatch(TPerlre::kUngreedy, "a.*b", "a1b2b"));
  EXPECT_EQ(re.SubExp(0), "a1b");
  EXPECT_TRUE(re.SetOptionsCompileAndMatch(0, "a.*b", "a1b2b"));
  EXPECT_EQ(re.SubExp(0), "a1b2b");
}

TEST(Perlre, InvalidUtf8NeverStopsAMatch) {
  TPerlre re(true, TPerlre::kCaseless);
  const std::string latin1 = "Caf\xE9 cr\xE8me";  // Latin-1 bytes, not UTF-8
  EXPECT_TRUE(re.CompileAndMatch("cr.me", latin1));
  EXPECT_TRUE(re.CompileAndMatch("café", "Le CAFÉ"));  // UTF-8 caseless
}

TEST(Perlre, MatchLineStopsAtFirstCR) {
  TPerlre re;
  re.Compile("end$");
  EXPECT_TRUE(re.MatchLine("the end\r\nmore"));
  re.Compile("more");
  EXPECT_FALSE(re.MatchLine("the end\r\nmore"));
}

TEST(Perlre, CompileIfChangedKeepsTheWalk) {
  TPerlre re;
  re.Compile("\\w");
  ASSERT_TRUE(re.Match("ab"));
  re.CompileIfChanged("\\w");
  ASSERT_TRUE(re.NextMatch());
  EXPECT_EQ(re.SubExp(0), "b");
}

struct MisuseCase {
  const char* name;
  void (*action)(TPerlre&);
  const char* message;
  friend void PrintTo(const MisuseCase& c, std::ostream* os) { *os << c.name; }
};

class PerlreMisuse : public ::testing::TestWithParam<MisuseCase> {};

TEST_P(PerlreMisuse, RaisesWithExactMessage) {
  TPerlre re;
  try {
    GetParam().action(re);
    FAIL() << "no exception";
  } catch (const EPerlRe& e) {
    EXPECT_STREQ(e.what(), GetParam().message);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Messages, PerlreMisuse,
    ::testing::Values(
        MisuseCase{"NoPattern", [](TPerlre& r) { r.Match("x"); }, "Aucune regex présente   "},
        MisuseCase{"SplitWithoutTarget", [](TPerlre& r) { r.Split(",", "a,b", true, nullptr); },
                   "PerleRe: Regexp incorrecte         "},
        MisuseCase{"SubExpAfterFailure",
                   [](TPerlre& r) {
                     r.CompileAndMatch("z", "abc");
                     r.SubExp(0);
                   },
                   "Perlre: SubExp se matche pas   "},
        MisuseCase{"SubExpOutOfRange",
                   [](TPerlre& r) {
                     r.CompileAndMatch("(a)", "abc");
                     r.SubExp(2);
                   },
                   "PerleRe: Index Hors limite             "},
        MisuseCase{"NegativeIndex",
                   [](TPerlre& r) {
                     r.CompileAndMatch("a", "abc");
                     r.SubExpPos(-1);
                   },
                   "PerleRe: Index Hors limite             "},
        MisuseCase{"CountAfterFailure",
                   [](TPerlre& r) {
                     r.CompileAndMatch("z", "abc");
                     r.SubExpCount();
                   },
                   "Perlre: SubExpCount ne matche pas   "},
        MisuseCase{"BadPattern", [](TPerlre& r) { r.Compile("a(b"); },
                   "Perlre: missing closing parenthesis"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Perlre, BadPatternLeavesNoCompiledCode) {
  TPerlre re;
  re.Compile("ok");
  EXPECT_THROW(re.Compile("[unclosed"), EPerlRe);
  EXPECT_FALSE(re.IsCompiled());
  EXPECT_FALSE(re.ErrorText().empty());
  EXPECT_THROW(re.Match("ok"), EPerlRe);
}

struct SplitCase {
  const char* name;
  const char* pattern;
  const char* text;
  bool trim;
  std::vector<std::string> expected;
  friend void PrintTo(const SplitCase& c, std::ostream* os) { *os << c.name; }
};

class PerlreSplit : public ::testing::TestWithParam<SplitCase> {};

TEST_P(PerlreSplit, Pieces) {
  TPerlre re;
  std::vector<std::string> out{"kept"};
  re.Split(GetParam().pattern, GetParam().text, GetParam().trim, &out);
  std::vector<std::string> expected{"kept"};
  expected.insert(expected.end(), GetParam().expected.begin(), GetParam().expected.end());
  EXPECT_EQ(out, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PerlreSplit,
    ::testing::Values(SplitCase{"TrimmedCommas", ",", "x, y ,z", true, {"x", "y", "z"}},
                      SplitCase{"TrailingSeparatorAddsNothing", ",", "a,b,", false, {"a", "b"}},
                      SplitCase{"UntrimmedKeepsBlanks", ",", " a ,b", false, {" a ", "b"}},
                      SplitCase{"EmptyPiecesBetweenSeparators", "\\|", "a||b", false,
                                {"a", "", "b"}},
                      SplitCase{"NoMatchGivesWholeText", ";", "abc", false, {"abc"}},
                      SplitCase{"EmptyText", ",", "", false, {}},
                      SplitCase{"EmptyMatchesSplitCharacters", "x*", "ab", false, {"a", "b"}},
                      SplitCase{"BlankRuns", "\\s+", "one  two\tthree", false,
                                {"one", "two", "three"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RegexTester, ListsEachSubExpression) {
  auto r = RunRegexTest("(a)(b)?", "a", false);
  EXPECT_EQ(r.result, "** Match **");
  EXPECT_EQ(r.lines, (std::vector<std::string>{"00) a", "01) a"}));

  r = RunRegexTest("(\\w+)@(\\w+)", "mail joe@host now", false);
  EXPECT_EQ(r.lines, (std::vector<std::string>{"00) joe@host", "01) joe", "02) host"}));

  EXPECT_EQ(RunRegexTest("ABC", "abc", true).result, "No match");
  EXPECT_EQ(RunRegexTest("ABC", "abc", false).result, "** Match **");
  EXPECT_THROW(RunRegexTest("(", "x", false), EPerlRe);
}

}  // namespace
}  // namespace orvel
