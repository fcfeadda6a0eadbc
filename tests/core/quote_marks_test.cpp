#include "core/quote_marks.h"

#include <gtest/gtest.h>

namespace orvel {
namespace {

struct MarksCase {
  const char* name;
  std::string line;
  int depth;
  std::size_t prefix4;  // PrefixLength(line, 4)
  std::string uniform;
};

class QuoteMarksTest : public testing::TestWithParam<MarksCase> {};

TEST_P(QuoteMarksTest, ReadsAndRewritesLeadingRun) {
  const MarksCase& c = GetParam();
  const QuoteMarks marks;
  EXPECT_EQ(marks.Depth(c.line), c.depth);
  EXPECT_EQ(marks.PrefixLength(c.line, 4), c.prefix4);
  EXPECT_EQ(marks.Uniform(c.line), c.uniform);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, QuoteMarksTest,
    testing::Values(MarksCase{"Unquoted", "text", -1, 0, "text"},
                    MarksCase{"IndentOnly", "  text", -1, 2, "  text"},
                    MarksCase{"MixedMarks", "> : > text", 2, 4, ">>> text"},
                    MarksCase{"NoSpaceAfterMarks", ">>text", 1, 2, ">> text"},
                    MarksCase{"Guillemet", "\xC2\xBB| text", 1, 4, ">> text"},
                    MarksCase{"LongRunCut", ">>>>>>", 5, 4, ">>>>>> "}),
    [](const testing::TestParamInfo<MarksCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orvel
