#include "scoring/required_literal.h"

#include <gtest/gtest.h>

#include "articles/thread_builder.h"
#include "core/perlre.h"
#include "scoring/score_eval.h"
#include "scoring/score_file.h"
#include "scoring/literal_set.h"

namespace orvel {
namespace {

struct LiteralCase {
  const char* pattern;
  bool caseless;
  const char* literal;
};

TEST(RequiredLiteral, LongestRunEveryMatchMustHold) {
  const LiteralCase cases[] = {
      {"make money fast", true, "make money fast"},
      {"\\bwanted0\\b", true, "wanted0"},
      {"^Wanted[a-z]*\\.\\w+@", true, "wanted"},
      {"^Wanted[a-z]*\\.\\w+@", false, "Wanted"},
      {"colou?r", true, "colo"},          // the optional letter ends the run
      {"ab+cd", true, "ab"},              // a repeated letter stays, then the run ends
      {"x{2}yz", true, "yz"},
      {"Foo\\.Bar", true, "foo.bar"},     // an escaped sign is a plain character
      {"[abc]def", true, "def"},
      {"caf\xC3\xA9?", false, "caf"},     // the whole optional character goes
      {"caf\xC3\xA9s", true, ""},         // caseless outside ASCII: left to the regex
      {"a|b", true, ""},
      {"(foo)bar", true, ""},
      {"(?i)foo", false, ""},
      {"\\Qa.b\\E", true, ""},
      {"a{,2}bcd", true, ""},             // "{" not opening a count
      {"x", true, ""},                    // too short to be worth it
  };
  for (const LiteralCase& c : cases) {
    EXPECT_EQ(RequiredLiteral(c.pattern, c.caseless), c.literal) << c.pattern;
  }
}

// Whatever the prefilter turns down, the regex would have turned down too:
// each pattern is a rule worth its own bit, all in one plan (so literals
// share their first letters), and an article's score tells which matched.
TEST(RequiredLiteral, NeverRefusesWhatTheRegexMatches) {
  const char* const patterns[] = {"money", "\\bwanted0\\b", "^Wan+ted[a-z]*\\.\\w+@", "colou?r",
                                  "Smith", "ab+cd", "x{2}yz", "Foo\\.Bar", "caf\xC3\xA9?",
                                  "mon", "moneys", "aab", "kelvin"};
  const char* const texts[] = {"MAKE MONEY", "make cash", "Wanted0 now", "wannted.x@y",
                               "Wanted.x@y", "color", "colour", "smith", "Smith", "abbbcd",
                               "xyz", "FOO.BAR", "caf", "caf\xC3\xA9", "M\xD0\xBEney", "aaab",
                               "MONEYS", ("1 \xE2\x84\xAA" "elvin"), "Ab"};
  for (const bool caseless : {true, false}) {
    std::string file = "[.]\n";
    for (std::size_t i = 0; i < std::size(patterns); ++i) {
      file += "Score: " + std::to_string(1 << i) + "\nSubject" + (caseless ? ": " : "= ") +
              patterns[i] + "\n";
    }
    const ScoreParse parse = ParseScoreText(file, ScoreLoadOptions{});
    ASSERT_TRUE(parse.ok()) << parse.error;
    ScorePlan plan(parse.sections);
    test::ThreadBuilder b;
    for (const char* text : texts) {
      std::int32_t expected = 0;
      for (std::size_t i = 0; i < std::size(patterns); ++i) {
        TPerlre re(true, caseless ? TPerlre::kCaseless : 0);
        re.Compile(patterns[i]);
        if (re.Match(text)) expected += 1 << i;
      }
      test::ArticleSpec spec;
      spec.subject = text;
      EXPECT_EQ(EvaluateScore(plan, *b.Add(spec), {}, nullptr), expected) << text;
    }
  }
}

TEST(RequiredLiteral, CaselessSearchFoldsAsTheRegexDoes) {
  EXPECT_FALSE(MayContain("make cash", "money", true));
  EXPECT_TRUE(MayContain("MAKE MONEY", "money", true));
  EXPECT_FALSE(MayContain("M\xD0\xBEney", "money", true));  // a Cyrillic o
  EXPECT_TRUE(MayContain("\xE2\x84\xAA" "ELVIN", "kelvin", true));  // the Kelvin sign
  EXPECT_FALSE(MayContain("smith", "Smith", false));
}

// Rules share a literal's search only on the same text: a subject without
// "smith" does not stop a rule on the author named Smith.
TEST(RequiredLiteral, SharedLiteralsKeepTheirTexts) {
  const ScoreParse parse = ParseScoreText(
      "[.]\nScore: 10\nSubject: smith\nScore: 100\nFrom: smith\nScore: 1000\n~Subject: smith\n",
      ScoreLoadOptions{});
  ASSERT_TRUE(parse.ok()) << parse.error;
  test::ThreadBuilder b;
  test::ArticleSpec spec;
  spec.subject = "hello";
  spec.messageId = "<1@x>";
  spec.from = "John Smith <js@example.com>";
  const TArticle* a = b.Add(spec);
  ScorePlan plan(parse.sections);
  EXPECT_EQ(EvaluateScore(plan, *a, {}, nullptr), 1100);
}

}  // namespace
}  // namespace orvel
