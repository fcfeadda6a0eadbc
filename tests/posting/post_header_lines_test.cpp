#include "posting/post_header_lines.h"

#include <gtest/gtest.h>

namespace orvel {
namespace {

struct SubjectCase {
  const char* name;
  std::string line;
  const char* expected;
};

class SubjectForms : public ::testing::TestWithParam<SubjectCase> {};

// The common forms show in article_writer_test's series and the yEnc parts of
// writer_decoders_test; these are the padded and counted ones.

TEST_P(SubjectForms, AreExact) { EXPECT_EQ(GetParam().line, GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(
    PostHeaderLines, SubjectForms,
    ::testing::Values(
        SubjectCase{"TogetherPlain", TogetherSubjectLine("Pics", 3, false, 1, -1), "Subject: Pics"},
        SubjectCase{"TogetherOneFile", TogetherSubjectLine("Pics", 1, true, 2, 3),
                    "Subject: Pics - 1 attachment (2/3)"},
        SubjectCase{"TogetherSplitNoCount", TogetherSubjectLine("Pics", 2, false, 3, 12),
                    "Subject: Pics (03/12)"},
        SubjectCase{"FileLabelPadded",
                    FileSubjectLine("Pics", FileLabel(7, 120), "c.bin", 10, false, 12, 100),
                    "Subject: Pics - File 007 of 120 - c.bin (012/100)"},
        SubjectCase{"YEncSeriesLabel",
                    FileSubjectLine("Pics", FileLabel(4, 12), "d.bin", 5000000000ULL, true, 1, 12),
                    "Subject: Pics - File 04 of 12 - yEnc \"d.bin\" 5000000000 bytes  (01/12)"}),
    [](const auto& info) { return std::string(info.param.name); });

std::string groupsOf(int count, int width) {
  std::string groups;
  for (int i = 0; i < count; ++i) {
    if (i) groups += ',';
    std::string name = "alt.group" + std::to_string(i) + ".";
    name.resize(static_cast<std::size_t>(width), 'x');
    groups += name;
  }
  return groups;
}

TEST(PostHeaderLinesTest, FoldingBreaksAfterCommasBelowTheLimit) {
  struct Case {
    const char* name;
    std::string line;
    std::size_t lines;
  } cases[] = {
      {"short", "Newsgroups: a,b", 1},
      {"997 stays", "Newsgroups: " + std::string(985, 'g'), 1},
      {"998 folds", "Newsgroups: " + groupsOf(2, 492) + "x", 2},
      {"many", "Followup-To: " + groupsOf(100, 50), 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<std::string> folded = FoldGroupsLine(c.line);
    ASSERT_EQ(folded.size(), c.lines);
    std::string joined;
    for (std::size_t i = 0; i < folded.size(); ++i) {
      EXPECT_LT(folded[i].size(), 998u);
      if (i > 0) {
        EXPECT_EQ(folded[i][0], '\t');
        EXPECT_EQ(folded[i - 1].back(), ',');
      }
      joined += i > 0 ? folded[i].substr(1) : folded[i];
    }
    EXPECT_EQ(joined, c.line);
  }
}

TEST(PostHeaderLinesTest, AGroupTooLongToFoldStaysWhole) {
  const std::string line = "Newsgroups: a," + std::string(1200, 'z') + ",b";
  const std::vector<std::string> folded = FoldGroupsLine(line);
  ASSERT_EQ(folded.size(), 3u);
  EXPECT_EQ(folded[0], "Newsgroups: a,");
  EXPECT_EQ(folded[1], "\t" + std::string(1200, 'z') + ",");
  EXPECT_EQ(folded[2], "\tb");
}

TEST(PostHeaderLinesTest, GeneratedIdentifiers) {
  // 45000 days and a quarter day: AFC8 and 250000 = 3D090.
  EXPECT_EQ(MakeMessageId(45000.25, 0xBEEF, "tok", "news.example"), "<OvFAFC83D090BEEFtok@news.example>");
  EXPECT_EQ(MakeMessageId(45000.0, 0, "", "h"), "<OvFAFC800@h>");
  EXPECT_EQ(MakeMimeBoundary(45000.5, 0x12, 0xab), "==_=_====____45000.500000000012ab==");
  EXPECT_EQ(MakePartialId(45000.5, 0xff, "10.0.0.1"), "45000.5000000000ff@10.0.0.1");
}

}  // namespace
}  // namespace orvel
