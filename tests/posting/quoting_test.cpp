#include "posting/quoting.h"

#include <gtest/gtest.h>

#include "support/scripted_prompter.h"

namespace orvel {
namespace {

constexpr std::string_view kQuoteRegex = "^\\s?\\s?\\s?[>:|\\]\xC2\xBB]";
constexpr std::string_view kSigDash = "^\\-\\-\\s$";

struct ReplyCase {
  const char* name;
  std::string article;
  bool cutSignature;
  int wrapColumn;
  std::string quoted;
  bool overLong;
};

class QuoteForReplyTest : public testing::TestWithParam<ReplyCase> {};

TEST_P(QuoteForReplyTest, QuotesTheBody) {
  const ReplyCase& c = GetParam();
  QuoteRules rules(kQuoteRegex, kSigDash);
  const QuotedReply reply = QuoteForReply(c.article, rules, c.cutSignature, c.wrapColumn);
  EXPECT_EQ(reply.text, c.quoted);
  EXPECT_EQ(reply.overLongLines, c.overLong);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, QuoteForReplyTest,
    testing::Values(
        ReplyCase{"BodyAfterFirstEmptyLine", "Subject: s\r\n\r\nhello\r\n\r\nworld\r\n", false,
                  76, "> hello\r\n> \r\n> world\r\n", false},
        ReplyCase{"QuotedLineGetsOneMark", "S: s\r\n\r\n> old\r\n : older\r\n", false, 76,
                  ">> old\r\n> : older\r\n", false},
        ReplyCase{"TabsBecomeFiveSpaces", "S: s\r\n\r\na\tb\r\n", false, 76, "> a     b\r\n",
                  false},
        ReplyCase{"SignatureCut", "S: s\r\n\r\ntext\r\n-- \r\nsig\r\n", true, 76, "> text\r\n",
                  false},
        ReplyCase{"SignatureKeptWithoutCut", "S: s\r\n\r\ntext\r\n-- \r\nsig\r\n", false, 76,
                  "> text\r\n> -- \r\n> sig\r\n", false},
        ReplyCase{"LineReachingWrapColumnFlagged", "S: s\r\n\r\n12345678\r\n", false, 10,
                  "> 12345678\r\n", true},
        ReplyCase{"NulAndBareLineEnds", std::string("S: s\n\nx\ny\n\0", 12), false, 76,
                  "> x\r\n> y\r\n", false}),
    [](const testing::TestParamInfo<ReplyCase>& info) { return std::string(info.param.name); });

struct PasteCase {
  const char* name;
  std::optional<TextEdit> edit;
  std::optional<TextEdit> expected;
};

QuoteRules& Rules() {
  static QuoteRules rules(kQuoteRegex, kSigDash);
  return rules;
}

class PasteTest : public testing::TestWithParam<PasteCase> {};

TEST_P(PasteTest, MakesTheEdit) {
  const PasteCase& c = GetParam();
  ASSERT_EQ(c.edit.has_value(), c.expected.has_value());
  if (!c.edit) return;
  EXPECT_EQ(c.edit->from, c.expected->from);
  EXPECT_EQ(c.edit->length, c.expected->length);
  EXPECT_EQ(c.edit->replacement, c.expected->replacement);
  EXPECT_EQ(c.edit->selectFrom, c.expected->selectFrom);
  EXPECT_EQ(c.edit->selectLength, c.expected->selectLength);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PasteTest,
    testing::Values(
        PasteCase{"PlainReplacesSelection", PastePlain({3, 2}, "ab"), TextEdit{3, 2, "ab", 5, 0}},
        PasteCase{"ReplaceAllTakesWholeText", PasteReplaceAll(9, "x"), TextEdit{0, 9, "x", 1, 0}},
        PasteCase{"QuotedFramedAndSelected", PasteQuoted({4, 0}, "a\r\n> b\r\n", Rules()),
                  TextEdit{4, 0, "\r\n\r\n> a\r\n>> b\r\n\r\n", 8, 9}},
        PasteCase{"IndentedBySpaces", PasteIndented({0, 1}, "a\nb", 3),
                  TextEdit{0, 1, "\r\n\r\n   a\r\n   b\r\n\r\n", 4, 10}},
        PasteCase{"EmptyClipboardPlain", PastePlain({0, 0}, ""), std::nullopt},
        PasteCase{"EmptyClipboardQuoted", PasteQuoted({0, 0}, "", Rules()), std::nullopt},
        PasteCase{"EmptyClipboardIndented", PasteIndented({0, 0}, "", 2), std::nullopt}),
    [](const testing::TestParamInfo<PasteCase>& info) { return std::string(info.param.name); });

TEST(AskIndentCount, AsksAgainUntilOneToTwenty) {
  test::ScriptedPrompter prompter;
  for (const char* answer : {"0", "21", "abc", " 7 "}) prompter.answerText(answer);
  EXPECT_EQ(AskIndentCount(prompter, 8), 7);
  ASSERT_EQ(prompter.records().size(), 4u);
  EXPECT_EQ(prompter.records()[0].caption, kIndentByCaption);
  EXPECT_EQ(prompter.records()[0].text, kIndentByPrompt);
  EXPECT_EQ(prompter.records()[0].initial, "8");
  prompter.answerText(std::nullopt);
  EXPECT_EQ(AskIndentCount(prompter, 8), std::nullopt);
}

}  // namespace
}  // namespace orvel
