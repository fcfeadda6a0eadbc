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

TEST(GeneratedSourceTest, RepliesReferToEarlierArticlesOfTheirThread) {
  GeneratedSource source("h", "alt.g", 2000, 3);
  int replies = 0;
  int multipart = 0;
  for (std::int64_t n = 1; n <= 2000; ++n) {
    std::vector<std::string> f = fieldsOf(source, n);
    ASSERT_EQ(f.size(), 9u);
    if (f[1].ends_with(")") && f[1].find(" (") != std::string::npos) ++multipart;
    if (f[5].empty()) continue;
    ++replies;
    EXPECT_TRUE(f[1].starts_with("Re: ")) << f[1];
    std::vector<std::string> refs = splitChar(f[5], ' ');
    auto parent = source.findMessageId(refs.back());
    ASSERT_TRUE(parent) << refs.back();
    EXPECT_LT(*parent, n);
    // The reply's subject is its root's subject with "Re: ".
    auto root = source.findMessageId(refs.front());
    ASSERT_TRUE(root);
    EXPECT_EQ(f[1], "Re: " + fieldsOf(source, *root)[1]);
  }
  EXPECT_GT(replies, 200);
  EXPECT_GT(multipart, 200);
}

TEST(GeneratedSourceTest, MessageIdsRoundTripOnlyInsideTheRange) {
  GeneratedSource source("h", "alt.g", 50, 9);
  EXPECT_EQ(source.findMessageId(source.messageId(42)), 42);
  EXPECT_FALSE(source.findMessageId("<gen51.9@alt.g>"));
  EXPECT_FALSE(source.findMessageId("<gen42.8@alt.g>"));
  EXPECT_FALSE(source.findMessageId("<gen-1.9@alt.g>"));
  source.setRange(10, 40);
  EXPECT_FALSE(source.findMessageId(source.messageId(42)));
  EXPECT_EQ(source.next(1), 10);
  EXPECT_EQ(source.previous(99), 40);
  EXPECT_EQ(source.count(), 31);
}

}  // namespace
}  // namespace orvel::fixture
