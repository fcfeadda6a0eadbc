#include "scoring/required_literal.h"

#include <gtest/gtest.h>

#include "articles/thread_builder.h"
#include "core/perlre.h"
#include "scoring/score_eval.h"
#include "scoring/score_file.h"

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

// Whatever the prefilter turns down, the regex would have turned down too.
TEST(RequiredLiteral, NeverRefusesWhatTheRegexMatches) {
  const char* const patterns[] = {"money", "\\bwanted0\\b", "^Wan+ted[a-z]*\\.\\w+@", "colou?r",
                                  "Smith", "ab+cd", "x{2}yz", "Foo\\.Bar", "caf\xC3\xA9?"};
  const char* const texts[] = {"MAKE MONEY", "make cash", "Wanted0 now", "wannted.x@y",
                               "Wanted.x@y", "color", "colour", "smith", "Smith", "abbbcd",
                               "xyz", "FOO.BAR", "caf", "caf\xC3\xA9", "M\xD0\xBEney"};
  for (const bool caseless : {true, false}) {
    for (const char* pattern : patterns) {
      TPerlre re(true, caseless ? TPerlre::kCaseless : 0);
      re.Compile(pattern);
      const std::string literal = RequiredLiteral(pattern, caseless);
      for (const char* text : texts) {
        LoweredText lowered;
        if (!MayContain(text, literal, caseless, lowered)) {
          EXPECT_FALSE(re.Match(text)) << pattern << " on " << text;
        }
      }
    }
  }
}

TEST(RequiredLiteral, CaselessSearchOnlyInAsciiText) {
  LoweredText ascii, other;
  EXPECT_FALSE(MayContain("make cash", "money", true, ascii));
  EXPECT_TRUE(MayContain("MAKE MONEY", "money", true, other));
  LoweredText cyrillic;
  EXPECT_TRUE(MayContain("M\xD0\xBEney", "money", true, cyrillic));  // the regex decides
  LoweredText exact;
  EXPECT_FALSE(MayContain("smith", "Smith", false, exact));
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
  EXPECT_EQ(EvaluateScore(parse.sections, *a, {}, nullptr), 1100);
}

}  // namespace
}  // namespace orvel
