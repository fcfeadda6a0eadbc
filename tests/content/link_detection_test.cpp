#include "content/link_detection.h"

#include <gtest/gtest.h>

namespace orvel {
namespace {

using Kind = LinkDecision::Kind;

struct ClickCase {
  const char* name;
  const char* word;
  bool online;
  Kind kind;
  const char* target;
  friend void PrintTo(const ClickCase& c, std::ostream* os) { *os << c.name; }
};

class Click : public ::testing::TestWithParam<ClickCase> {};

TEST_P(Click, Resolves) {
  const ClickCase& c = GetParam();
  LinkContext context;
  context.onlineGroupView = c.online;
  context.archiveTemplate = "https://archive.example/q?id=%m";
  const LinkDecision decision = LinkDetector().ResolveClick(c.word, context);
  EXPECT_EQ(decision.kind, c.kind);
  EXPECT_EQ(decision.target, c.target);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Click,
    ::testing::Values(
        ClickCase{"UrlWithTrailingFullStop", "http://example.com/a.", true, Kind::OpenUrl,
                  "http://example.com/a"},
        ClickCase{"UrlInParentheses", "(https://example.com/x)", true, Kind::OpenUrl,
                  "https://example.com/x"},
        ClickCase{"UrlInAngleBrackets", "<http://example.com/>,", true, Kind::OpenUrl,
                  "http://example.com/"},
        ClickCase{"UrlStopsAtQuote", "url=\"ftp://ftp.example.org/pub\"", true, Kind::OpenUrl,
                  "ftp://ftp.example.org/pub"},
        ClickCase{"SchemeCaseless", "HTTP://EXAMPLE.COM", true, Kind::OpenUrl,
                  "HTTP://EXAMPLE.COM"},
        ClickCase{"MailtoUrl", "mailto:jean@example.fr", true, Kind::OpenUrl,
                  "mailto:jean@example.fr"},
        ClickCase{"NewsGroupOnline", "news:fr.comp.lang", true, Kind::OpenGroup,
                  "fr.comp.lang"},
        ClickCase{"NewsMessageIdOnline", "news:<a1@host.fr>", true, Kind::FetchMessageId,
                  "<a1@host.fr>"},
        ClickCase{"NewsMessageIdWithoutBrackets", "news:a1@host.fr", true, Kind::FetchMessageId,
                  "<a1@host.fr>"},
        ClickCase{"NntpUrlWithHost", "nntp://news.example.com/comp.os.linux", true,
                  Kind::OpenGroup, "comp.os.linux"},
        ClickCase{"NewsUrlEscapedId", "news://h:119/%3Cx%40y%3E", true, Kind::FetchMessageId,
                  "<x@y>"},
        ClickCase{"NewsGroupOffline", "news:fr.test", false, Kind::OpenUrl,
                  "https://archive.example/q?id=fr.test"},
        ClickCase{"MessageIdOnline", "<abc.123@example.com>.", true, Kind::FetchMessageId,
                  "<abc.123@example.com>"},
        ClickCase{"MessageIdOfflineGoesToTheArchive", "(<a b+c/d?e%f\"g@h>)", false,
                  Kind::OpenUrl, "https://archive.example/q?id=%3ca%20b%2bc%2fd%3fe%25f%22g@h%3e"},
        ClickCase{"MailAddress", "jean.dupont@example.fr,", true, Kind::OpenUrl,
                  "mailto:jean.dupont@example.fr"},
        ClickCase{"WwwHost", "www.example.com;", true, Kind::OpenUrl, "http://www.example.com"},
        ClickCase{"FtpHost", "ftp.example.com", true, Kind::OpenUrl, "ftp://ftp.example.com"},
        ClickCase{"BareWordWithDotIsDanger", "readme.exe", true, Kind::ConfirmDanger,
                  "readme.exe"},
        ClickCase{"PathIsDanger", "\"/usr/bin/run.sh\"", true, Kind::ConfirmDanger,
                  "/usr/bin/run.sh"},
        ClickCase{"DotOnlyAtTheEndIsNothing", "fin.", true, Kind::None, ""},
        ClickCase{"DotFirstIsNothing", ".profile", true, Kind::None, ""},
        ClickCase{"PlainWord", "bonjour", true, Kind::None, ""},
        ClickCase{"OnlyPunctuation", "(<.>)", true, Kind::None, ""},
        ClickCase{"EmptyWord", "", true, Kind::None, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ClickNewsGroup, KeepsTheLinkForTheMainWindow) {
  const LinkDecision d = LinkDetector().ResolveClick("news://news.example.com/fr.test", {true, ""});
  EXPECT_EQ(d.kind, Kind::OpenGroup);
  EXPECT_EQ(d.url, "news://news.example.com/fr.test");
}

struct HoverCase {
  const char* word;
  bool link;
  friend void PrintTo(const HoverCase& c, std::ostream* os) { *os << c.word; }
};

class Hover : public ::testing::TestWithParam<HoverCase> {};

TEST_P(Hover, HandCursor) { EXPECT_EQ(LinkDetector().LooksLikeLink(GetParam().word), GetParam().link); }

INSTANTIATE_TEST_SUITE_P(Cases, Hover,
                         ::testing::Values(HoverCase{"http://x", true}, HoverCase{"(news:fr.test)", true},
                                           HoverCase{"Mailto:a@b", true}, HoverCase{"www.x.org", true},
                                           HoverCase{"ftp.x.org", true}, HoverCase{"<id@host>", true},
                                           HoverCase{"a@b", true}, HoverCase{"readme.exe", false},
                                           HoverCase{"http:", false}, HoverCase{"<>@<>", false},
                                           HoverCase{"mot", false}, HoverCase{"", false}));

TEST(WordAt, RunOfCharactersAboveBlank) {
  const std::string line = "Voir  http://x.fr/\tet caf\xC3\xA9.";
  EXPECT_EQ(WordAt(line, 0), "Voir");
  EXPECT_EQ(WordAt(line, 3), "Voir");
  EXPECT_EQ(WordAt(line, 4), "");
  EXPECT_EQ(WordAt(line, 10), "http://x.fr/");
  EXPECT_EQ(WordAt(line, line.size() - 2), "caf\xC3\xA9.");
  EXPECT_EQ(WordAt(line, line.size()), "");
  EXPECT_EQ(WordAt("", 0), "");
}

TEST(StripLinkWord, PunctuationAroundOnly) {
  EXPECT_EQ(StripLinkWord("\"(<[x.y]>)\",;:."), "x.y");
  EXPECT_EQ(StripLinkWord("a(b)c"), "a(b)c");
  EXPECT_EQ(StripLinkWord(")x("), ")x(");  // closing ones lead, opening ones trail: kept
}

struct ArchiveCase {
  const char* name;
  const char* templ;
  const char* target;
  const char* address;
  friend void PrintTo(const ArchiveCase& c, std::ostream* os) { *os << c.name; }
};

class Archive : public ::testing::TestWithParam<ArchiveCase> {};

TEST_P(Archive, Address) {
  EXPECT_EQ(ArchiveAddress(GetParam().templ, GetParam().target), GetParam().address);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Archive,
    ::testing::Values(
        ArchiveCase{"EachSpecialCharacterAsLowerCaseHex", "s?q=%m", "< >\"%+/?x",
                    "s?q=%3c%20%3e%22%25%2b%2f%3fx"},
        ArchiveCase{"EveryPercentM", "a=%m&b=%m", "<i@h>", "a=%3ci@h%3e&b=%3ci@h%3e"},
        ArchiveCase{"HashAndAmpersandWouldCutTheQuery", "q=%m", "<a#b&c@h>",
                    "q=%3ca%23b%26c@h%3e"},
        ArchiveCase{"BytesOutsideAscii", "q=%m", "caf\xC3\xA9\x01", "q=caf%c3%a9%01"},
        ArchiveCase{"OtherPercentSignsKept", "q=%s%%m%", "x", "q=%s%x%"},
        ArchiveCase{"NoPlaceholder", "https://s/", "x", "https://s/"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NewsLinkTarget, Forms) {
  EXPECT_EQ(NewsLinkTarget("news:fr.test"), "fr.test");
  EXPECT_EQ(NewsLinkTarget("news:fr.test/"), "fr.test");
  EXPECT_EQ(NewsLinkTarget("news:<<a@b>>"), "<a@b>");
  EXPECT_EQ(NewsLinkTarget("news://host"), "");
  EXPECT_EQ(NewsLinkTarget("snews://host:563/%3Ca%40b%3E"), "<a@b>");
  EXPECT_EQ(NewsLinkTarget("news:%zz"), "%zz");
  EXPECT_EQ(NewsLinkTarget("nothing"), "");
}

}  // namespace
}  // namespace orvel
