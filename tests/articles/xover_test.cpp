#include "articles/xover.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "articles/article_date.h"

namespace orvel {
namespace {

// "number\tsubject\tfrom\tdate\tid\trefs\tbytes\tlines\txref\r\n"
std::string line(int number, std::string subject, std::string id, std::string refs = {},
                 std::string xref = {}, std::string from = "Ann <ann@x.org>") {
  return std::to_string(number) + "\t" + subject + "\t" + from +
         "\tTue, 03 Jun 2003 10:00:00 GMT\t" + id + "\t" + refs + "\t1500\t30\t" + xref + "\r\n";
}

class XoverTest : public testing::Test {
 protected:
  XoverTest() {
    view.groupName = "comp.test";
    view.SizeSets(100, 199);
  }

  std::size_t parse(std::string_view text) {
    bool done = false;
    const std::size_t rest = ParseXOVER(view, nullptr, text, done);
    lastDone = done;
    return rest;
  }
  const TArticle& only() {
    EXPECT_EQ(lists.masterList.size(), 1u);
    return *lists.masterList.at(0);
  }

  ArticleArena arena;
  ViewLists lists;
  XoverView view{arena, lists};
  bool lastDone = false;
};

TEST_F(XoverTest, ParsesEveryField) {
  parse("100\tHello =?utf-8?q?w=C3=B6rld?=\t=?iso-8859-1?q?J=F6rg?= <j@x.org>\t"
        "Wed, 4 Mar 98 12:30:00 -0500\t<m@x>\t<a@x> <p@x> trailing\t2345\t67\t"
        "Xref: news.example comp.test:100 alt.other:7\r\n");
  const TArticle& a = only();
  EXPECT_EQ(a.Number, 100);
  EXPECT_EQ(a.Subject, "Hello wörld");
  EXPECT_EQ(a.FromName(), "Jörg");
  EXPECT_EQ(a.FromAddress(), "j@x.org");
  EXPECT_NEAR(a.Date, *EncodeDateTime(1998, 3, 4, 17, 30), 1e-9);
  EXPECT_EQ(a.MessageID, "<m@x>");
  EXPECT_EQ(a.References, "<a@x> <p@x>");
  EXPECT_EQ(a.ParentID(), "<p@x>");
  EXPECT_EQ(a.Bytes, 2345);
  EXPECT_EQ(a.Lines, 67);
  EXPECT_EQ(a.Xref, "alt.other:7");
  EXPECT_EQ(view.highestSeen, 100);
  EXPECT_TRUE(view.presentSet.test(0));
  EXPECT_EQ(view.articles, 1);
  EXPECT_EQ(view.unread, 1);
  ASSERT_EQ(lists.rootList.size(), 1u);
  EXPECT_EQ(a.Position, 0);
  EXPECT_EQ(a.SourceIndex, 0);
}

TEST_F(XoverTest, IncompleteLastLineIsTheRemainder) {
  const std::string text = line(100, "one", "<1@x>") + "101\tpartial";
  const std::size_t rest = parse(text);
  EXPECT_EQ(rest, text.find("101\t"));
  EXPECT_EQ(lists.masterList.size(), 1u);
  EXPECT_FALSE(lastDone);
}

TEST_F(XoverTest, DotLineEndsTheReply) {
  const std::string text = line(100, "one", "<1@x>") + ".\r\n" + line(101, "late", "<2@x>");
  EXPECT_EQ(parse(text), std::string_view::npos);
  EXPECT_TRUE(lastDone);
  EXPECT_EQ(lists.masterList.size(), 1u);
}

TEST_F(XoverTest, ByteAtATimeGivesTheSameRecords) {
  std::string text;
  for (int n = 100; n < 120; ++n) text += line(n, "s" + std::to_string(n), "<" + std::to_string(n) + "@x>");
  text += ".\r\n";
  std::string pending;
  bool done = false;
  for (char c : text) {
    pending += c;
    const std::size_t rest = ParseXOVER(view, nullptr, pending, done);
    pending = rest == std::string_view::npos ? std::string() : pending.substr(rest);
  }
  EXPECT_TRUE(done);
  ASSERT_EQ(lists.masterList.size(), 20u);
  EXPECT_EQ(lists.masterList[19]->Subject, "s119");
}

struct DropCase {
  const char* name;
  std::string text;
};
void PrintTo(const DropCase& c, std::ostream* os) { *os << c.name; }

class XoverDropTest : public XoverTest, public testing::WithParamInterface<DropCase> {};

TEST_P(XoverDropTest, LineIsSkippedAndTheNextParsed) {
  view.excludedSet.set(5);
  parse(line(100, "first", "<1@x>") + GetParam().text + line(101, "next", "<2@x>"));
  ASSERT_EQ(lists.masterList.size(), 2u);
  EXPECT_EQ(lists.masterList[1]->Subject, "next");
}

INSTANTIATE_TEST_SUITE_P(
    BadLines, XoverDropTest,
    testing::Values(DropCase{"NonNumeric", "abc\tx\ty\r\n"}, DropCase{"Negative", "-5\tx\r\n"},
                    DropCase{"Duplicate", "100\tagain\r\n"}, DropCase{"Excluded", "105\tkilled\r\n"},
                    DropCase{"BelowLowMark", "99\tx\r\n"}, DropCase{"AboveTheSets", "200\tx\r\n"},
                    DropCase{"Overflow", "99999999999\tx\r\n"}, DropCase{"EmptyLine", "\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

struct CountCase {
  const char* field;
  std::int32_t lines;  // 100 when the field is not a number
};
void PrintTo(const CountCase& c, std::ostream* os) { *os << '"' << c.field << '"'; }

class XoverCountTest : public XoverTest, public testing::WithParamInterface<CountCase> {};

TEST_P(XoverCountTest, LinesFieldIsATrimmedDecimalInt) {
  parse("100\ts\tf\td\t<m@x>\t\t5\t" + std::string(GetParam().field) + "\r\n");
  EXPECT_EQ(only().Lines, GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, XoverCountTest,
    testing::Values(CountCase{"42", 42}, CountCase{"007", 7}, CountCase{" 42 ", 42},
                    CountCase{"+7", 7}, CountCase{"-3", -3}, CountCase{"2147483647", 2147483647},
                    CountCase{"2147483648", 100}, CountCase{"12x", 100}, CountCase{"x", 100},
                    CountCase{"", 100}, CountCase{"4 2", 100}));

TEST_F(XoverTest, MissingOrEmptyFieldsGiveDefaults) {
  parse("100\tonly subject\r\n101\ts\tf\t\t<1@x>\t\t\t\t\r\n");
  ASSERT_EQ(lists.masterList.size(), 2u);
  const TArticle& a = *lists.masterList[0];
  EXPECT_EQ(a.Subject, "only subject");
  EXPECT_EQ(a.Date, 0);
  EXPECT_TRUE(a.MessageID.empty());
  for (const TArticle* r : lists.masterList) {
    EXPECT_EQ(r->Bytes, 1000);
    EXPECT_EQ(r->Lines, 100);
  }
}

TEST_F(XoverTest, NulAndInvalidUtf8AreKeptAsBytes) {
  static const char kLine[] = "100\tbad \xff\xfe subject\0x\t\xc3<a@b>\r\n";
  parse(std::string(kLine, sizeof kLine - 1));
  static const char kSubject[] = "bad \xff\xfe subject\0x";
  EXPECT_EQ(only().Subject, std::string(kSubject, sizeof kSubject - 1));
  EXPECT_EQ(only().FromAddress(), "a@b");
}

TEST_F(XoverTest, ReferencesThatGiveNoParent) {
  parse(line(100, "self", "<s@x>", "<s@x>") + line(101, "s", "<t@x>", "<broken@x"));
  ASSERT_EQ(lists.masterList.size(), 2u);
  EXPECT_TRUE(lists.masterList[0]->ParentID().empty()) << "its own id as the only reference";
  EXPECT_TRUE(lists.masterList[1]->References.empty()) << "a reference never closed";
}

struct XrefCase {
  const char* name;
  const char* xref;
  const char* group;
  const char* kept;
};
void PrintTo(const XrefCase& c, std::ostream* os) { *os << c.name; }

class TrimXrefTest : public testing::TestWithParam<XrefCase> {};

TEST_P(TrimXrefTest, DropsServerAndCurrentGroup) {
  std::string scratch;
  EXPECT_EQ(TrimXref(GetParam().xref, GetParam().group, scratch), GetParam().kept);
}

INSTANTIATE_TEST_SUITE_P(
    Values, TrimXrefTest,
    testing::Values(
        XrefCase{"CurrentGroupFirst", "Xref: srv comp.test:5 alt.x:9", "comp.test", "alt.x:9"},
        XrefCase{"CurrentGroupLater", "Xref: srv alt.x:9 comp.test:5 misc.y:2", "comp.test",
                 "alt.x:9 misc.y:2"},
        XrefCase{"GroupNotNamed", "Xref: srv alt.x:9 misc.y:2", "comp.test", "alt.x:9 misc.y:2"},
        XrefCase{"NoXrefWord", "srv comp.test:5", "comp.test", ""},
        XrefCase{"PrefixOfAnotherGroup", "Xref: srv comp.test.more:5", "comp.test",
                 "comp.test.more:5"},
        XrefCase{"FolderKeepsAll", "Xref: srv comp.test:5", "", "comp.test:5"},
        XrefCase{"Empty", "", "comp.test", ""},
        XrefCase{"LongWordsCrossBlocks",
                 "Xref: news.long-server-name.example.com alt.binaries.a.long.group.name:77 "
                 "comp.test:123456 misc.y:2",
                 "comp.test", "alt.binaries.a.long.group.name:77 misc.y:2"},
        XrefCase{"ControlByteIsNotABlank", "Xref: srv\x01name.example comp.test:5 a:1", "comp.test",
                 "a:1"},
        XrefCase{"TabsAreBlanks", "Xref:\tsrv\tcomp.test:5\ta:1", "comp.test", "a:1"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(XoverTest, CrossPostLimitKills) {
  view.options.MaxXPostKill = 3;
  view.options.hardKill = false;
  parse(line(100, "three", "<1@x>", "", "Xref: s comp.test:100 a:1 b:2 c:3") +
        line(101, "two", "<2@x>", "", "Xref: s comp.test:101 a:1 b:2"));
  ASSERT_EQ(lists.masterList.size(), 2u);
  EXPECT_EQ(lists.masterList[0]->Score, kKilledScore);
  EXPECT_EQ(lists.masterList[1]->Score, 0);
}

TEST_F(XoverTest, HardKillExcludesKilledArticles) {
  view.options.MaxXPostKill = 1;
  parse(line(100, "spam", "<1@x>", "", "Xref: s comp.test:100 a:1"));
  EXPECT_TRUE(lists.masterList.empty());
  EXPECT_TRUE(view.excludedSet.test(0));
  EXPECT_EQ(view.killed, 1);
  EXPECT_EQ(view.linesParsed, 1);
}

class Plonk : public AuthorTest {
 public:
  bool IsPlonked(std::string_view name, std::string_view address) const override {
    return name == "Troll" || address == "troll@x";
  }
};

class FixedScorer : public ArticleScorer {
 public:
  explicit FixedScorer(std::int32_t s) : score(s) {}
  std::int32_t Score(const TArticle&, const std::vector<std::string>& names,
                     const ExtraHeaderValues* values) override {
    ++calls;
    seenNames = names.size();
    seenValues = values;
    return score;
  }
  std::int32_t score;
  int calls = 0;
  std::size_t seenNames = 0;
  const ExtraHeaderValues* seenValues = nullptr;
};

TEST_F(XoverTest, PlonkedAuthorIsKilledWithoutScoring) {
  Plonk plonk;
  FixedScorer scorer(50);
  view.plonk = &plonk;
  view.scorer = &scorer;
  view.options.hardKill = false;
  parse(line(100, "s", "<1@x>", "", "", "Troll <t@x>"));
  EXPECT_EQ(only().Score, kKilledScore);
  EXPECT_EQ(scorer.calls, 0);
}

TEST_F(XoverTest, ReplyToOwnArticleWithinNotifyDepth) {
  view.idTokens = {"", "tok123"};
  view.options.ReplyNotify = 2;
  parse(line(100, "direct", "<1@x>", "<a.tok123@me>") +
        line(101, "two down", "<2@x>", "<a.tok123@me> <b@x>") +
        line(102, "three down", "<3@x>", "<a.tok123@me> <b@x> <c@x>") +
        line(103, "my own", "<d.tok123@me>", "<a.tok123@me>"));
  ASSERT_EQ(lists.masterList.size(), 4u);
  EXPECT_TRUE(lists.masterList[0]->Has(NodeFlag::ReplyToMe));
  EXPECT_TRUE(lists.masterList[1]->Has(NodeFlag::ReplyToMe));
  EXPECT_FALSE(lists.masterList[2]->Has(NodeFlag::ReplyToMe));
  EXPECT_FALSE(lists.masterList[3]->Has(NodeFlag::ReplyToMe));
  EXPECT_TRUE(view.replyNotice);
  EXPECT_EQ(lists.masterList[0]->EffectiveScore(8888), kTopScore);
}

TEST_F(XoverTest, NegativeScoreClearsReplyFlag) {
  FixedScorer scorer(-5);
  view.scorer = &scorer;
  view.idTokens = {"tok"};
  parse(line(100, "s", "<1@x>", "<a.tok@me>"));
  EXPECT_EQ(scorer.calls, 1);
  EXPECT_EQ(only().Score, -5);
  EXPECT_FALSE(only().Has(NodeFlag::ReplyToMe));
}

class SubjectFilter : public ArticleFilter {
 public:
  bool Pass(const TArticle& a) const override { return a.Subject.view().find("keep") == 0; }
};

TEST_F(XoverTest, HeaderFilterExcludesAndQuickFilterHides) {
  SubjectFilter filter;
  view.headerFilter = &filter;
  parse(line(100, "keep me", "<1@x>") + line(101, "drop me", "<2@x>"));
  EXPECT_EQ(lists.masterList.size(), 1u);
  EXPECT_TRUE(view.excludedSet.test(1));
  view.headerFilter = nullptr;
  view.quickFilter = &filter;
  parse(line(102, "hidden", "<3@x>"));
  EXPECT_EQ(lists.masterList.size(), 2u);
  EXPECT_EQ(lists.rootList.size(), 1u);
}

TEST_F(XoverTest, ReadAndKeptComeFromTheSets) {
  view.readSet.set(0);
  view.keptSet.set(1);
  parse(line(100, "read", "<1@x>") + line(101, "kept", "<2@x>"));
  EXPECT_TRUE(lists.masterList[0]->Has(NodeFlag::Read));
  EXPECT_TRUE(lists.masterList[0]->Has(NodeFlag::SomeRead));
  EXPECT_TRUE(lists.masterList[1]->Has(NodeFlag::Kept));
  EXPECT_EQ(view.unread, 1);
}

TEST_F(XoverTest, SearchModeClearsReadAndScoresHits) {
  view.searchMode = true;
  view.readSet.set(0);
  view.excludedSet.set(0);
  parse(line(100, "hit", "<1@x>"));
  EXPECT_EQ(only().Score, 10000);
  EXPECT_FALSE(view.readSet.test(0));
}

TEST_F(XoverTest, TzSettingShiftsDatesByHoursAndMinutes) {
  view.options.TZ = 530;
  parse(line(100, "s", "<1@x>"));
  EXPECT_NEAR(only().Date, *EncodeDateTime(2003, 6, 3, 15, 30), 1e-9);
}

class RecordingSink : public FolderSink {
 public:
  void AddHeaderOnly(TArticle& a, std::string_view origin) override {
    subjects.emplace_back(a.Subject.view());
    origins.emplace_back(origin);
  }
  std::vector<std::string> subjects, origins;
};

TEST_F(XoverTest, FolderViewHandsRecordsToItsStore) {
  RecordingSink sink;
  view.newsgroup = false;
  view.folder = &sink;
  XoverSource source{"news.example", "comp.test", 0};
  bool done = false;
  ParseXOVER(view, &source, line(5, "to folder", "<1@x>"), done);
  EXPECT_THAT(sink.subjects, testing::ElementsAre("to folder"));
  EXPECT_THAT(sink.origins, testing::ElementsAre("news.example:comp.test"));
  EXPECT_TRUE(lists.masterList.empty());
  EXPECT_EQ(arena.LiveRecords(), 0u);
  EXPECT_EQ(source.lineCounter, 1);
}

TEST_F(XoverTest, XhdrFillsValuesPerNumber) {
  view.extraNames = {"X-Newsreader", "Organization"};
  view.expectedArticles = 400;
  bool done = false;
  view.extraIndex = 0;
  ParseXHDR(view, nullptr, "100 spamtool 2.0\r\n101 (none)\r\n0 x\r\n102\r\n", done);
  view.extraIndex = 1;
  ParseXHDR(view, nullptr, "100 ACME\r\n101 (NONE)\r\n103 Org\r\n.\r\n", done);
  EXPECT_TRUE(done);
  ASSERT_TRUE(view.extraValues);
  EXPECT_EQ(view.extraValues->BucketCount(), 127) << "a quarter of the expected articles";
  EXPECT_THAT(*view.extraValues->Find("100"), testing::ElementsAre("spamtool 2.0", "ACME"));
  EXPECT_EQ(view.extraValues->Find("101"), nullptr);
  EXPECT_THAT(*view.extraValues->Find("103"), testing::ElementsAre("", "Org"));
  EXPECT_EQ(view.xhdrHighest, 103);
  FixedScorer scorer(1);
  view.scorer = &scorer;
  parse(line(100, "s", "<1@x>"));
  EXPECT_EQ(scorer.seenNames, 2u);
  EXPECT_EQ(scorer.seenValues, view.extraValues.get());
}

// An article without the header: HDR answers with an empty value, XHDR
// with "(none)" or no line at all. Every form keeps the same values.
TEST_F(XoverTest, HdrEmptyValueKeepsWhatXhdrKeeps) {
  struct Reply {
    const char* name;
    const char* text;
  };
  for (const Reply& reply : {Reply{"XhdrWithoutLines", "101 ACME\r\n.\r\n"},
                             Reply{"XhdrNone", "100 (none)\r\n101 ACME\r\n102 (none)\r\n.\r\n"},
                             Reply{"HdrEmpty", "100 \r\n101 ACME\r\n102\r\n.\r\n"}}) {
    SCOPED_TRACE(reply.name);
    ArticleArena ownArena;
    ViewLists ownLists;
    XoverView v(ownArena, ownLists);
    v.SizeSets(100, 199);
    v.extraNames = {"Organization"};
    bool done = false;
    ParseXHDR(v, nullptr, reply.text, done);
    EXPECT_TRUE(done);
    ASSERT_TRUE(v.extraValues);
    EXPECT_EQ(v.extraValues->Find("100"), nullptr);
    EXPECT_THAT(*v.extraValues->Find("101"), testing::ElementsAre("ACME"));
    EXPECT_EQ(v.extraValues->Find("102"), nullptr);
  }
}

TEST_F(XoverTest, XhdrSkipsNumbersAlreadyPresent) {
  parse(line(100, "s", "<1@x>"));
  view.extraNames = {"X-Foo"};
  bool done = false;
  ParseXHDR(view, nullptr, "100 bar\r\n", done);
  EXPECT_FALSE(view.extraValues);
}

}  // namespace
}  // namespace orvel
