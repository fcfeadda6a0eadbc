// uuencode and yEnc through TMime: begin, part and end lines, CRC checks,
// multi-part continuation, yEnc parts written at their offsets (in any
// order, never outside the file) and the text tests.

#include <gtest/gtest.h>

#include "content/file_names.h"
#include "content/mime.h"
#include "content_test_support.h"
#include "viewer_test_support.h"
#include "yenc_test_encoder.h"

namespace orvel {
namespace {

using test::ParseAll;

class BinaryDecoding : public ::testing::Test {
 protected:
  BinaryDecoding() : mime_(false) {
    mime_.setOutputMode(OutputMode::File);
    mime_.setOutputDirectory(dir_.path());
    mime_.setCompletionEvent([this](TMime& m, int code) {
      const std::string& path = m.lastClosedFile();
      events_.push_back(std::to_string(code) + " " + path.substr(path.rfind('/') + 1));
    });
  }
  std::vector<test::ParsedLine> feed(std::string_view article) {
    mime_.ResetArticle();
    return ParseAll(mime_, article);
  }

  test::ScratchDir dir_;
  TMime mime_;
  std::vector<std::string> events_;
  const std::string data_ = test::RandomBytes(1000, 7);
};

TEST_F(BinaryDecoding, SinglePartShortOfItsSizeIsIncomplete) {
  feed("X: y\r\n\r\n=ybegin line=128 size=1000 name=a.bin\r\n" + test::YEncLines(data_.substr(0, 500)) +
       "=yend size=500\r\n");
  EXPECT_EQ(events_, std::vector<std::string>{"11 a.bin"});
}

struct CrcCase {
  const char* name;
  int parts;
  std::string crc;
  bool error;
  std::vector<std::string> events;
  friend void PrintTo(const CrcCase& c, std::ostream* os) { *os << c.name; }
};

class YEncCrc : public BinaryDecoding, public ::testing::WithParamInterface<CrcCase> {};

TEST_P(YEncCrc, MismatchSetsTheFlag) {
  feed(test::YEncArticle("a.bin", data_, 1, GetParam().parts, true, GetParam().crc));
  EXPECT_EQ(mime_.crcError(), GetParam().error);
  EXPECT_EQ(mime_.outputOpen(), GetParam().parts > 0);
  EXPECT_EQ(events_, GetParam().events);
  if (GetParam().parts == 0) EXPECT_EQ(test::ReadFileBytes(dir_.file("a.bin")), data_);
}

INSTANTIATE_TEST_SUITE_P(
    Table, YEncCrc,
    ::testing::Values(CrcCase{"SinglePartRight", 0, "", false, {"10 a.bin"}},
                      CrcCase{"SinglePartWrong", 0, "12345678", true, {"12 a.bin"}},
                      CrcCase{"SinglePartZeroNotCompared", 0, "0", false, {"10 a.bin"}},
                      CrcCase{"SinglePartOneNotCompared", 0, "1", false, {"10 a.bin"}},
                      CrcCase{"PartWrong", 2, "deadbeef", true, {}},
                      CrcCase{"PartRight", 2, "", false, {}}),
    [](const auto& info) { return std::string(info.param.name); });

struct ClassCase {
  const char* name;
  std::string article;
  std::vector<int> classes;
  std::vector<std::string> files;
  friend void PrintTo(const ClassCase& c, std::ostream* os) { *os << c.name; }
};

class YEncLineClasses : public BinaryDecoding, public ::testing::WithParamInterface<ClassCase> {};

TEST_P(YEncLineClasses, Table) {
  EXPECT_EQ(test::Classes(feed(GetParam().article)), GetParam().classes);
  EXPECT_EQ(dir_.entries(), GetParam().files);
}

INSTANTIATE_TEST_SUITE_P(
    Table, YEncLineClasses,
    ::testing::Values(
        ClassCase{"WholePart", test::YEncArticle("m.bin", "0123456789", 1, 1), {2, 3, 8, 8, 9, 10},
                  {"m.bin"}},
        ClassCase{"BeginWithoutNameIsText", "Subject: x\r\n\r\n=ybegin line=128 size=3\r\nabc\r\n",
                  {2, 3, 11, 11}, {}},
        ClassCase{"BadYPartTurnsThePartIntoText",
                  "X: y\r\n\r\n=ybegin part=1 size=2 name=p.bin\r\nkl\r\n", {2, 3, 8, 11}, {"p.bin"}},
        ClassCase{"TrailingEqualsDropsBackToText",
                  "X: y\r\n\r\n=ybegin size=2 name=p.bin\r\nkl=\r\nmore\r\n=yend size=2\r\n",
                  {2, 3, 8, 11, 11, 11}, {"p.bin"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BinaryDecoding, AbsurdSizesAllocateNothing) {
  feed("Subject: x\r\n\r\n=ybegin line=128 size=1099511627776 name=big.bin\r\nkl\r\n"
       "=yend size=1099511627776\r\n");
  feed("Subject: x\r\n\r\n=ybegin line=128 size=-5 name=neg.bin\r\nkl\r\n=yend size=2\r\n");
  EXPECT_EQ(test::ReadFileBytes(dir_.file("big.bin")), "AB");
  EXPECT_EQ(test::ReadFileBytes(dir_.file("neg.bin")), "AB");
}

const std::string kUUBody =
    "begin 644 \"hello.txt\"\r\n"
    "M5&AE('%U:6-K(&)R;W=N(&9O>\"!J=6UP<R!O=F5R('1H92!L87IY(&1O9RXN\r\n"
    "!\"@``\r\n"
    "`\r\n"
    "end\r\n";

TEST_F(BinaryDecoding, UUFileWithTextNameAlsoFeedsTheDecodedText) {
  mime_.setOutputMode(OutputMode::View);
  const auto lines = feed("Subject: x\r\n\r\n" + kUUBody);
  EXPECT_EQ(test::Classes(lines), (std::vector<int>{2, 3, 8, 9, 9, 10, 11}));
  std::string text;
  ASSERT_TRUE(mime_.TakeDecodedText(text));
  EXPECT_EQ(text, "The quick brown fox jumps over the lazy dog..\n");
  ASSERT_EQ(mime_.producedFiles().size(), 1u);
  EXPECT_EQ(mime_.producedFiles()[0].name, "hello.txt");
}

TEST_F(BinaryDecoding, UUSplitOverTwoArticles) {
  const std::string first = kUUBody.substr(0, kUUBody.find("!\"@"));
  const std::string second = kUUBody.substr(first.size());
  feed("Subject: a (1/2)\r\n\r\n" + first);
  EXPECT_TRUE(mime_.outputOpen());
  const auto lines = feed("Subject: a (2/2)\r\n\r\n" + second);
  EXPECT_EQ(mime_.parseState(), ParseState::Body);
  EXPECT_EQ(test::Classes(lines), (std::vector<int>{2, 3, 9, 10, 11}));
  EXPECT_EQ(test::ReadFileBytes(dir_.file("hello.txt")),
            "The quick brown fox jumps over the lazy dog..\n");
}

TEST_F(BinaryDecoding, UUTextTests) {
  const std::string m = "M5&AE('%U:6-K(&)R;W=N(&9O>\"!J=6UP<R!O=F5R('1H92!L87IY(&1O9RXN";
  const auto lines = feed("X: y\r\n\r\nbegin 644 t.bin\r\n" + m +
                          "\r\n--- cut here ---\r\n" + m +  // decodes after "cut here"
                          "\r\nsome text\r\n" + m +         // same length after text: data
                          "\r\nmore text\r\n#0V%T\r\n"      // other length after text: text
                          "end\r\n");
  EXPECT_EQ(test::Classes(lines), (std::vector<int>{2, 3, 8, 9, 11, 9, 11, 9, 11, 11, 10}));
  EXPECT_EQ(test::ReadFileBytes(dir_.file("t.bin")).size(), 135u);
}

struct BeginCase {
  const char* name;
  std::string line;
  bool begins;
  friend void PrintTo(const BeginCase& c, std::ostream* os) { *os << c.name; }
};

class UUBeginLines : public BinaryDecoding, public ::testing::WithParamInterface<BeginCase> {};

TEST_P(UUBeginLines, Accepted) {
  const auto lines = feed("X: y\r\n\r\n" + GetParam().line + "\r\n");
  EXPECT_EQ(lines.back().lineClass == LineClass::Begin, GetParam().begins);
}

INSTANTIATE_TEST_SUITE_P(
    Table, UUBeginLines,
    ::testing::Values(BeginCase{"Mode644", "begin 644 a.bin", true},
                      BeginCase{"Mode777", "begin 777 a.bin", true},
                      BeginCase{"Mode778Rejected", "begin 778 a.bin", false},
                      BeginCase{"NoNumber", "begin here we go", false},
                      BeginCase{"NoName", "begin 644", false},
                      BeginCase{"BlankName", "begin 644   ", false},
                      BeginCase{"PathInName", "begin 644 ../../x.bin", true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BinaryDecoding, PathInBeginLineStaysInTheDirectory) {
  feed("X: y\r\n\r\nbegin 644 ../../x.bin\r\n`\r\nend\r\n");
  EXPECT_EQ(dir_.entries(), std::vector<std::string>{"..-..-x.bin"});
}

TEST_F(BinaryDecoding, MessagePartialBase64AcrossArticles) {
  const std::string data = test::RandomBytes(300, 3);
  // base64 of the data cut into three article bodies of whole lines.
  const std::string encoded = test::Base64Lines(data);
  const std::size_t cut1 = encoded.find("\r\n") + 2;
  const std::size_t cut2 = encoded.find("\r\n", cut1) + 2;
  const std::string head = "MIME-Version: 1.0\r\nContent-Type: message/partial; id=\"x\"; number=";
  feed(head + "1; total=3\r\n\r\nContent-Type: application/octet-stream; name=p.bin\r\n"
              "Content-Transfer-Encoding: base64\r\n\r\n" + encoded.substr(0, cut1));
  EXPECT_TRUE(mime_.outputOpen());
  feed(head + "2; total=3\r\n\r\n" + encoded.substr(cut1, cut2 - cut1));
  EXPECT_TRUE(mime_.outputOpen());
  feed(head + "3; total=3\r\n\r\n" + encoded.substr(cut2));
  EXPECT_FALSE(mime_.outputOpen());
  EXPECT_EQ(test::ReadFileBytes(dir_.file("p.bin")), data);
}

TEST_F(BinaryDecoding, ResetWithoutContinuationLeavesAnIncompleteFile) {
  feed("Subject: a (1/2)\r\n\r\n" + kUUBody.substr(0, kUUBody.find("!\"@")));
  mime_.clearMultipartContinuation();
  feed("Subject: other\r\n\r\ntext\r\n");
  EXPECT_EQ(events_, std::vector<std::string>{"11 hello.txt"});
}

// A yEnc file written at offsets waits for its parts across other
// articles; another file, or other content written to a file, sets it
// aside.
TEST_F(BinaryDecoding, PlacedFileWaitsUntilAnotherFileBegins) {
  feed(test::YEncArticle("m.bin", data_, 1, 3));
  feed("Subject: other\r\n\r\ntext\r\n--x\r\n");
  EXPECT_TRUE(mime_.placedOutputOpen());
  feed(test::YEncArticle("m.bin", data_, 3, 3));
  EXPECT_TRUE(events_.empty());
  feed(test::YEncArticle("n.bin", data_, 1, 2));
  EXPECT_EQ(events_, std::vector<std::string>{"11 m.bin"});
  EXPECT_EQ(mime_.lastClosed().parts->missingParts(), std::vector<std::int64_t>{2});
  feed("Content-Type: application/x-y; name=b.bin\r\nContent-Transfer-Encoding: base64\r\n\r\n"
       "QUJD\r\n");
  EXPECT_EQ(events_, (std::vector<std::string>{"11 m.bin", "11 n.bin", "10 b.bin"}));
}

struct OrderCase {
  const char* name;
  std::vector<int> parts;
  bool withTotal;  // without "total=", the part ending at the size closes the file
  friend void PrintTo(const OrderCase& c, std::ostream* os) { *os << c.name; }
};

class YEncPartOrder : public BinaryDecoding, public ::testing::WithParamInterface<OrderCase> {};

// The file closes with the part that brings its last missing bytes, and
// only then, whatever the order.
TEST_P(YEncPartOrder, FileClosesWhenItsLastMissingPartArrives) {
  const std::vector<int>& parts = GetParam().parts;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    feed(test::YEncArticle("m.bin", data_, parts[i], 4, GetParam().withTotal));
    EXPECT_EQ(mime_.outputOpen(), i + 1 < parts.size()) << "after part " << parts[i];
  }
  EXPECT_EQ(events_, std::vector<std::string>{"10 m.bin"});
  EXPECT_EQ(test::ReadFileBytes(dir_.file("m.bin")), data_);
}

INSTANTIATE_TEST_SUITE_P(Table, YEncPartOrder,
                         ::testing::Values(OrderCase{"InOrder", {1, 2, 3, 4}, true},
                                           OrderCase{"InOrderWithoutTotal", {1, 2, 3, 4}, false},
                                           OrderCase{"Reversed", {4, 3, 2, 1}, true},
                                           OrderCase{"Shuffled", {3, 1, 4, 2}, true},
                                           OrderCase{"LastFirst", {4, 1, 2, 3}, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// A file of several MiB: its bytes pass through many output buffers and the
// CRC is folded in many spans, in every output mode and part order; a
// right CRC never fails, and a wrong one is still found.
struct LargeCase {
  const char* name;
  OutputMode mode;
  std::vector<int> parts;  // empty: single part
  bool rightCrc;
  friend void PrintTo(const LargeCase& c, std::ostream* os) { *os << c.name; }
};

class YEncLargeFile : public BinaryDecoding, public ::testing::WithParamInterface<LargeCase> {};

TEST_P(YEncLargeFile, CrcOverManyBuffers) {
  const LargeCase& c = GetParam();
  const std::string data = test::RandomBytes(OutputFile::kBufferSize * 5 / 2 + 77, 11);
  std::string wrong = data;
  wrong.back() = static_cast<char>(wrong.back() ^ 1);
  const std::string crc = c.rightCrc ? "" : test::Hex(Crc32Update(0, wrong.data(), wrong.size()));
  mime_.setOutputMode(c.mode);
  bool anyError = false;
  if (c.parts.empty()) {
    feed(test::YEncArticle("big.bin", data, 0, 0, true, crc));
    anyError = mime_.crcError();
  }
  const auto total = static_cast<int>(c.parts.size());
  for (int k : c.parts) {
    // A wrong CRC is given for the last part's bytes only.
    const bool last = static_cast<std::size_t>(k) == c.parts.size();
    feed(test::YEncArticle("big.bin", data, k, total, true, last ? crc : "",
                           last ? crc : ""));
    anyError = anyError || mime_.crcError();
  }
  EXPECT_EQ(anyError, !c.rightCrc);
  if (c.mode == OutputMode::File && c.rightCrc) {
    EXPECT_EQ(events_, std::vector<std::string>{"10 big.bin"});
    EXPECT_EQ(test::ReadFileBytes(dir_.file("big.bin")), data);
  }
  if (c.mode == OutputMode::View) {
    ASSERT_EQ(mime_.producedFiles().size(), 1u);
    EXPECT_EQ(mime_.producedFiles()[0].memory, data);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, YEncLargeFile,
    ::testing::Values(LargeCase{"FileSinglePart", OutputMode::File, {}, true},
                      LargeCase{"FileSinglePartWrong", OutputMode::File, {}, false},
                      LargeCase{"FilePartsInOrder", OutputMode::File, {1, 2, 3}, true},
                      LargeCase{"FilePartsShuffled", OutputMode::File, {3, 1, 2}, true},
                      LargeCase{"FileLastPartWrong", OutputMode::File, {1, 2, 3}, false},
                      LargeCase{"ViewSinglePart", OutputMode::View, {}, true},
                      LargeCase{"NoOutputSinglePart", OutputMode::None, {}, true},
                      LargeCase{"NoOutputSinglePartWrong", OutputMode::None, {}, false}),
    [](const auto& info) { return std::string(info.param.name); });

// A part running past the end its "=ypart" line gave is not written past
// it, but its CRC still covers every byte it decoded.
TEST_F(BinaryDecoding, PartRunningOverIsCheckedOnAllItsBytes) {
  const std::string data = test::RandomBytes(4000, 9);
  for (const bool right : {true, false}) {
    const std::uint32_t crc = Crc32Update(right ? 0 : 1, data.data(), data.size());
    feed("X: y\r\n\r\n=ybegin part=1 total=2 line=128 size=8000 name=o.bin\r\n=ypart begin=1 end=500\r\n" +
         test::YEncLines(data) + "=yend size=4000 part=1 pcrc32=" + test::Hex(crc) + "\r\n");
    EXPECT_EQ(mime_.crcError(), !right);
  }
}

// The data lines taken in one go, as a decode batch takes a stored article,
// give what ParseLine gives line by line: the same files, bytes, CRC
// outcome, last line class and position, whatever ends the data.
struct RunCase {
  const char* name;
  std::string article;
  friend void PrintTo(const RunCase& c, std::ostream* os) { *os << c.name; }
};

struct RunOutcome {
  std::vector<std::string> events;
  std::string bytes;
  bool crcError;
  int lastClass;
};

RunOutcome parseStored(const std::string& article, bool inRuns) {
  test::ScratchDir dir;
  TMime mime(false);
  mime.setOutputMode(OutputMode::File);
  mime.setOutputDirectory(dir.path());
  RunOutcome out{};
  mime.setCompletionEvent([&](TMime& m, int code) {
    out.events.push_back(std::to_string(code) + " " + m.lastClosedFile());
    out.bytes = test::ReadFileBytes(m.lastClosedFile());
  });
  mime.ResetArticle();
  std::size_t pos = 0;
  std::string line;
  bool last = false;
  LineClass c = LineClass::Incomplete;
  while (!last) {
    if (inRuns) mime.ParseYEncDataLines(article, pos);
    c = mime.ParseLine(article, pos, line, nullptr, LineSource::Text, ParseDepth::Full, last);
  }
  out.crcError = mime.crcError();
  out.lastClass = static_cast<int>(c);
  mime.DropOutput();
  for (std::string& e : out.events) e = e.substr(0, e.find(' '));  // paths differ per dir
  return out;
}

class YEncDataRuns : public ::testing::TestWithParam<RunCase> {};

TEST_P(YEncDataRuns, SameAsLineByLine) {
  const RunOutcome lines = parseStored(GetParam().article, false);
  const RunOutcome runs = parseStored(GetParam().article, true);
  EXPECT_EQ(runs.events, lines.events);
  EXPECT_EQ(runs.bytes, lines.bytes);
  EXPECT_EQ(runs.crcError, lines.crcError);
  EXPECT_EQ(runs.lastClass, lines.lastClass);
}

const std::string kRunData = test::RandomBytes(3000, 13);
const std::string kRunArticle = test::YEncArticle("r.bin", kRunData, 0, 0);
const std::string kRunBody = test::YEncLines(kRunData);

INSTANTIATE_TEST_SUITE_P(
    Table, YEncDataRuns,
    ::testing::Values(
        RunCase{"SinglePart", kRunArticle},
        RunCase{"WrongCrc", test::YEncArticle("r.bin", kRunData, 0, 0, true, "12345678")},
        RunCase{"Part", test::YEncArticle("r.bin", kRunData, 2, 3)},
        RunCase{"NoEndLine", kRunArticle.substr(0, kRunArticle.rfind("=yend"))},
        RunCase{"NoFinalLineEnd", kRunArticle.substr(0, kRunArticle.size() - 2)},
        RunCase{"FinalNul", kRunArticle + std::string(1, '\0')},
        RunCase{"NulInData", "X: y\r\n\r\n=ybegin line=128 size=3000 name=r.bin\r\n" +
                                 kRunBody.substr(0, 500) + std::string(1, '\0') +
                                 kRunBody.substr(500) + "=yend size=3000\r\n"},
        RunCase{"LoneEscapeEndsData", "X: y\r\n\r\n=ybegin line=128 size=3000 name=r.bin\r\n" +
                                          kRunBody.substr(0, 260) + "abc=\r\n" +
                                          kRunBody.substr(260) + "=yend size=3000\r\n"},
        RunCase{"BareLfAndCr", "X: y\r\n\r\n=ybegin line=128 size=3 name=r.bin\nkkk\rkk\n=yend size=3\n"},
        RunCase{"TwoFiles", kRunArticle + test::YEncArticle("s.bin", kRunData, 0, 0).substr(14)}),
    [](const auto& info) { return std::string(info.param.name); });

// Parts whose numbers come from the network and lie: nothing is written
// outside the file the first "=ybegin" sized, and such a part does not
// count.
struct RangeCase {
  const char* name;
  std::string article;
  friend void PrintTo(const RangeCase& c, std::ostream* os) { *os << c.name; }
};

class YEncPartRange : public BinaryDecoding, public ::testing::WithParamInterface<RangeCase> {};

TEST_P(YEncPartRange, NeverWritesOutsideTheFile) {
  feed(test::YEncArticle("r.bin", data_, 1, 2));
  feed(GetParam().article);
  EXPECT_TRUE(events_.empty());
  for (const std::string& name : dir_.entries()) {
    EXPECT_LE(test::ReadFileBytes(dir_.file(name)).size(), data_.size()) << name;
  }
  if (mime_.placedOutputOpen()) {
    mime_.DropOutput();
    EXPECT_EQ(mime_.lastClosed().parts->missingParts(), std::vector<std::int64_t>{2});
  }
}

const std::string kPart2 = "=ybegin part=2 total=2 line=128 size=1000 name=r.bin\r\n";
const std::string kTenBytes = "klmnopqrst\r\n";

INSTANTIATE_TEST_SUITE_P(
    Table, YEncPartRange,
    ::testing::Values(
        RangeCase{"EndPastTheSize", "X: y\r\n\r\n" + kPart2 + "=ypart begin=995 end=1004\r\n" +
                                        kTenBytes + "=yend size=10 part=2\r\n"},
        RangeCase{"BeginZero", "X: y\r\n\r\n" + kPart2 + "=ypart begin=0 end=9\r\n" + kTenBytes +
                                   "=yend size=10 part=2\r\n"},
        RangeCase{"EndBeforeBegin", "X: y\r\n\r\n" + kPart2 + "=ypart begin=600 end=501\r\n" +
                                        kTenBytes + "=yend size=10 part=2\r\n"},
        RangeCase{"MoreBytesThanAnnounced",
                  "X: y\r\n\r\n" + kPart2 + "=ypart begin=996 end=1000\r\n" + kTenBytes +
                      "=yend size=10 part=2\r\n"},
        RangeCase{"FewerBytesThanAnnounced",
                  "X: y\r\n\r\n" + kPart2 + "=ypart begin=501 end=1000\r\n" + kTenBytes +
                      "=yend size=500 part=2\r\n"},
        RangeCase{"HugeSizeIsAnotherFileNeverPlaced",
                  "X: y\r\n\r\n=ybegin part=2 line=128 size=1099511627776 name=r.bin\r\n"
                  "=ypart begin=1099511627767 end=1099511627776\r\n" + kTenBytes + "=yend size=10\r\n"},
        RangeCase{"NoSizeIsNeverPlaced",
                  "X: y\r\n\r\n=ybegin part=2 line=128 name=r.bin\r\n=ypart begin=501 end=510\r\n" +
                      kTenBytes + "=yend size=10\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

// Another copy of a part already held sound is not written again; a copy
// of a part that failed its check is, and the file then passes.
TEST_F(BinaryDecoding, CopiesOfAPartReplaceOnlyAFailedOne) {
  const std::string other = test::RandomBytes(data_.size(), 8);
  feed(test::YEncArticle("m.bin", data_, 1, 3));
  feed(test::YEncArticle("m.bin", other, 1, 3));  // another file's bytes, sound in itself
  feed(test::YEncArticle("m.bin", data_, 2, 3, true, "deadbeef"));
  EXPECT_TRUE(mime_.crcError());
  feed(test::YEncArticle("m.bin", data_, 2, 3));
  feed(test::YEncArticle("m.bin", data_, 3, 3));
  EXPECT_EQ(events_, std::vector<std::string>{"10 m.bin"});
  EXPECT_EQ(test::ReadFileBytes(dir_.file("m.bin")), data_);
}

TEST_F(BinaryDecoding, CrcOutcomes) {
  feed(test::YEncArticle("b.bin", data_, 1, 2, true, "deadbeef"));
  feed(test::YEncArticle("b.bin", data_, 2, 2));
  feed(test::YEncArticle("c.bin", data_, 2, 2, true, {}, "0badc0de"));
  feed(test::YEncArticle("c.bin", data_, 1, 2));
  EXPECT_TRUE(mime_.lastClosed().wholeCrcFailed);
  EXPECT_EQ(events_, (std::vector<std::string>{"12 b.bin", "12 c.bin"}));
}

}  // namespace
}  // namespace orvel
