#include "content/article_view.h"

#include <gtest/gtest.h>

#include "content/content_test_support.h"
#include "content/viewer_test_support.h"
#include "core/null_prompter.h"

namespace orvel {
namespace {

using test::Article;
using test::LineCodes;

// ---- rendering table: one article, the toggles and settings, the lines shown

struct RenderCase {
  const char* name;
  std::string article;
  std::vector<std::string> expected;
  ViewToggles toggles = {};
  std::string visibleHeaders = "Subject,From,Newsgroups,FollowUp-To,To,Reply-To";
  bool noHeadersInSplitScreen = false;
  friend void PrintTo(const RenderCase& c, std::ostream* os) { *os << c.name; }
};

ViewToggles with(bool ViewToggles::*toggle, bool value = true) {
  ViewToggles t;
  t.*toggle = value;
  return t;
}
const ViewToggles hideQuoted = with(&ViewToggles::quoted, false);
const ViewToggles allHeaders = with(&ViewToggles::showAllHeaders);
const ViewToggles rot13 = with(&ViewToggles::rot13);
const ViewToggles raw = with(&ViewToggles::raw);
const ViewToggles fixedFont = with(&ViewToggles::fixedFont);

class Render : public ::testing::TestWithParam<RenderCase> {};

TEST_P(Render, Lines) {
  const RenderCase& c = GetParam();
  NullPrompter prompter;
  test::RecordingLauncher launcher;
  test::TableMimeTypes types;
  ViewerSettings settings;
  settings.visibleHeaders = c.visibleHeaders;
  settings.noHeadersInSplitScreen = c.noHeadersInSplitScreen;
  ArticleView view(settings, ViewerServices{prompter, launcher, {&types, nullptr}});
  view.toggles() = c.toggles;
  view.ShowStoredArticle(c.article, false);
  EXPECT_EQ(LineCodes(view), c.expected);
  EXPECT_TRUE(launcher.opened.empty());
}

const std::string kHeaders = Article({"Path: news!x", "Subject: Essai", "From: Jean <j@x.fr>",
                                      "Newsgroups: fr.test", "Message-ID: <1@x.fr>", ""});

const std::string kMultipart = Article({
    "Subject: Parts",
    "From: a@b.c",
    "MIME-Version: 1.0",
    "Content-Type: multipart/mixed; boundary=\"XX\"",
    "",
    "This is a preamble.",
    "--XX",
    "Content-Type: text/plain; charset=utf-8",
    "Content-Transfer-Encoding: base64",
    "",
    "UHJlbWnDqHJlIGxpZ25lDQo+IGNpdMOpDQo=",
    "",
    "--XX",
    "Content-Type: text/plain",
    "",
    "Second part.",
    "--XX",
    "Content-Type: image/gif",
    "Content-Transfer-Encoding: base64",
    "",
    "R0lGODlhAQABAAAAADs=",
    "--XX--",
    "Epilogue.",
});

INSTANTIATE_TEST_SUITE_P(
    Cases, Render,
    ::testing::Values(
        RenderCase{"VisibleHeadersInSettingOrder",
                   kHeaders + "Body.\r\n",
                   {"H|From: Jean <j@x.fr>", "H|Subject: Essai", "B|", "B|Body."},
                   {},
                   "From,Subject"},
        RenderCase{"AllHeadersInArticleOrder",
                   kHeaders + "Body.\r\n",
                   {"H|Path: news!x", "H|Subject: Essai", "H|From: Jean <j@x.fr>",
                    "H|Newsgroups: fr.test", "H|Message-ID: <1@x.fr>", "B|", "B|Body."},
                   allHeaders},
        RenderCase{"FoldedHeaderJoinedWithOneSpace",
                   Article({"Subject: a", "X-Long: one", "\ttwo", " three", "", "x"}),
                   {"H|Subject: a", "H|X-Long: one two three", "B|", "B|x"},
                   allHeaders},
        RenderCase{"FoldedVisibleSubject",
                   Article({"Subject: first", "\tsecond", "", "x"}),
                   {"H|Subject: first second", "B|", "B|x"}},
        RenderCase{"EncodedWordsDecoded",
                   Article({"Subject: =?ISO-8859-1?Q?caf=E9?= =?UTF-8?B?w6k=?=", "", "x"}),
                   {"H|Subject: caf\xC3\xA9\xC3\xA9", "B|", "B|x"}},
        RenderCase{"NoHeadersInSplitScreen",
                   kHeaders + "Body.\r\n",
                   {"B|Body."},
                   {},
                   "Subject,From",
                   true},
        RenderCase{"QuotedDepths",
                   Article({"Subject: q", "", "> one", ">> two", "> > two too", ": colon",
                            "plain"}),
                   {"H|Subject: q", "B|", "Q0|> one", "Q1|>> two", "Q1|> > two too",
                    "Q0|: colon", "B|plain"}},
        RenderCase{"FiveQuotedLinesCollapsed",
                   Article({"Subject: q", "", "Il a dit:", "> 1", "> 2", ">> 3", "> 4", "> 5",
                            "Moi aussi."}),
                   {"H|Subject: q", "B|", "B|Il a dit:", "Q0|> [...]", "B|Moi aussi."},
                   hideQuoted},
        RenderCase{"TenDashesAreNotAQuote",
                   Article({"Subject: q", "", "> a", "----------", "> b"}),
                   {"H|Subject: q", "B|", "Q0|> [...]", "B|----------", "Q0|> [...]"},
                   hideQuoted},
        RenderCase{"GuillemetQuoteInLatin1",
                   Article({"Subject: g", "", "\xBB cit\xE9", "\xBB\xBB> plus loin"}),
                   {"H|Subject: g", "B|", "Q0|\xC2\xBB cit\xC3\xA9",
                    "Q2|\xC2\xBB\xC2\xBB> plus loin"}},
        RenderCase{"SmileyIsNotAQuote",
                   Article({"Subject: q", "", ":-) yes", ":) no", ":o"}),
                   {"H|Subject: q", "B|", "B|:-) yes", "B|:) no", "B|:o"}},
        RenderCase{"SignatureAndAfter",
                   Article({"Subject: s", "", "text", "-- ", "Jean", "> not a quote"}),
                   {"H|Subject: s", "B|", "B|text", "S|-- ", "S|Jean", "S|> not a quote"}},
        RenderCase{"Rot13BodyNotHeaders",
                   Article({"Subject: Hello", "", "Uryyb, jbeyq!", "> Gb dhbgr", "-- ", "Fvt"}),
                   {"H|Subject: Hello", "B|", "B|Hello, world!", "Q0|> To quote", "S|-- ",
                    "S|Fvt"},
                   rot13},
        RenderCase{"RawShowsLinesAsReceived",
                   Article({"Subject: =?ISO-8859-1?Q?caf=E9?=", "X: y", "", "> q", "-- "}),
                   {"B|Subject: =?ISO-8859-1?Q?caf=E9?=", "B|X: y", "B|", "B|> q", "B|-- "},
                   raw},
        RenderCase{"FixedFontOverridesBodyStyles",
                   Article({"Subject: f", "", "text", "> q"}),
                   {"H|Subject: f", "B|", "F|text", "F|> q"},
                   fixedFont},
        RenderCase{"Latin1BodyWithoutCharset",
                   Article({"Subject: l", "", "\xE9t\xE9 \xE0 Paris"}),
                   {"H|Subject: l", "B|", "B|\xC3\xA9t\xC3\xA9 \xC3\xA0 Paris"}},
        RenderCase{"Utf8BodyWithoutCharset",
                   Article({"Subject: u", "", "\xC3\xA9t\xC3\xA9"}),
                   {"H|Subject: u", "B|", "B|\xC3\xA9t\xC3\xA9"}},
        RenderCase{"DeclaredCharsetConverted",
                   Article({"Subject: c", "Content-Type: text/plain; charset=iso-8859-15", "",
                            "\xA4 5"}),
                   {"H|Subject: c", "B|", "B|\xE2\x82\xAC 5"}},
        RenderCase{"QuotedPrintableSoftBreakJoins",
                   Article({"Subject: qp", "Content-Type: text/plain; charset=iso-8859-1",
                            "Content-Transfer-Encoding: quoted-printable", "",
                            "un long=", "texte d=E9coup=E9", "fin"}),
                   {"H|Subject: qp", "B|", "B|un longtexte d\xC3\xA9" "coup\xC3\xA9", "B|fin"}},
        RenderCase{"Base64TextPartInPlaceOfItsBoundary",
                   kMultipart,
                   {"H|Subject: Parts", "H|From: a@b.c", "B|",
                    // the line that ends the base64 data, then the decoded text
                    // in place of the second boundary; the first is not shown
                    "B|", "B|Premi\xC3\xA8re ligne", "Q0|> cit\xC3\xA9",
                    "B|    Fichier d\xC3\xA9" "cod\xC3\xA9: text-plain-2", "B|Second part.",
                    "S|--XX", "B|    Fichier d\xC3\xA9" "cod\xC3\xA9: untitled-4.gif",
                    "S|--XX--"}},
        RenderCase{"PartHeadersWithAllHeaders",
                   Article({"Subject: m", "Content-Type: multipart/mixed; boundary=b", "", "--b",
                            "Content-Type: text/plain", "", "text", "--b--"}),
                   {"H|Subject: m", "H|Content-Type: multipart/mixed; boundary=b", "B|",
                    "H|Content-Type: text/plain", "B|", "B|text", "S|--b--"},
                   allHeaders},
        RenderCase{"UuencodedTextFileInPlaceOfItsEndLine",
                   Article({"Subject: uu", "", "Voici:", "begin 644 note.txt",
                            "2:&D@=&AE<F4-\"FQI;F4@,@T*", "end", "Fin."}),
                   {"H|Subject: uu", "B|", "B|Voici:", "B|begin 644 note.txt", "B|hi there",
                    "B|line 2", "B|    Fichier d\xC3\xA9" "cod\xC3\xA9: note.txt", "B|Fin."}},
        RenderCase{"UuencodedBinaryListedAsFile",
                   Article({"Subject: uu", "", "begin 644 a.bin", "#86)C", "`", "end"}),
                   {"H|Subject: uu", "B|", "B|begin 644 a.bin",
                    "B|    Fichier d\xC3\xA9" "cod\xC3\xA9: a.bin", "B|`", "B|end"}},
        RenderCase{"HeadersOnlyText",
                   Article({"Subject: h", "From: x@y.z"}),
                   {"H|Subject: h", "H|From: x@y.z", "B|"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orvel
