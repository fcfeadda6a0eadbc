#include "fixture_server/article_text.h"

#include <gtest/gtest.h>

#include "fixture_server/dates.h"
#include "fixture_server/generated_source.h"

namespace orvel::fixture {
namespace {

constexpr const char* kFolded =
    "From: Alice <alice@example.invalid>\n"
    "Subject: a long\n"
    "\tfolded\tsubject\n"
    "Date: Mon, 01 Jan 2024 00:00:00 +0000\n"
    "Message-ID: <a1@example.invalid>\n"
    "References: <r1@x>\n"
    "  <r2@x>\n"
    "\n"
    "body one\n"
    ".dot line\n"
    "last line without end";

TEST(ArticleTextTest, HeaderValuesAreUnfoldedAndFoundInAnyCase) {
  EXPECT_EQ(headerValue(kFolded, "subject"), "a long\tfolded\tsubject");
  EXPECT_EQ(headerValue(kFolded, "REFERENCES"), "<r1@x>  <r2@x>");
  EXPECT_FALSE(headerValue(kFolded, "Xref"));
  // A body line that looks like a header is not a header.
  EXPECT_FALSE(headerValue("A: 1\n\nB: 2\n", "B"));
}

TEST(ArticleTextTest, OverviewLineFromAnArticle) {
  std::string line = overviewLine(7, kFolded, "host alt.test:7");
  // Bytes count every line with CRLF: ten LF ends and a last line without one.
  std::int64_t bytes = static_cast<std::int64_t>(std::string_view(kFolded).size()) + 10 + 2;
  EXPECT_EQ(line, "7\ta long folded subject\tAlice <alice@example.invalid>\t"
                  "Mon, 01 Jan 2024 00:00:00 +0000\t<a1@example.invalid>\t<r1@x>  <r2@x>\t" +
                      std::to_string(bytes) + "\t3\tXref: host alt.test:7");
}

TEST(ArticleTextTest, OwnXrefHeaderWins) {
  std::string line = overviewLine(1, "Subject: s\r\nXref: h a:1 b:2\r\n\r\nx\r\n", "h a:1");
  EXPECT_TRUE(line.ends_with("\tXref: h a:1 b:2")) << line;
}

TEST(ArticleTextTest, WireTextUsesCrlfAndStuffsDots) {
  std::string out;
  appendWireText("a\n.b\r\n..c\nd", out);
  EXPECT_EQ(out, "a\r\n..b\r\n...c\r\nd\r\n");
}

TEST(ArticleTextTest, SplitWithoutBlankLineIsAllHeaders) {
  ArticleParts p = splitArticle("A: 1\r\nB: 2\r\n");
  EXPECT_EQ(p.headers, "A: 1\r\nB: 2\r\n");
  EXPECT_TRUE(p.body.empty());
}

TEST(DatesTest, ConversionsAgree) {
  EXPECT_EQ(epochFromNntp("20240101", "000000"), 1704067200);
  EXPECT_EQ(epochFromNntp("240101", "000000"), 1704067200);
  EXPECT_EQ(epochFromNntp("991231", "235959"), 946684799);
  EXPECT_FALSE(epochFromNntp("20241301", "000000"));
  EXPECT_FALSE(epochFromNntp("2024011", "000000"));
  EXPECT_EQ(epochFromText("20000101000000"), 946684800);
  EXPECT_EQ(epochFromText("946684800"), 946684800);
  EXPECT_EQ(nntpDateTime(1704067200 + 3661), "20240101010101");
  std::string date;
  appendArticleDate(951782400, date);  // a leap day
  EXPECT_EQ(date, "Tue, 29 Feb 2000 00:00:00 +0000");
}

}  // namespace
}  // namespace orvel::fixture
