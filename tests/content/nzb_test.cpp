// NZB documents: a table of hand-written texts read whole and one byte at a
// time, the writer read back by the reader, and a multi-part thread turned
// into a file.

#include "content/nzb.h"

#include <gtest/gtest.h>

#include "articles/thread_builder.h"
#include "content/nzb_thread.h"

namespace orvel {
namespace {

constexpr const char* kHead =
    "<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?>\n"
    "<!DOCTYPE nzb PUBLIC \"-//newzBin//DTD NZB 1.1//EN\" "
    "\"http://www.newzbin.com/DTD/nzb/nzb-1.1.dtd\">\n"
    "<nzb xmlns=\"http://www.newzbin.com/DTD/2003/nzb\">\n";

NzbSegment seg(std::int32_t number, std::int64_t bytes, std::string id) {
  return {number, bytes, std::move(id)};
}

NzbFile file(std::string subject, std::vector<NzbSegment> segments, std::int32_t duplicates = 0) {
  NzbFile f;
  f.poster = "Joe <joe@example.com>";
  f.date = 1071674882;
  f.subject = std::move(subject);
  f.groups = {"alt.binaries.test"};
  f.segments = std::move(segments);
  f.duplicateSegments = duplicates;
  return f;
}

std::string fileText(std::string_view subject, std::string_view segments) {
  return "<file poster=\"Joe &lt;joe@example.com&gt;\" date=\"1071674882\" subject=\"" +
         std::string(subject) +
         "\">\n<groups><group>alt.binaries.test</group></groups>\n<segments>\n" +
         std::string(segments) + "</segments>\n</file>\n";
}

struct ReadCase {
  const char* name;
  std::string text;
  std::string error;  // empty: the text reads as expected
  NzbDocument expected;
};

std::vector<ReadCase> readCases() {
  const std::string two =
      "<segment bytes=\"102394\" number=\"1\">part1of2.a@news.example.com</segment>\n"
      "<segment bytes=\"4000\" number=\"2\">part2of2.a@news.example.com</segment>\n";
  const std::vector<NzbSegment> twoSegments = {seg(1, 102394, "<part1of2.a@news.example.com>"),
                                               seg(2, 4000, "<part2of2.a@news.example.com>")};
  std::vector<ReadCase> cases;
  cases.push_back({"WellFormed",
                   std::string(kHead) +
                       "<head>\n<meta type=\"title\">Your File!</meta>\n"
                       "<meta type=\"tag\"> Example </meta>\n</head>\n" +
                       fileText("Here's your file!  abc-mr2a.r01 (1/2)", two) +
                       fileText("second.r02 (1/1)",
                                "<segment bytes=\"7\" number=\"1\">b@x</segment>") +
                       "</nzb>\n",
                   "",
                   {{{"title", "Your File!"}, {"tag", "Example"}},
                    {file("Here's your file!  abc-mr2a.r01 (1/2)", twoSegments),
                     file("second.r02 (1/1)", {seg(1, 7, "<b@x>")})}}});
  cases.push_back({"WithoutNamespaceOrDoctype",
                   "<nzb>" + fileText("s", two) + "</nzb>", "", {{}, {file("s", twoSegments)}}});
  cases.push_back({"PrefixedNamespace",
                   "<n:nzb xmlns:n=\"http://www.newzbin.com/DTD/2003/nzb\"><n:file subject=\"s\">"
                   "<n:segments><n:segment number=\"1\">a@b</n:segment></n:segments>"
                   "</n:file></n:nzb>",
                   "",
                   {{}, {{"", 0, "s", {}, {seg(1, 0, "<a@b>")}, 0}}}});
  cases.push_back({"OutOfOrderSegmentsAreSortedByNumber",
                   std::string(kHead) +
                       fileText("s", "<segment bytes=\"3\" number=\"3\">c@x</segment>"
                                     "<segment bytes=\"1\" number=\"1\">a@x</segment>"
                                     "<segment bytes=\"2\" number=\"2\">b@x</segment>") +
                       "</nzb>",
                   "",
                   {{}, {file("s", {seg(1, 1, "<a@x>"), seg(2, 2, "<b@x>"), seg(3, 3, "<c@x>")})}}});
  cases.push_back({"DuplicateNumbersKeepTheFirstAndAreCounted",
                   std::string(kHead) +
                       fileText("s", "<segment bytes=\"2\" number=\"2\">first2@x</segment>"
                                     "<segment bytes=\"1\" number=\"1\">a@x</segment>"
                                     "<segment bytes=\"9\" number=\"2\">second2@x</segment>"
                                     "<segment bytes=\"9\" number=\"2\">third2@x</segment>") +
                       "</nzb>",
                   "",
                   {{}, {file("s", {seg(1, 1, "<a@x>"), seg(2, 2, "<first2@x>")}, 2)}}});
  cases.push_back({"EntitiesInSubjectAndIds",
                   std::string(kHead) +
                       fileText("a &amp; b &lt;c&gt; &quot;d&quot; &#233;&#x263A; &apos;e&apos;",
                                "<segment bytes=\"1\" number=\"1\">&lt;a&amp;b@x&gt;</segment>") +
                       "</nzb>",
                   "",
                   {{}, {file("a & b <c> \"d\" \xC3\xA9\xE2\x98\xBA 'e'", {seg(1, 1, "<a&b@x>")})}}});
  cases.push_back({"Latin1DocumentBecomesUtf8",
                   std::string(kHead) + fileText("caf\xE9", "") + "</nzb>", "",
                   {{}, {file("caf\xC3\xA9", {})}}});
  cases.push_back({"FileWithoutSegmentsIsKept",
                   std::string(kHead) + fileText("empty", "") + fileText("s", two) + "</nzb>", "",
                   {{}, {file("empty", {}), file("s", twoSegments)}}});
  cases.push_back({"MissingFileAttributesAreEmpty",
                   "<nzb><file><segments><segment number=\"4\">a@b</segment></segments></file></nzb>",
                   "",
                   {{}, {{"", 0, "", {}, {seg(4, 0, "<a@b>")}, 0}}}});
  cases.push_back({"UnknownElementsAreSkippedWithWhatTheyHold",
                   "<nzb><extra><file subject=\"no\"/></extra><file subject=\"s\"><segments>"
                   "<other><segment number=\"9\">no@x</segment></other>"
                   "<segment number=\"1\">a@x<b>ignored</b></segment></segments></file></nzb>",
                   "",
                   {{}, {{"", 0, "s", {}, {seg(1, 0, "<a@x>")}, 0}}}});
  cases.push_back({"MalformedXmlNamesTheLine",
                   std::string(kHead) + "<file subject=\"s\">\n<segments>\n</file>\n</nzb>",
                   "line 6: mismatched tag", {}});
  cases.push_back({"UnclosedDocument", std::string(kHead) + "<file subject=\"s\">",
                   "line 4: no element found", {}});
  cases.push_back({"EmptyText", "", "line 1: no element found", {}});
  cases.push_back({"NotAnNzb", "<html><body/></html>",
                   "line 1: not an NZB document (root element html)", {}});
  cases.push_back({"SegmentWithoutNumber",
                   std::string(kHead) + fileText("s", "<segment bytes=\"1\">a@x</segment>\n") +
                       "</nzb>",
                   "line 7: file 1 (\"s\"), segment 1: no number", {}});
  cases.push_back({"SegmentWithBadNumber",
                   std::string(kHead) + fileText("s", two + "<segment number=\"0\">a@x</segment>") +
                       "</nzb>",
                   "line 9: file 1 (\"s\"), segment 3: bad number \"0\"", {}});
  cases.push_back({"SegmentWithBadBytes",
                   std::string(kHead) +
                       fileText("s", "<segment number=\"1\" bytes=\"-5\">a@x</segment>") + "</nzb>",
                   "line 7: file 1 (\"s\"), segment 1: bad bytes \"-5\"", {}});
  cases.push_back({"SegmentWithoutMessageId",
                   std::string(kHead) + fileText("s", "<segment number=\"2\">  </segment>") +
                       "</nzb>",
                   "line 7: file 1 (\"s\"), segment 2: no Message-ID", {}});
  cases.push_back({"MessageIdThatWouldBreakACommand",
                   std::string(kHead) +
                       fileText("s", "<segment number=\"1\">a@x&#13;&#10;QUIT</segment>") + "</nzb>",
                   "line 7: file 1 (\"s\"), segment 1: bad Message-ID", {}});
  cases.push_back({"MessageIdTooLong",
                   std::string(kHead) +
                       fileText("s", "<segment number=\"1\">" + std::string(249, 'a') +
                                         "</segment>") +
                       "</nzb>",
                   "line 7: file 1 (\"s\"), segment 1: bad Message-ID", {}});
  cases.push_back({"BadDate", "<nzb>\n<file subject=\"s\" date=\"yesterday\"/></nzb>",
                   "line 2: file 1 (\"s\"): bad date \"yesterday\"", {}});
  cases.push_back({"EntityDeclarationsAreRefused",
                   "<?xml version=\"1.0\"?>\n<!DOCTYPE nzb [\n<!ENTITY a \"aaaaaaaaaa\">\n"
                   "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">\n]>\n"
                   "<nzb><file subject=\"&b;\"/></nzb>",
                   "line 3: entity declarations are not accepted", {}});
  cases.push_back({"ExternalEntitiesAreRefused",
                   "<!DOCTYPE nzb [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>"
                   "<nzb><file subject=\"&x;\"/></nzb>",
                   "line 1: entity declarations are not accepted", {}});
  cases.push_back({"UndefinedEntityUnderAnExternalDoctype",
                   std::string(kHead) +
                       "<file subject=\"s\">\n<groups><group>a&nbsp;b</group></groups></file></nzb>",
                   "line 5: undefined entity &nbsp;", {}});
  return cases;
}

class NzbRead : public ::testing::TestWithParam<ReadCase> {};

void expectResult(const NzbParse& parse, const ReadCase& c) {
  EXPECT_EQ(parse.error, c.error);
  if (c.error.empty()) {
    EXPECT_EQ(parse.document, c.expected);
    EXPECT_EQ(parse.errorLine, 0);
  } else {
    EXPECT_EQ("line " + std::to_string(parse.errorLine) + ":", c.error.substr(0, c.error.find(':') + 1));
  }
}

TEST_P(NzbRead, WholeText) { expectResult(ParseNzb(GetParam().text), GetParam()); }

TEST_P(NzbRead, OneByteAtATime) {
  NzbReader reader;
  for (const char c : GetParam().text) {
    if (!reader.Feed(std::string_view(&c, 1))) break;
  }
  expectResult(reader.Finish(), GetParam());
}

INSTANTIATE_TEST_SUITE_P(Texts, NzbRead, ::testing::ValuesIn(readCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(NzbRead, DuplicatesAreCountedOverTheDocument) {
  NzbDocument d;
  d.files = {file("a", {}, 2), file("b", {}, 0), file("c", {}, 3)};
  EXPECT_EQ(d.DuplicateSegments(), 5);
}

// ---- Writer

struct WriteCase {
  const char* name;
  NzbDocument document;
  NzbDocument readBack;  // when the writer had to change a text
};

std::vector<WriteCase> writeCases() {
  const NzbFile plain = file("name.r01 (1/2)", {seg(1, 100, "<a@x>"), seg(2, 50, "<b@x>")});
  NzbFile marked = file("a & b <c> \"d\" 'e' \xC3\xA9 \t tab\nline\rcr",
                        {seg(1, 1, "<a&b\"c'@x>"), seg(7, 0, "<no-brackets@x>")});
  marked.poster = "\"Joe & Co\" <joe@example.com>";
  marked.groups = {"alt.binaries.a", "alt.binaries.b&c"};
  NzbFile bare;
  bare.segments = {seg(1, 0, "<only@x>")};

  NzbFile latin1 = file("caf\xE9 na\xEFve", {});
  NzbFile latin1Read = file("caf\xC3\xA9 na\xC3\xAFve", {});
  NzbFile controls = file(std::string("a\x01z\x1F") + "\xEF\xBF\xBE", {});
  NzbFile controlsRead = file("a\xEF\xBF\xBDz\xEF\xBF\xBD\xEF\xBF\xBD", {});

  NzbDocument meta{{{"title", "T & <t>"}, {"password", "p\"w"}}, {plain}};
  return {
      {"Plain", {{}, {plain}}, {}},
      {"MarkupCharactersAndLineEnds", {{}, {marked}}, {}},
      {"MetaAndSeveralFiles", {meta.meta, {plain, marked, bare}}, {}},
      {"FileWithoutSegmentsOrGroups", {{}, {file("none", {}), bare}}, {}},
      {"NoFiles", {{{"title", "t"}}, {}}, {}},
      {"Latin1TextBecomesUtf8", {{}, {latin1}}, {{}, {latin1Read}}},
      {"CharactersXmlCannotHoldAreReplaced", {{}, {controls}}, {{}, {controlsRead}}},
  };
}

class NzbWrite : public ::testing::TestWithParam<WriteCase> {};

TEST_P(NzbWrite, ReadsBack) {
  const WriteCase& c = GetParam();
  const std::string text = WriteNzb(c.document);
  const NzbParse parse = ParseNzb(text);
  ASSERT_TRUE(parse.ok()) << parse.error << "\n" << text;
  const bool changed = !c.readBack.files.empty();
  EXPECT_EQ(parse.document, changed ? c.readBack : c.document) << text;
}

INSTANTIATE_TEST_SUITE_P(Documents, NzbWrite, ::testing::ValuesIn(writeCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(NzbWrite, WritesTheDoctypeAndNamespaceReadersExpect) {
  const std::string text = WriteNzb({{}, {file("s", {seg(1, 5, "<a@x>")})}});
  EXPECT_NE(text.find("<!DOCTYPE nzb PUBLIC \"-//newzBin//DTD NZB 1.1//EN\" "
                      "\"http://www.newzbin.com/DTD/nzb/nzb-1.1.dtd\">"),
            std::string::npos);
  EXPECT_NE(text.find("<nzb xmlns=\"http://www.newzbin.com/DTD/2003/nzb\">"), std::string::npos);
  EXPECT_NE(text.find("<segment bytes=\"5\" number=\"1\">a@x</segment>"), std::string::npos);
}

// ---- Threads

class NzbThread : public ::testing::Test {
 protected:
  TArticle* part(std::string subject, std::string id, double date) {
    test::ArticleSpec spec;
    spec.subject = std::move(subject);
    spec.messageId = std::move(id);
    spec.from = "\"Joe Q. Poster\" <joe@example.com>";
    spec.lines = 3000;
    spec.date = date;
    return builder.Add(spec);
  }
  const TAThread& onlyThread() {
    builder.Thread();
    EXPECT_EQ(builder.lists.rootList.size(), 1u);
    const TAThread* t = builder.lists.rootList.front()->AsThread();
    EXPECT_TRUE(t && t->IsMultiPart());
    return *t;
  }
  test::ThreadBuilder builder;
};

TEST_F(NzbThread, PartsInOrderWithTheFirstPartsHeaders) {
  part("big.bin (3/4)", "<p3@x>", 45003);
  part("big.bin (1/4)", "<p1@x>", 45001.5);
  part("big.bin (4/4)", "<p4@x>", 45004);
  builder.lists.masterList[1]->Bytes = 123456;
  const NzbFile f = NzbFileOfThread(onlyThread(), "alt.binaries.test");
  EXPECT_EQ(f.poster, "\"Joe Q. Poster\" <joe@example.com>");
  EXPECT_EQ(f.subject, "big.bin (1/4)");
  EXPECT_EQ(f.date, 1678968000);  // 2023-03-16 12:00 UTC
  EXPECT_EQ(f.groups, std::vector<std::string>{"alt.binaries.test"});
  const std::vector<NzbSegment> expected = {seg(1, 123456, "<p1@x>"), seg(3, 3000 * 60, "<p3@x>"),
                                            seg(4, 3000 * 60, "<p4@x>")};
  EXPECT_EQ(f.segments, expected);
}

TEST_F(NzbThread, PartPostedTwiceGivesOneSegmentThatTheServerNumberedFirst) {
  part("twice.bin (2/2)", "<p2@x>", 45002);
  part("twice.bin (1/2)", "<first1@x>", 45001);
  part("twice.bin (1/2)", "<again1@x>", 45003);
  part("twice.bin (2/2)", "<again2@x>", 45004);
  const NzbFile f = NzbFileOfThread(onlyThread(), "g");
  const std::vector<NzbSegment> expected = {seg(1, 3000 * 60, "<first1@x>"),
                                            seg(2, 3000 * 60, "<p2@x>")};
  EXPECT_EQ(f.segments, expected);
  EXPECT_EQ(f.date, 1678924800);  // the first posting of part 1: 2023-03-16 00:00 UTC
  EXPECT_EQ(f.duplicateSegments, 0);
  // What the thread gives reads back from the written document.
  const NzbDocument d{{}, {f}};
  EXPECT_EQ(ParseNzb(WriteNzb(d)).document, d);
}

TEST_F(NzbThread, PosterWithoutNameIsTheAddressAloneAndNoDateIsZero) {
  test::ArticleSpec spec;
  spec.from = "anon@example.com";
  spec.lines = 3000;
  spec.subject = "x.bin (1/2)";
  spec.messageId = "<x1@x>";
  builder.Add(spec);
  spec.subject = "x.bin (2/2)";
  spec.messageId = "<x2@x>";
  builder.Add(spec);
  for (TArticle* a : builder.lists.masterList) a->Date = 0;
  const NzbFile f = NzbFileOfThread(onlyThread(), "g");
  EXPECT_EQ(f.poster, "anon@example.com");
  EXPECT_EQ(f.date, 0);
}

// A selection: both parts of one post (one file), a post in one part, and a
// discussion article that is no binary post.
TEST_F(NzbThread, SelectionGivesEachBinaryPostOnce) {
  part("two.bin (1/2)", "<t1@x>", 45001);
  part("two.bin (2/2)", "<t2@x>", 45002);
  part("two.par2 (1/1)", "<idx@x>", 45003);
  part("Re: where is two.bin?", "<talk@x>", 45004);
  builder.Thread();
  std::vector<const TArticle*> selected(builder.lists.masterList.begin(), builder.lists.masterList.end());
  const NzbDocument d = NzbOfArticles(selected, "g");
  ASSERT_EQ(d.files.size(), 2u);
  EXPECT_EQ(d.files[0].subject, "two.bin (1/2)");
  EXPECT_EQ(d.files[0].segments.size(), 2u);
  EXPECT_EQ(d.files[1].subject, "two.par2 (1/1)");
  EXPECT_EQ(d.files[1].segments, std::vector<NzbSegment>{seg(1, 3000 * 60, "<idx@x>")});
}

}  // namespace
}  // namespace orvel
