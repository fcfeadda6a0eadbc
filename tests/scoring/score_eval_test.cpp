#include "scoring/score_eval.h"

#include <gtest/gtest.h>

#include "articles/article.h"
#include "articles/string_pool.h"
#include "core/null_prompter.h"
#include "scoring/group_scorer.h"
#include "support/scripted_prompter.h"

namespace orvel {
namespace {

ScoreSectionList parse(const char* text) {
  ScoreLoadOptions o;
  o.today.tm_year = 124;
  ScoreParse p = ParseScoreText(text, o);
  EXPECT_TRUE(p.ok()) << p.error;
  return std::move(p.sections);
}

struct ArticleSpec {
  const char* subject = "hello";
  const char* name = "Jane Doe";
  const char* address = "jane@example.org";
  int lines = 10;
  int bytes = 500;
  const char* xref = "";
  const char* newsreader = nullptr;  // X-Newsreader fetched by XHDR
};

class Scoring {
 public:
  explicit Scoring(const ArticleSpec& spec) {
    article.Subject = pool.Store(spec.subject);
    article.SetFrom(pool, spec.name, spec.address);
    article.Lines = spec.lines;
    article.Bytes = spec.bytes;
    article.Xref = pool.Store(spec.xref);
    article.Number = 42;
    if (spec.newsreader) values.Add("42", new std::vector<std::string>{"", spec.newsreader});
  }
  StringPool pool;
  TArticle article;
  std::vector<std::string> names{"X-Other", "X-Newsreader"};
  ExtraHeaderValues values{true};
};

struct EvalCase {
  const char* name;
  const char* file;
  ArticleSpec article;
  std::int32_t score;
};

class ScoreEvaluation : public ::testing::TestWithParam<EvalCase> {};

TEST_P(ScoreEvaluation, Scores) {
  ScorePlan plan(parse(GetParam().file));
  Scoring s(GetParam().article);
  EXPECT_EQ(EvaluateScore(plan, s.article, s.names, &s.values), GetParam().score);
}

constexpr const char* kAnyOrAll =
    "[g]\nScore:: 10\nSubject: money\nFrom: spam\nScore: 1\nSubject: money\nFrom: spam\n";
constexpr const char* kAssign =
    "[g]\nScore: 100\nSubject: .\n[h]\nScore: =5\nFrom: Jane\nScore: 7\nFrom: .\n";
constexpr const char* kKill = "[g]\nScore: -9999\nSubject: hello\n[g]\nScore: 50\nFrom: .\n";
constexpr const char* kLines = "[g]\nScore: 3\n~Lines: 1000\n";
// Rules an article can pass only with a word or a size are skipped for
// articles without it; these rows check that nothing else is.
constexpr const char* kAnyInverted = "[g]\nScore:: 4\nSubject: money\n~From: jane\n";
constexpr const char* kSizeThenWord = "[g]\nScore: 8\nBytes: 499\nSubject: money\nScore: 1\nLines: 10\n";
constexpr const char* kExactCase = "[g]\nScore: 2\nSubject= Money\nScore: 1\nSubject: money\n";

INSTANTIATE_TEST_SUITE_P(
    Rows, ScoreEvaluation,
    ::testing::Values(
        EvalCase{"AnyWithOneFieldTrue", kAnyOrAll, {.subject = "make money"}, 10},
        EvalCase{"AllWithBothTrue", kAnyOrAll, {.subject = "money", .name = "spam"}, 11},
        EvalCase{"NoneTrue", kAnyOrAll, {}, 0},
        EvalCase{"AssignAfterAddsStops", kAssign, {}, 5},
        EvalCase{"MinusNineThousandStops", kKill, {}, -9999},
        EvalCase{"InvertedLinesAtTheValue", kLines, {.lines = 1000}, 3},
        EvalCase{"InvertedLinesAbove", kLines, {.lines = 1001}, 0},
        EvalCase{"AnyWithOnlyTheSecondFieldTrue", kAnyOrAll, {.name = "Spam King"}, 10},
        EvalCase{"AnyThroughItsInvertedField", kAnyInverted, {.name = "Bob", .address = "bob@x.org"}, 4},
        EvalCase{"AnyWithBothFalse", kAnyInverted, {}, 0},
        EvalCase{"WordAfterSize", kSizeThenWord, {.subject = "MONEY", .lines = 11}, 9},
        EvalCase{"SizesAtTheirValues", kSizeThenWord, {.subject = "money", .bytes = 499}, 0},
        EvalCase{"ExactCaseLiteral", kExactCase, {.subject = "more money"}, 1},
        EvalCase{"ExactCaseLiteralFound", kExactCase, {.subject = "More Money"}, 3},
        EvalCase{"FromMatchesAddress", "[g]\nScore: 2\nFrom: example\\.org$\n", {}, 2},
        EvalCase{"ExtraHeaderAtItsPosition", "[g]\nScore: -3\nx-newsreader: spamtool\n",
                 {.newsreader = "SpamTool 1.0"}, -3},
        EvalCase{"ExtraHeaderMissing", "[g]\nScore: -3\nX-Newsreader: .\n", {}, 0},
        EvalCase{"InvertedMissingHeader", "[g]\nScore: 4\n~X-Newsreader: .\n", {}, 4}),
    [](const auto& info) { return std::string(info.param.name); });

struct SelectCase {
  const char* group;
  std::vector<std::string> patterns;
};

class SectionSelection : public ::testing::TestWithParam<SelectCase> {};

TEST_P(SectionSelection, MatchXorInvertInFileOrder) {
  ScoreSectionList all = parse(
      "[~^alt\\.]\nScore: 1\nX-A: a\n[comp]\nScore: 1\nX-B: b\nx-a: c\n[.]\nScore: 1\nFrom: x\n");
  ScoreSectionList chosen;
  std::vector<std::string> headers;
  SelectSections(GetParam().group, all, chosen, headers);
  std::vector<std::string> patterns;
  for (auto& s : chosen) patterns.push_back(s->pattern);
  EXPECT_EQ(patterns, GetParam().patterns);
  if (GetParam().patterns.size() == 3) {
    EXPECT_EQ(headers, (std::vector<std::string>{"X-A", "X-B"}));
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, SectionSelection,
                         ::testing::Values(SelectCase{"alt.comp", {"comp", "."}},
                                           SelectCase{"news.software.comp", {"^alt\\.", "comp", "."}},
                                           SelectCase{"ALT.x", {"."}}));

TEST(ScoreExplain, ListsMatchingRulesWithLinesAndEffects) {
  ScorePlan plan(parse(
      "% c\n[g]\nScore:: 100\nSubject: nothing\nFrom: Jane\nScore: 1\nSubject: absent\n"
      "[~x]\nScore: =-5\nLines: 2\n~Subject: absent\n"));
  Scoring s({});
  const ScoreExplanation e = ExplainScore(plan, s.article, s.names, &s.values);
  EXPECT_EQ(FormatExplanation(e),
            "section [g] line 2\n"
            "  rule line 3 (any field): adds 100, total 100\n"
            "    line 4 false: Subject: nothing\n"
            "    line 5 true: From: Jane\n"
            "section [~x] line 8\n"
            "  rule line 9 (all fields): assigns -5 and stops\n"
            "    line 10 true: Lines: 2\n"
            "    line 11 true: ~Subject: absent\n"
            "total: -5\n");
  EXPECT_EQ(e.total, EvaluateScore(plan, s.article, s.names, &s.values));
}

class Plonk final : public AuthorTest {
 public:
  bool IsPlonked(std::string_view name, std::string_view) const override {
    return name == "Jane Doe";
  }
};

struct KillCase {
  const char* name;
  const char* xref;
  bool plonk;
  const char* reason;
};

class KillReasons : public ::testing::TestWithParam<KillCase> {};

TEST_P(KillReasons, PlonkFirstThenCrossPosts) {
  Scoring s({.xref = GetParam().xref});
  Plonk plonk;
  EXPECT_EQ(KillReason(s.article, GetParam().plonk ? &plonk : nullptr, 3), GetParam().reason);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, KillReasons,
    ::testing::Values(KillCase{"Plonked", "a:1 b:2 c:3", true, "plonked"},
                      KillCase{"AtTheLimit", "a:1 b:2 c:3", false, "killed: cross-posted to 3 groups"},
                      KillCase{"OneFewer", "a:1 b:2", false, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ScoreExplain, KillDecidesBeforeTheRules) {
  GroupScorer scorer;
  scorer.Select("g", parse("[g]\nScore: 5\nFrom: .\n"));
  Scoring s({});
  Plonk plonk;
  EXPECT_EQ(FormatExplanation(scorer.Explain(s.article, s.names, &s.values, &plonk, 10)),
            "plonked\ntotal: -9999\n");
  EXPECT_EQ(scorer.Score(s.article, s.names, &s.values), 5);
}

class RecordingSound final : public SoundPlayer {
 public:
  void Play(const std::string& path) override { played.push_back(path); }
  std::vector<std::string> played;
};

TEST(ScoreEvaluation, PlaysOnlyAnExistingSound) {
  ScorePlan plan(parse("[g]\nScore: 1\naction: play /nonexistent.wav\nFrom: .\n"
                                    "Score: 1\naction: play /dev/null\nFrom: .\n"));
  Scoring s({});
  RecordingSound sound;
  EXPECT_EQ(EvaluateScore(plan, s.article, s.names, nullptr, {&sound, nullptr}), 2);
  EXPECT_EQ(sound.played, std::vector<std::string>{"/dev/null"});
}

TEST(ScoreEvaluation, CatastrophicPatternGivesUpAndIsReportedOnce) {
  ScorePlan plan(parse("[g]\nScore: 7\nSubject: ^(a+)+$\n"));
  Scoring s({.subject = "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa!"});
  test::ScriptedPrompter prompter;
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(EvaluateScore(plan, s.article, s.names, nullptr, {nullptr, &prompter}), 0);
  }
  EXPECT_EQ(prompter.statuses(),
            std::vector<std::string>{"Expression abandonn\xC3\xA9" "e (trop de retours arri\xC3\xA8"
                                     "re) \"^(a+)+$\" ligne   3"});
}

}  // namespace
}  // namespace orvel
