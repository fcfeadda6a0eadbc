#include "content/quote_repair.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvel {
namespace {

struct RepairCase {
  const char* name;
  std::vector<std::string> input;
  std::vector<std::string> expected;
};

// Lines as the viewer hands them over: quoted when they carry a quote mark.
std::vector<std::string> Repair(const std::vector<std::string>& input) {
  const QuoteMarks marks;
  QuoteRepairStore store;
  std::vector<std::string> out;
  const auto sink = [&](RenderedLine line) {
    out.push_back((line.style == LineStyle::Quoted ? "Q" + std::to_string(line.quoteDepth) : "B") +
                  "|" + line.text);
  };
  for (const std::string& text : input) {
    RenderedLine line;
    line.text = text;
    line.quoteDepth = marks.Depth(text);
    if (line.quoteDepth >= 0) line.style = LineStyle::Quoted;
    store.Add(std::move(line), sink);
  }
  store.Flush(sink);
  return out;
}

std::vector<std::string> Coded(const std::vector<std::string>& lines) {
  const QuoteMarks marks;
  std::vector<std::string> out;
  for (const std::string& text : lines) {
    const int depth = marks.Depth(text);
    out.push_back((depth >= 0 ? "Q" + std::to_string(depth) : "B") + "|" + text);
  }
  return out;
}

class QuoteRepairTest : public testing::TestWithParam<RepairCase> {};

TEST_P(QuoteRepairTest, RepairsBlocks) {
  EXPECT_EQ(Repair(GetParam().input), Coded(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, QuoteRepairTest,
    testing::Values(
        RepairCase{"BrokenTailJoinsNextSentenceStays",
                   {">> this line was cut by the poster", "> software without asking",
                    ">> Then a new sentence."},
                   {">> this line was cut by the poster software without asking",
                    ">> Then a new sentence."}},
        RepairCase{"CommaJoinsAtOnce",
                   {"> the first part of a long sentence,", "> and the rest"},
                   {"> the first part of a long sentence, and the rest"}},
        RepairCase{"UnquotedTailJoinedBeforeBlank",
                   {">> a quoted line that the software wrapped at", "the wrong place", ""},
                   {">> a quoted line that the software wrapped at the wrong place", ""}},
        RepairCase{"RuleLineNeverJoined",
                   {"> a first quoted line long enough to continue", "> ---------",
                    "> after the rule"},
                   {"> a first quoted line long enough to continue", "> ---------",
                    "> after the rule"}},
        RepairCase{"SmileyNeverJoined",
                   {"> a first quoted line long enough to continue", "> :-) so there"},
                   {"> a first quoted line long enough to continue", "> :-) so there"}},
        RepairCase{"ReplyAfterQuoteStaysInOrder",
                   {"> A quoted line that ends in a full stop.", "Reply Text Here", "More reply."},
                   {"> A quoted line that ends in a full stop.", "Reply Text Here", "More reply."}},
        RepairCase{"NothingJoinedNotReflowed",
                   {">  Spaced   out.  ", "> Another Line Of Its Own.", ">> [snip]"},
                   {">  Spaced   out.  ", "> Another Line Of Its Own.", ">> [snip]"}},
        RepairCase{"JoinedBlockReflowed",
                   {"> aaaa bbbb cccc dddd eeee ffff gggg hhhh iiii jjjj kkkk llll mmmm",
                    "> nnnn oooo pppp"},
                   {"> aaaa bbbb cccc dddd eeee ffff gggg hhhh iiii jjjj kkkk llll mmmm nnnn",
                    "> oooo pppp"}}),
    [](const testing::TestParamInfo<RepairCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orvel
