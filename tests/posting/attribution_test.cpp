#include "posting/attribution.h"

#include <gtest/gtest.h>

#include "articles/article_date.h"

namespace orvel {
namespace {

struct AttributionCase {
  const char* name;
  std::string format;
  std::string expected;  // before the two closing line ends
  std::string messageId = "<abc@example.org>";
};

class AttributionTest : public testing::TestWithParam<AttributionCase> {};

TEST_P(AttributionTest, ExpandsTheFormat) {
  const AttributionCase& c = GetParam();
  AttributionSource source;
  source.fromName = "Jean Dupont";
  source.fromAddress = "jean@example.org";
  source.from = "Jean Dupont <jean@example.org>";
  source.newsgroups = "fr.test,fr.misc";
  source.messageId = c.messageId;
  source.date = *EncodeDateTime(2024, 3, 5, 0, 7, 9);  // a Tuesday, local time
  source.tz = 130;                                       // one and a half hours east
  DateFormatSettings french;
  french.shortMonthNames = {"janv.", "févr.", "mars", "avr.", "mai",  "juin",
                            "juil.", "août",  "sept.", "oct.", "nov.", "déc."};
  french.shortDayNames = {"dim.", "lun.", "mar.", "mer.", "jeu.", "ven.", "sam."};
  const std::string expanded = ExpandAttribution(c.format, source, french);
  EXPECT_EQ(expanded, c.expected.empty() ? "" : c.expected + "\r\n\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Tokens, AttributionTest,
    testing::Values(
        AttributionCase{"Name", "%a a écrit :", "Jean Dupont a écrit :"},
        AttributionCase{"Address", "<%e>", "<jean@example.org>"},
        AttributionCase{"From", "%f", "Jean Dupont <jean@example.org>"},
        AttributionCase{"Groups", "dans %g", "dans fr.test,fr.misc"},
        AttributionCase{"MessageIdLink", "%m", "news:abc@example.org"},
        AttributionCase{"ShortIdKept", "%m", "<>", "<>"},
        AttributionCase{"UnbracketedIdKept", "%m", "abc@example.org", "abc@example.org"},
        AttributionCase{"ShortDate", "le %d", "le 05 mars 2024"},
        AttributionCase{"LongDate", "%D", "mar. 05 mars 2024 00:07:09"},
        AttributionCase{"GmtCrossesMidnight", "%z", "Mon, 04 Mar 2024 22:37:09 GMT"},
        AttributionCase{"LineBreak", "%a%r%e", "Jean Dupont\r\njean@example.org"},
        AttributionCase{"Percent", "100%%", "100%"},
        AttributionCase{"UnknownTokenCopied", "%x%a", "%xJean Dupont"},
        AttributionCase{"FinalPercentCopied", "%a %", "Jean Dupont %"},
        AttributionCase{"EmptyFormat", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Attribution, UnknownDateGivesNoDate) {
  AttributionSource source;
  source.fromName = "Jean";
  EXPECT_EQ(ExpandAttribution("%a, %d%D%z", source, DateFormatSettings{}), "Jean, \r\n\r\n");
}

}  // namespace
}  // namespace orvel
