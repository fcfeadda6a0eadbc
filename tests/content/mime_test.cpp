// TMime: line splitting, headers, MIME structure and the output naming rules.

#include "content/mime.h"

#include <gtest/gtest.h>

#include "content/file_names.h"
#include "content_test_support.h"

namespace orvel {
namespace {

using test::Classes;
using test::ParseAll;

// A parser writing its files into a scratch directory, ready for an article.
struct FileOutput {
  explicit FileOutput(MimeEnvironment env = {}) : mime(false, {}, env) {
    mime.setOutputMode(OutputMode::File);
    mime.setOutputDirectory(dir.path());
    mime.ResetArticle();
  }
  test::ScratchDir dir;
  TMime mime;
};

struct SplitCase {
  const char* name;
  std::string text;
  std::vector<std::string> lines;  // lines returned before the article ended
  bool ended;                      // a lone "." was met
  std::size_t consumed;
  friend void PrintTo(const SplitCase& c, std::ostream* os) { *os << c.name; }
};

class ServerDataSplitting : public ::testing::TestWithParam<SplitCase> {};

TEST_P(ServerDataSplitting, Lines) {
  TMime mime(false);
  mime.ResetArticle();
  const std::string& text = GetParam().text;
  std::size_t pos = 0;
  std::string line;
  std::vector<std::string> lines;
  bool last = false;
  for (;;) {
    const LineClass c =
        mime.ParseLine(text, pos, line, nullptr, LineSource::ServerData, ParseDepth::Full, last);
    if (c == LineClass::Incomplete || last) break;
    lines.push_back(line);
  }
  EXPECT_EQ(lines, GetParam().lines);
  EXPECT_EQ(last, GetParam().ended);
  EXPECT_EQ(pos, GetParam().consumed);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ServerDataSplitting,
    ::testing::Values(
        SplitCase{"DotStuffingUndone", "A: b\r\n\r\n..dot\r\n", {"A: b", ".dot"}, false, 15},
        SplitCase{"LoneDotEndsArticle", "A: b\r\n.\r\nA: c\r\n", {"A: b"}, true, 9},
        SplitCase{"LoneDotWithBareLf", "A: b\n.\n", {"A: b"}, true, 7},
        SplitCase{"IncompleteLineNotConsumed", "A: b\r\nA: c", {"A: b"}, false, 6},
        SplitCase{"FinalCarriageReturnWaitsForLf", "A: b\r\nA: c\r", {"A: b"}, false, 6},
        SplitCase{"BareCrEndsLineWithoutAnyLf", "A: b\rA: c\r", {"A: b"}, false, 5},
        SplitCase{"TwoCrsConsumedTogether", "A: b\r\rA: c\r", {"A: b"}, false, 6},
        SplitCase{"CrInsideLineBeforeLfKept", "A: b\rc\r\n", {"A: b\rc"}, false, 8}),
    [](const auto& info) { return std::string(info.param.name); });

const char kArticle[] =
    "Path: x\r\n"
    "Subject: =?ISO-8859-1?Q?caf=E9?=\r\n"
    "\tau\r\n"
    "\tlait\r\n"
    "From: Jo <jo@example.org>\r\n"
    "Newsgroups: a.b\r\n"
    "Message-ID: <1@x>\r\n"
    "References: <a@x>\r\n"
    "  <b@x>\r\n"
    "Xref: news.example a.b:12 c.d:34\r\n"
    "Lines: many\r\n"
    "X-No-Archive: Yes\r\n"
    "X-Custom: one\r\n"
    " two\r\n"
    "\r\n"
    "Body line\r\n"
    "..stuffed\r\n"
    "-- \r\n"
    "sig\r\n"
    ".\r\n";

TEST(TMimeHeaders, RecordFieldsFoldingAndExtraHeaders) {
  TMime mime(true);
  mime.ResetArticle();
  std::string raw;
  std::size_t pos = 0;
  std::string line;
  bool last = false;
  std::vector<int> classes;
  while (!last) {
    classes.push_back(static_cast<int>(
        mime.ParseLine(kArticle, pos, line, &raw, LineSource::ServerData, ParseDepth::Full, last)));
  }
  const ArticleHeaders& h = mime.headers();
  EXPECT_EQ(h.subject, "caf\xC3\xA9 au lait");
  EXPECT_EQ(h.fromAddress, "Jo <jo@example.org>");  // no address parser given
  EXPECT_EQ(h.messageId, "<1@x>");
  EXPECT_EQ(h.references, "<a@x> <b@x>");
  EXPECT_EQ(h.referenceList, (std::vector<std::string>{"<a@x>", "<b@x>"}));
  EXPECT_EQ(h.xref, "a.b:12 c.d:34");
  EXPECT_EQ(h.lines, 10);
  EXPECT_TRUE(h.xNoArchive);
  ASSERT_EQ(mime.extraHeaders().size(), 2u);
  EXPECT_EQ(mime.extraHeaders()[0].name, "Path");
  EXPECT_EQ(mime.extraHeaders()[1].value, "one two");
  EXPECT_TRUE(mime.signatureSeen());
  EXPECT_TRUE(mime.headersEnded());
  // 15 header lines (folds included), end of headers, four body lines, ".".
  std::vector<int> expected(14, 2);
  expected.insert(expected.end(), {3, 11, 11, 11, 11, 11});
  EXPECT_EQ(classes, expected);
  EXPECT_EQ(raw.back(), '\0');
  EXPECT_NE(raw.find("\r\n.stuffed\r\n"), std::string::npos);
}

TEST(TMimeHeaders, ServerDataFedOneByteAtATimeGivesTheSameLines) {
  TMime whole(false);
  whole.ResetArticle();
  const auto expected = ParseAll(whole, kArticle, LineSource::ServerData);

  TMime pieces(false);
  pieces.ResetArticle();
  const std::string text = kArticle;
  std::vector<test::ParsedLine> got;
  std::string buffer;
  std::string line;
  bool last = false;
  for (std::size_t i = 0; i < text.size() && !last; ++i) {
    buffer += text[i];
    std::size_t pos = 0;
    for (;;) {
      const LineClass c =
          pieces.ParseLine(buffer, pos, line, nullptr, LineSource::ServerData, ParseDepth::Full,
                           last);
      if (c == LineClass::Incomplete) break;
      got.push_back({c, line});
      if (last) break;
    }
    buffer.erase(0, pos);
  }
  ASSERT_EQ(got.size(), expected.size());
  for (std::size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(got[i].text, expected[i].text) << i;
    EXPECT_EQ(got[i].lineClass, expected[i].lineClass) << i;
  }
}

TEST(TMimeHeaders, VisibleHeadersFollowTheSettingOrder) {
  MimeSettings settings;
  settings.visibleHeaders = "From, Subject ,X-Custom";
  TMime mime(false, settings);
  mime.ResetArticle();
  ParseAll(mime, kArticle, LineSource::ServerData);
  EXPECT_EQ(mime.VisibleHeaderText(),
            "From: Jo <jo@example.org>\r\n"
            "Subject: caf\xC3\xA9 au lait\r\n"
            "X-Custom: one two\r\n");
}

TEST(TMimeHeaders, BlankLinesBeforeHeadersAndOneGapFromTheServerAreSkipped) {
  TMime mime(false);
  mime.ResetArticle();
  const auto lines = ParseAll(mime,
                              "\r\n\r\nSubject: s\r\n\r\nMessage-ID: <1@x>\r\nNewsgroups: a\r\n"
                              "\r\nbody\r\n.\r\n",
                              LineSource::ServerData);
  EXPECT_EQ(Classes(lines), (std::vector<int>{2, 2, 2, 3, 11, 11}));
  EXPECT_EQ(mime.headers().newsgroups, "a");
}

TEST(TMimeHeaders, StoredTextEndsHeadersAtTheFirstEmptyLine) {
  TMime mime(false);
  mime.ResetArticle();
  const auto lines = ParseAll(mime, "Subject: s\r\n\r\nMessage-ID: <1@x>\r\n");
  EXPECT_EQ(Classes(lines), (std::vector<int>{2, 3, 11}));
  EXPECT_TRUE(mime.headers().messageId.empty());
}

TEST(TMimeHeaders, InjectedParserSplitsAddressesAndDates) {
  struct FakeParser : HeaderValueParser {
    void splitAddress(std::string_view text, std::string& name,
                      std::string& address) const override {
      name = "N:" + std::string(text);
      address = "A";
    }
    double articleDate(std::string_view text) const override { return text.size(); }
  } parser;
  TMime mime(false, {}, MimeEnvironment{nullptr, &parser});
  mime.ResetArticle();
  ParseAll(mime, "From: x\r\nDate: 12345\r\nReply-To: y\r\n\r\n");
  EXPECT_EQ(mime.headers().fromName, "N:x");
  EXPECT_EQ(mime.headers().replyToName, "N:y");
  EXPECT_EQ(mime.headers().date, 5.0);
}

TEST(TMimeHeaders, FoldedAddressHeadersJoin) {
  TMime mime(true);
  mime.ResetArticle();
  ParseAll(mime, "From: Jo\r\n <jo@x>\r\nReply-To: a\r\n\t<b@x>\r\n\r\n");
  EXPECT_EQ(mime.headers().from, "Jo <jo@x>");
  EXPECT_EQ(mime.headers().replyToAddress, "a <b@x>");
  ASSERT_EQ(mime.extraHeaders().size(), 1u);
  EXPECT_EQ(mime.extraHeaders()[0].value, "a <b@x>");
}

TEST(TMimeHeaders, HeadersOnlyStopsAtTheEndOfTheHeaders) {
  TMime mime(false);
  mime.ParseHeadersOnly("Subject: s\r\n\r\nbegin 644 x.bin\r\n");
  EXPECT_EQ(mime.headers().subject, "s");
  EXPECT_EQ(mime.transferEncoding(), TransferEncoding::None);
}

TEST(TMimeBody, QuotedPrintableSoftBreakAndNonHex) {
  TMime mime(false);
  mime.ResetArticle();
  const auto lines = ParseAll(mime,
                              "Content-Transfer-Encoding: quoted-printable\r\n\r\n"
                              "soft=\r\nx=4Gy\r\n");
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[2].text, "soft");
  EXPECT_EQ(lines[3].text, "x y");
  EXPECT_TRUE(mime.hardLineEnd());
}

TEST(TMimeBody, Base64ArticleDecodesIntoAFile) {
  FileOutput out;
  auto& [dir, mime] = out;
  const auto lines = ParseAll(mime,
                              "Content-Type: application/octet-stream; name=\"a.bin\"\r\n"
                              "Content-Transfer-Encoding: base64\r\n\r\nQUJD\r\nQQ==\r\n");
  EXPECT_EQ(Classes(lines), (std::vector<int>{2, 2, 3, 9, 9}));
  EXPECT_FALSE(mime.outputOpen());
  EXPECT_EQ(test::ReadFileBytes(dir.file("a.bin")), "ABCA");
}

const char kNested[] =
    "MIME-Version: 1.0\r\n"
    "Content-Type: multipart/mixed; boundary=\"outer\"\r\n"
    "\r\n"
    "preamble\r\n"
    "--outer\r\n"
    "Content-Type: multipart/alternative; boundary=inner\r\n"
    "\r\n"
    "--inner\r\n"
    "\r\n"
    "text\r\n"
    "--inner--\r\n"
    "between\r\n"
    "--outer\r\n"
    "Content-Type: image/gif\r\n"
    "Content-Transfer-Encoding: base64\r\n"
    "\r\n"
    "R0lG\r\n"
    "--outer-- \r\n"
    "epilogue\r\n";

TEST(TMimeStructure, NestedMultipartsReturnToPreambleThenEpilogue) {
  TMime mime(false);
  mime.ResetArticle();
  std::size_t pos = 0;
  std::string line;
  bool last = false;
  std::vector<int> classes;
  std::vector<int> states;
  while (!last) {
    classes.push_back(static_cast<int>(
        mime.ParseLine(kNested, pos, line, nullptr, LineSource::Text, ParseDepth::Full, last)));
    states.push_back(static_cast<int>(mime.parseState()));
  }
  EXPECT_EQ(classes, (std::vector<int>{2, 2, 3, 1, 6, 4, 5, 6, 5, 11, 7, 1, 6, 4, 4, 5, 9, 7, 1}));
  EXPECT_EQ(states, (std::vector<int>{2, 2, 5, 5, 3, 3, 4, 3, 4, 4, 5, 5, 3, 3, 3, 4, 4, 13, 13}));
}

TEST(TMimeStructure, DeepNestingIsLimitedAndTheRestStaysText) {
  std::string text = "Content-Type: multipart/mixed; boundary=b0\r\n\r\n";
  for (int i = 1; i < 300; ++i) {
    text += "--b" + std::to_string(i - 1) + "\r\nContent-Type: multipart/mixed; boundary=b" +
            std::to_string(i) + "\r\n\r\n";
  }
  text += "deep text\r\n";
  TMime mime(false);
  mime.ResetArticle();
  const auto lines = ParseAll(mime, text);
  EXPECT_EQ(mime.boundaries().size(), kMaxBoundaryDepth);
  EXPECT_EQ(lines.back().lineClass, LineClass::Text);
}

struct NameCase {
  const char* name;
  bool withLookup;
  bool secondPart;
  std::string expected;
  friend void PrintTo(const NameCase& c, std::ostream* os) { *os << c.name; }
};

class UntitledNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(UntitledNames, FromPartCounterAndContentType) {
  test::TableMimeTypes table;
  FileOutput out(MimeEnvironment{GetParam().withLookup ? &table : nullptr, nullptr});
  const std::string gifPart =
      "Content-Type: image/gif\r\nContent-Transfer-Encoding: base64\r\n\r\nR0lG\r\n";
  const std::string text =
      GetParam().secondPart
          ? "Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n\r\ntext\r\n--b\r\n" +
                gifPart + "--b--\r\n"
          : gifPart;
  ParseAll(out.mime, text);
  EXPECT_EQ(out.dir.entries(), std::vector<std::string>{GetParam().expected});
}

INSTANTIATE_TEST_SUITE_P(
    Table, UntitledNames,
    ::testing::Values(NameCase{"SecondPartWithExtension", true, true, "untitled-3.gif"},
                      NameCase{"SecondPartWithoutExtension", false, true, "image-gif-3"},
                      NameCase{"SinglePartWithExtension", true, false, "untitled-1.gif"},
                      NameCase{"SinglePartWithoutExtension", false, false, "image-gif-1"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TMimeOutput, CollisionOptionTwoGivesFreeNames) {
  FileOutput out;
  auto& [dir, mime] = out;
  const std::string article =
      "Content-Type: image/jpeg; name=a.jpg\r\nContent-Transfer-Encoding: base64\r\n\r\nQQ==\r\n";
  for (int i = 0; i < 3; ++i) {
    mime.ResetArticle();
    ParseAll(mime, article);
  }
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"a.jpg", "a_0.jpg", "a_1.jpg"}));
  mime.setCollisionOption(0);
  mime.ResetArticle();
  ParseAll(mime, article);
  EXPECT_EQ(dir.entries().size(), 3u);
}

TEST(TMimeOutput, UnsafeNamesStayInsideTheOutputDirectory) {
  FileOutput out;
  auto& [dir, mime] = out;
  for (const std::string& name : std::vector<std::string>{"../escape.bin", "..", "/etc/x",
                                                          std::string(10000, 'n')}) {
    mime.ResetArticle();
    ParseAll(mime, "Content-Type: application/octet-stream; name=\"" + name +
                       "\"\r\nContent-Transfer-Encoding: base64\r\n\r\nQQ==\r\n");
  }
  for (const std::string& entry : dir.entries()) {
    EXPECT_LE(entry.size(), kMaxDecodedNameBytes + 4) << entry;
  }
  EXPECT_EQ(dir.entries().size(), 4u);
  EXPECT_FALSE(std::filesystem::exists(dir.path() + "/../escape.bin"));
}

TEST(TMimeOutput, ViewModeListsMemoryCopiesAndCollectsDecodedText) {
  TMime mime(false);
  mime.setOutputMode(OutputMode::View);
  mime.ResetArticle();
  ParseAll(mime,
           "Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n"
           "Content-Type: text/plain\r\nContent-Transfer-Encoding: base64\r\n\r\naGVsbG8=\r\n"
           "--b\r\nContent-Type: image/gif; name=p.gif\r\nContent-Transfer-Encoding: base64\r\n"
           "\r\nR0lG\r\n--b--\r\n");
  std::string text;
  ASSERT_TRUE(mime.TakeDecodedText(text));
  EXPECT_EQ(text, "hello");
  EXPECT_FALSE(mime.TakeDecodedText(text));
  ASSERT_EQ(mime.producedFiles().size(), 2u);
  EXPECT_EQ(mime.producedFiles()[1].name, "p.gif");
  EXPECT_EQ(mime.producedFiles()[1].memory, "GIF");
  EXPECT_FALSE(mime.producedFiles()[1].onDisk);
}

TEST(TMimeOutput, ViewModeFindsAnEqualFileInAKnownDirectory) {
  test::ScratchDir dir;
  test::WriteFileBytes(dir.file("p.gif"), "GIF");
  const std::vector<std::string> known{dir.path()};
  TMime mime(false);
  mime.setOutputMode(OutputMode::View);
  mime.setKnownDirectories(&known);
  mime.ResetArticle();
  ParseAll(mime, "Content-Type: image/gif; name=p.gif\r\nContent-Transfer-Encoding: base64\r\n"
                 "\r\nR0lG\r\n");
  ASSERT_EQ(mime.producedFiles().size(), 1u);
  EXPECT_EQ(mime.producedFiles()[0].name, dir.file("p.gif"));
  EXPECT_TRUE(mime.producedFiles()[0].onDisk);
}

struct SaveCase {
  const char* name;
  std::string saveTypes;
  bool autoSave;
  std::vector<std::string> saved;
  friend void PrintTo(const SaveCase& c, std::ostream* os) { *os << c.name; }
};

class AutoSaveRules : public ::testing::TestWithParam<SaveCase> {};

TEST_P(AutoSaveRules, SavesByTypeList) {
  test::ScratchDir dir;
  MimeSettings settings;
  settings.saveTypes = GetParam().saveTypes;
  settings.autoSaveAttachments = GetParam().autoSave;
  TMime mime(false, settings);
  mime.setOutputMode(OutputMode::ViewAutoSave);
  mime.setOutputDirectory(dir.path());
  for (const char* name : {"p.gif", "q.jpg"}) {
    for (int shown = 0; shown < 2; ++shown) {  // showing twice saves once
      mime.ResetArticle();
      ParseAll(mime, std::string("Content-Type: image/x; name=") + name +
                         "\r\nContent-Transfer-Encoding: base64\r\n\r\nR0lG\r\n");
    }
  }
  EXPECT_EQ(dir.entries(), GetParam().saved);
}

INSTANTIATE_TEST_SUITE_P(
    Table, AutoSaveRules,
    ::testing::Values(SaveCase{"DefaultSavesGif", ".GIF", false, {"p.gif"}},
                      SaveCase{"AutoSaveSavesAll", ".GIF", true, {"p.gif", "q.jpg"}},
                      SaveCase{"TildeSavesAllButListed", "~.JPG", false, {"p.gif"}},
                      SaveCase{"NothingListed", "", false, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TMimeOutput, AttachmentNamesLinesAndInnerMessages) {
  FileOutput out;
  auto& [dir, mime] = out;
  ParseAll(mime,
           "Subject: outer\r\nContent-Type: multipart/mixed; boundary=b\r\n\r\n"
           // The disposition's name wins over the type's, whatever their order.
           "--b\r\nContent-Disposition: attachment; filename=one.txt\r\n"
           "Content-Type: text/plain; name=two.txt\r\n\r\n"
           "line 1\r\nline 2\r\n"
           // The break before the boundary belongs to the boundary.
           "--b\r\nContent-Type: message/rfc822\r\n\r\n"
           "Subject: inner\r\nContent-Type: text/plain; name=in.txt\r\n"
           "Content-Disposition: attachment\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n"
           "caf=C3=A9=\r\n au lait\r\n--b--\r\n");
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"in.txt", "one.txt"}));
  EXPECT_EQ(test::ReadFileBytes(dir.file("one.txt")), "line 1\r\nline 2");
  EXPECT_EQ(test::ReadFileBytes(dir.file("in.txt")), "caf\xC3\xA9 au lait");
  EXPECT_EQ(mime.headers().subject, "outer");  // the inner message's headers stay its own

  // Outside a multipart, the attachment keeps its last line break.
  mime.ResetArticle();
  ParseAll(mime, "Content-Disposition: attachment; filename=q.txt\r\n"
                 "Content-Transfer-Encoding: quoted-printable\r\n\r\na=3D=\r\nb\r\nc\r\n");
  EXPECT_EQ(test::ReadFileBytes(dir.file("q.txt")), "a=b\r\nc\r\n");
}

TEST(Rot13, RotatesLettersOnly) {
  EXPECT_EQ(Rot13("Hello, World! 123"), "Uryyb, Jbeyq! 123");
}

}  // namespace
}  // namespace orvel
