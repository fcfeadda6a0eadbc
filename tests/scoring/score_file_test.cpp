#include "scoring/score_file.h"

#include <gtest/gtest.h>

#include "scoring/score_dump.h"

namespace orvel {
namespace {

ScoreLoadOptions options(int expiredOpt = 0) {
  ScoreLoadOptions o;
  o.expiredScoreOpt = expiredOpt;
  o.today.tm_year = 2024 - 1900;
  o.today.tm_mon = 5;  // 15/06/2024
  o.today.tm_mday = 15;
  return o;
}

struct GrammarCase {
  const char* name;
  const char* text;
  const char* dump;
};

class ScoreGrammar : public ::testing::TestWithParam<GrammarCase> {};

TEST_P(ScoreGrammar, ParsesIntoTheDumpedStructure) {
  const ScoreParse parse = ParseScoreText(GetParam().text, options(1));
  ASSERT_TRUE(parse.ok()) << parse.error;
  EXPECT_EQ(DumpScores(parse.sections), GetParam().dump);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ScoreGrammar,
    ::testing::Values(
        GrammarCase{"CommentsBlanksAndCRLF", "% note\r\n\r\n  \t% indented\r\n[a]\r\nScore: 5\r\n"
                    "\tSubject: x\r\n",
                    "Section 0\ngroup = a; invert = 0; regroup = a\nTest 0\nscore = 5; flags = 0\n"
                    "Field 0\nkeytype = 0; invert = 0; reval = x; ival = 0\n---\n"},
        GrammarCase{"InvertedSectionUpToLastBracket", "[~^alt\\.[ab]]x]\nSCORE:: =-20\nfrom= Smith\n",
                    "Section 0\ngroup = ^alt\\.[ab]]x; invert = 1; regroup = ^alt\\.[ab]]x\nTest 0\n"
                    "score = -20; flags = 3\nField 0\nkeytype = 1; invert = 0; reval = Smith; ival = 0\n"
                    "---\n"},
        GrammarCase{"EveryKeyByPrefixAndHeader",
                    "[g]\nScore: +1\nsubject: s\n~ Lines : 20\nBYTES= 300\nReferences: r\nxref: x\n"
                    "Message-ID: m\nX-Newsreader: tool\nSubjects: h\n",
                    "Section 0\ngroup = g; invert = 0; regroup = g\nTest 0\nscore = 1; flags = 0\n"
                    "Field 0\nkeytype = 0; invert = 0; reval = s; ival = 0\n"
                    "Field 1\nkeytype = 4; invert = 1; ival = 20\n"
                    "Field 2\nkeytype = 7; invert = 0; ival = 300\n"
                    "Field 3\nkeytype = 5; invert = 0; reval = r; ival = 0\n"
                    "Field 4\nkeytype = 6; invert = 0; reval = x; ival = 0\n"
                    "Field 5\nkeytype = 3; invert = 0; reval = m; ival = 0\n"
                    "Field 6\nkeytype = 8; invert = 0; reval = tool; ival = 0\n"
                    "Field 7\nkeytype = 8; invert = 0; reval = h; ival = 0\n---\n"},
        GrammarCase{"ActionAndExpiresOnlyRightAfterScore",
                    "[g]\nScore: 1\naction: play /tmp/a b.wav\nExpires: 01/01/2030\nFrom: a\n"
                    "Expires: 01/01/2000\nScore: 2\n",
                    "Section 0\ngroup = g; invert = 0; regroup = g\nTest 0\nscore = 1; flags = 0\n"
                    "Field 0\nkeytype = 1; invert = 0; reval = a; ival = 0\n"
                    "Field 1\nkeytype = 8; invert = 0; reval = 01/01/2000; ival = 0\n---\n"},
        GrammarCase{"RuleWithoutFieldsAndEmptySection", "[a]\nScore: 1\n[b]\n",
                    "Section 0\ngroup = a; invert = 0; regroup = a\n---\n"
                    "Section 1\ngroup = b; invert = 0; regroup = b\n---\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ScoreGrammar, ActionPlayTakesTheRestOfTheLineAsSoundFile) {
  const ScoreParse parse = ParseScoreText("[g]\nScore: 1\nACTION: Play  /tmp/a b.wav \nFrom: a\n"
                                          "Score: 2\naction: beep x\nFrom: b\n", options());
  ASSERT_TRUE(parse.ok());
  EXPECT_EQ(parse.sections[0]->rules[0].action, TScoreTest::kPlay);
  EXPECT_EQ(parse.sections[0]->rules[0].soundFile, "/tmp/a b.wav");
  EXPECT_EQ(parse.sections[0]->rules[1].action, 0);
}

TEST(ScoreGrammar, ColonIsCaselessAndEqualsCaseSensitive) {
  const ScoreParse parse = ParseScoreText("[g]\nScore: 1\nSubject: abc\nSubject= abc\n", options());
  ASSERT_TRUE(parse.ok());
  auto& fields = parse.sections[0]->rules[0].fields;
  EXPECT_TRUE(fields[0].regex->Match("xABCx"));
  EXPECT_FALSE(fields[1].regex->Match("xABCx"));
  EXPECT_TRUE(fields[1].regex->Match("xabcx"));
}

struct ErrorCase {
  const char* name;
  const char* text;
  const char* status;
};

class ScoreLoadError : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(ScoreLoadError, SaysWhatAndWhereAndKeepsNoRules) {
  const ScoreParse parse = ParseScoreText(GetParam().text, options());
  EXPECT_EQ(parse.error, GetParam().status);
  EXPECT_TRUE(parse.sections.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ScoreLoadError,
    ::testing::Values(
        ErrorCase{"NoClosingBracket", "% c\n[~comp\\.lang\n",
                  "Expecting \"[group_expr]\"; found \"comp\\.lang\" ligne   2"},
        ErrorCase{"GroupRegexBad", "[a(b]\n", "Expression invalide      \"a(b\" ligne   1"},
        ErrorCase{"BadDate", "[a]\nScore: 1\nExpires:  31/02/2024\n",
                  "Date invalide           \"31/02/2024\" ligne   3"},
        ErrorCase{"RuleBeforeSection", "\n  Score: 10\n",
                  "Expecting new section; found \"Score: 10\" ligne   2"},
        ErrorCase{"FieldBeforeRule", "[a]\nSubject: x\n",
                  "Nouveau score trouv\xC3\xA9       \"Subject: x\" ligne   2"},
        ErrorCase{"FieldWithoutSeparator", "[a]\nScore: 1\n~Subject x\n",
                  "Expression invalide     \"Subject x\" ligne   3"},
        ErrorCase{"EmptyValue", "[a]\nScore: 1\nFrom:   \n",
                  "Expression invalide     \"\" ligne   3"},
        ErrorCase{"FieldRegexBad", "[a]\nScore: 1\nSubject: (x\n",
                  "Expression invalide     \"(x\" ligne   3"},
        ErrorCase{"LinesNotANumber", "[a]\nScore: 1\nLines: 20x\n",
                  "Expression invalide     \"20x\" ligne   3"},
        ErrorCase{"ScoreNotANumber", "[a]\nScore: = ten\n",
                  "Expression invalide     \"ten\" ligne   2"},
        ErrorCase{"ErrorAfterGoodSections", "[a]\nScore: 1\nFrom: x\n[b]\nBytes: 1\n",
                  "Nouveau score trouv\xC3\xA9       \"Bytes: 1\" ligne   5"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ScoreGrammar, SmallExampleFile) {
  const char* text =
      "% rules for programming groups\n"
      "[comp\\.lang\\..*]\n"
      "Score: -100\n"
      "Subject: make money fast\n"
      "Score:: 50\n"
      "From= Smith\n"
      "~Lines: 20\n"
      "[~^alt\\.binaries]\n"
      "Score: =-9999\n"
      "Expires: 01/01/2030\n"
      "X-Newsreader: spamtool\n";
  const ScoreParse parse = ParseScoreText(text, options());
  ASSERT_TRUE(parse.ok()) << parse.error;
  ASSERT_EQ(parse.sections.size(), 2u);
  const TScoreSection& comp = *parse.sections[0];
  ASSERT_EQ(comp.rules.size(), 2u);
  EXPECT_EQ(comp.line, 2);
  EXPECT_EQ(comp.rules[1].line, 5);
  EXPECT_EQ(comp.rules[1].fields[1].line, 7);
  const TScoreSection& alt = *parse.sections[1];
  EXPECT_TRUE(alt.invert);
  ASSERT_EQ(alt.rules.size(), 1u);
  EXPECT_EQ(alt.rules[0].score, -9999);
  EXPECT_EQ(alt.rules[0].flags, TScoreTest::kAssign);
  EXPECT_EQ(alt.rules[0].fields[0].headerName, "X-Newsreader");
}

}  // namespace
}  // namespace orvel
