#include "fixture_server/generated_source.h"

#include <gtest/gtest.h>

#include <set>

#include "core/text.h"
#include "fixture_server/article_text.h"

namespace orvel::fixture {
namespace {

std::vector<std::string> fieldsOf(const GroupSource& s, std::int64_t n) {
  std::string line;
  s.appendOverview(n, line);
  return splitChar(line, '\t');
}

TEST(GeneratedSourceTest, OverviewMatchesTheFullArticle) {
  GeneratedSource source("fixture.invalid", "alt.test.gen", 400, 7);
  for (std::int64_t n = 1; n <= 400; ++n) {
    std::string text = source.article(n);
    std::string computed = overviewLine(n, text, "unused");
    std::string generated;
    source.appendOverview(n, generated);
    ASSERT_EQ(generated, computed) << "article " << n;
  }
}

TEST(GeneratedSourceTest, SameSeedSameGroupDifferentSeedOther) {
  GeneratedSource a("h", "alt.g", 100, 1), b("h", "alt.g", 100, 1), c("h", "alt.g", 100, 2);
  std::string la, lb, lc;
  for (std::int64_t n = 1; n <= 100; ++n) {
    a.appendOverview(n, la);
    b.appendOverview(n, lb);
    c.appendOverview(n, lc);
  }
  EXPECT_EQ(la, lb);
  EXPECT_NE(la, lc);
}

TEST(GeneratedSourceTest, RepliesReferToArticlesOfTheirThread) {
  // One whole block of the generator: every parent lies inside it.
  GeneratedSource source("h", "alt.g", 4096, 3);
  int replies = 0;
  int multipart = 0;
  for (std::int64_t n = 1; n <= 2000; ++n) {
    std::vector<std::string> f = fieldsOf(source, n);
    ASSERT_EQ(f.size(), 9u);
    if (f[1].ends_with(")") || f[1].ends_with("]")) ++multipart;
    if (f[5].empty()) continue;
    ++replies;
    EXPECT_TRUE(f[1].starts_with("Re: ")) << f[1];
    std::vector<std::string> refs = splitChar(f[5], ' ');
    ASSERT_TRUE(source.findMessageId(refs.back())) << refs.back();
    // The reply's subject is its root's subject with "Re: ".
    auto root = source.findMessageId(refs.front());
    ASSERT_TRUE(root);
    EXPECT_EQ(f[1], "Re: " + fieldsOf(source, *root)[1]);
  }
  EXPECT_GT(replies, 200);
  EXPECT_GT(multipart, 100);
}

TEST(GeneratedSourceTest, TheServerHostStandsInPathAndXref) {
  GeneratedSource source("fixture.invalid", "alt.g", 10, 1);
  const std::string text = source.article(4);
  EXPECT_TRUE(text.starts_with("Path: fixture.invalid!")) << text.substr(0, 40);
  EXPECT_NE(text.find("\r\nXref: fixture.invalid alt.g:4"), std::string::npos);
  EXPECT_EQ(fieldsOf(source, 4)[8].rfind("Xref: fixture.invalid alt.g:4", 0), 0u);
}

TEST(GeneratedSourceTest, MessageIdsRoundTripOnlyInsideTheRange) {
  GeneratedSource source("h", "alt.g", 50, 9);
  GeneratedSource longer("h", "alt.g", 100, 9);
  GeneratedSource otherSeed("h", "alt.g", 100, 8);
  EXPECT_EQ(source.findMessageId(source.messageId(42)), 42);
  EXPECT_FALSE(source.findMessageId(longer.messageId(51)));
  EXPECT_FALSE(source.findMessageId(otherSeed.messageId(42)));
  EXPECT_FALSE(source.findMessageId("<x.-1@alt.g>"));
  EXPECT_FALSE(source.findMessageId("<nothing>"));
  source.setRange(10, 40);
  EXPECT_FALSE(source.findMessageId(source.messageId(42)));
  EXPECT_EQ(source.next(1), 10);
  EXPECT_EQ(source.previous(99), 40);
  EXPECT_EQ(source.count(), 31);
}

}  // namespace
}  // namespace orvel::fixture
