#include "content/shown_article.h"

#include <gtest/gtest.h>

namespace orvel {
namespace {

struct HtmlCase {
  const char* name;
  const char* article;
  std::optional<std::string> html;
};

class HtmlPartTest : public ::testing::TestWithParam<HtmlCase> {};

TEST_P(HtmlPartTest, FindsTheHtmlPartDecoded) {
  EXPECT_EQ(HtmlPartOf(GetParam().article), GetParam().html);
}

// "<p>é</p>" in base64 is "PHA+w6k8L3A+".
const HtmlCase kHtmlCases[] = {
    {"PlainText", "Subject: a\r\n\r\n<p>not html</p>\r\n", std::nullopt},
    {"SinglePart",
     "Subject: a\r\nMIME-Version: 1.0\r\nContent-Type: text/html; charset=utf-8\r\n\r\n"
     "<p>one</p>\r\n<p>two</p>\r\n",
     "<p>one</p>\r\n<p>two</p>\r\n"},
    {"QuotedPrintableSoftBreaks",
     "MIME-Version: 1.0\r\nContent-Type: text/html\r\n"
     "Content-Transfer-Encoding: quoted-printable\r\n\r\n<p class=3D\"x\">lo=\r\nng</p>\r\n",
     "<p class=\"x\">long</p>\r\n"},
    {"AlternativeSecondPart",
     "MIME-Version: 1.0\r\nContent-Type: multipart/alternative; boundary=\"b\"\r\n\r\n"
     "preamble\r\n--b\r\nContent-Type: text/plain\r\n\r\nplain\r\n"
     "--b\r\nContent-Type: text/html\r\nContent-Transfer-Encoding: base64\r\n\r\n"
     "PHA+w6k8L3A+\r\n--b--\r\nepilogue\r\n",
     "<p>\xC3\xA9</p>"},
};

INSTANTIATE_TEST_SUITE_P(Articles, HtmlPartTest, ::testing::ValuesIn(kHtmlCases),
                         [](const auto& info) { return std::string(info.param.name); });

RenderedLine line(std::string text, LineStyle style = LineStyle::Body) {
  RenderedLine l;
  l.text = std::move(text);
  l.style = style;
  return l;
}

TEST(ShownArticle, BodyStartsAfterTheShownHeadersOnly) {
  const std::vector<RenderedLine> withHeaders = {
      line("Subject: a", LineStyle::Header), line("From: b", LineStyle::Header), line(""),
      line(""), line("Hello"), line(""), line("Bye")};
  EXPECT_EQ(FirstBodyLine(withHeaders), 4u);
  EXPECT_EQ(ShownText(withHeaders, FirstBodyLine(withHeaders)), "Hello\n\nBye\n");
  // Without shown headers a paragraph break is not taken for their end.
  const std::vector<RenderedLine> bodyOnly = {line("Hello"), line(""), line("Bye")};
  EXPECT_EQ(FirstBodyLine(bodyOnly), 0u);
}

}  // namespace
}  // namespace orvel
