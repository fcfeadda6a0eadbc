#include "articles/header_utils.h"

#include <gtest/gtest.h>

#include <string>

namespace orvel {
namespace {

struct FromCase {
  const char* name;
  const char* from;
  const char* author;
  const char* address;
};
void PrintTo(const FromCase& c, std::ostream* os) { *os << c.name; }

class ParseFromTest : public testing::TestWithParam<FromCase> {};

TEST_P(ParseFromTest, SplitsNameAndAddress) {
  const auto& c = GetParam();
  const FromParts parts = ParseFrom(c.from);
  EXPECT_EQ(parts.name, c.author);
  EXPECT_EQ(parts.address, c.address);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ParseFromTest,
    testing::Values(
        FromCase{"AngleAddress", "John Smith <js@example.com>", "John Smith", "js@example.com"},
        FromCase{"QuotedNameWithComma", "\"Smith, John\" <js@example.com>", "Smith, John",
                 "js@example.com"},
        FromCase{"CommentWithEscapedParentheses", "js@example.com (John \\(Jr\\) Smith)",
                 "John (Jr) Smith", "js@example.com"},
        FromCase{"NestedComment", "js@x.org (John (Jack) Smith)", "John (Jack) Smith", "js@x.org"},
        FromCase{"BareAddress", "  js@example.com \r", "", "js@example.com"},
        FromCase{"EscapedQuoteInName", "\"A \\\"B\\\" C\" <a@b.c>", "A \"B\" C", "a@b.c"},
        FromCase{"UnmatchedParenthesisIsAddress", "js@x.org John)", "", "js@x.org John)"},
        FromCase{"NoOpeningAngle", "js@x.org>", "", "js@x.org>"},
        FromCase{"OnlyAngles", "<a@b.c>", "", "a@b.c"},
        FromCase{"Empty", "", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HeaderUtilsTest, FormatAddressQuotesAndEscapes) {
  EXPECT_EQ(FormatAddress("", "a@b.c"), "a@b.c");
  EXPECT_EQ(FormatAddress("John Smith", "a@b.c"), "John Smith <a@b.c>");
  EXPECT_EQ(FormatAddress("Smith, John", "a@b.c"), "\"Smith, John\" <a@b.c>");
  EXPECT_EQ(FormatAddress("A \"B\" \\C", "a@b.c"), "\"A \\\"B\\\" \\\\C\" <a@b.c>");
  const FromParts back = ParseFrom(FormatAddress("A \"B\" \\C, D", "a@b.c"));
  EXPECT_EQ(back.name, "A \"B\" \\C, D");
  EXPECT_EQ(back.address, "a@b.c");
}

TEST(HeaderUtilsTest, LastReferenceTrimsAndReturnsLastId) {
  std::string_view refs = "<a@x> <b@y> junk";
  EXPECT_EQ(LastReference(refs), "<b@y>");
  EXPECT_EQ(refs, "<a@x> <b@y>");
  std::string_view none = "no brackets";
  EXPECT_EQ(LastReference(none), "");
  EXPECT_EQ(none, "");
}

TEST(HeaderUtilsTest, StripReNeedsColonAndMoreThanThreeCharacters) {
  bool re = false;
  EXPECT_EQ(StripRe("Re:  hello", &re), "hello");
  EXPECT_TRUE(re);
  EXPECT_EQ(StripRe("RE:x", &re), "x");
  EXPECT_EQ(StripRe("Re:", &re), "Re:");
  EXPECT_FALSE(re);
  EXPECT_EQ(StripRe("Re hello", &re), "Re hello");
  EXPECT_FALSE(re);
  EXPECT_EQ(StripRe("Re: Re: x", &re), "Re: x") << "only one prefix goes";
}

TEST(HeaderUtilsTest, IsValidAddressStrictAndRelaxed) {
  EXPECT_TRUE(IsValidAddress("a@b.c", false));
  EXPECT_FALSE(IsValidAddress("a@b", false));
  EXPECT_FALSE(IsValidAddress("a@b@c.d", false));
  EXPECT_FALSE(IsValidAddress("a b@c.d", false));
  EXPECT_FALSE(IsValidAddress("me@host.invalid", false));
  EXPECT_TRUE(IsValidAddress("anything", true));
  EXPECT_FALSE(IsValidAddress("two words", true));
}

TEST(HeaderUtilsTest, BuildReferencesLineKeepsFirstAndLastThatFit) {
  EXPECT_EQ(BuildReferencesLine("<a@x>   <b@y> bad <c@z>"), "References: <a@x> <b@y> <c@z>");
  EXPECT_EQ(BuildReferencesLine("nothing valid"), "References: nothing valid");
  std::string many;
  for (int i = 0; i < 100; ++i) many += "<" + std::to_string(1000 + i) + "@example.com> ";
  const std::string line = BuildReferencesLine(many);
  EXPECT_LT(line.size() + 1, 998u);
  EXPECT_EQ(line.substr(0, 30), "References: <1000@example.com>");
  EXPECT_EQ(line.substr(line.size() - 18), "<1099@example.com>");
  EXPECT_EQ(line.find("<1001@"), std::string::npos) << "the middle goes first";
}

TEST(HeaderUtilsTest, EscapeFileNameAndReverse) {
  EXPECT_EQ(EscapeFileName("a\"%*/:<>?\\|b.c"), "a%22%25%2a%2f%3a%3c%3e%3f%5c%7cb.c");
  EXPECT_EQ(EscapeFileName("alt.binaries.test"), "alt.binaries.test");
  EXPECT_EQ(ReverseText("<abc>"), ">cba<");
}

}  // namespace
}  // namespace orvel
