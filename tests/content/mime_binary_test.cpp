// uuencode and yEnc through TMime: begin, part and end lines, CRC checks,
// multi-part continuation and the text tests.

#include <gtest/gtest.h>

#include "content/file_names.h"
#include "content/mime.h"
#include "content_test_support.h"
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

TEST_F(BinaryDecoding, SinglePartYEncWithMatchingCrcCloses) {
  feed(test::YEncArticle("a.bin", data_, 0, 0));
  EXPECT_FALSE(mime_.crcError());
  EXPECT_FALSE(mime_.outputOpen());
  EXPECT_EQ(events_, std::vector<std::string>{"10 a.bin"});
  EXPECT_EQ(test::ReadFileBytes(dir_.file("a.bin")), data_);
}

struct CrcCase {
  const char* name;
  int parts;
  std::string crc;
  bool error;
  friend void PrintTo(const CrcCase& c, std::ostream* os) { *os << c.name; }
};

class YEncCrc : public BinaryDecoding, public ::testing::WithParamInterface<CrcCase> {};

TEST_P(YEncCrc, MismatchSetsTheFlag) {
  feed(test::YEncArticle("a.bin", data_, 1, GetParam().parts, true, GetParam().crc));
  EXPECT_EQ(mime_.crcError(), GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Table, YEncCrc,
    ::testing::Values(CrcCase{"SinglePartWrong", 0, "12345678", true},
                      CrcCase{"SinglePartZeroNotCompared", 0, "0", false},
                      CrcCase{"SinglePartOneNotCompared", 0, "1", false},
                      CrcCase{"PartWrong", 2, "deadbeef", true},
                      CrcCase{"PartRight", 2, "", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BinaryDecoding, PartTwoOfThreeKeepsTheFileOpenAcrossArticles) {
  feed(test::YEncArticle("m.bin", data_, 1, 3));
  EXPECT_TRUE(mime_.outputOpen());
  feed(test::YEncArticle("m.bin", data_, 2, 3));
  EXPECT_TRUE(mime_.outputOpen());
  EXPECT_TRUE(mime_.multipartContinuation());
  feed(test::YEncArticle("m.bin", data_, 3, 3));
  EXPECT_FALSE(mime_.outputOpen());
  EXPECT_EQ(events_, std::vector<std::string>{"10 m.bin"});
  EXPECT_EQ(test::ReadFileBytes(dir_.file("m.bin")), data_);
}

TEST_F(BinaryDecoding, EndEqualToSizeClosesWithoutTotal) {
  feed(test::YEncArticle("m.bin", data_, 1, 2, false));
  EXPECT_TRUE(mime_.outputOpen());
  feed(test::YEncArticle("m.bin", data_, 2, 2, false));
  EXPECT_FALSE(mime_.outputOpen());
  EXPECT_EQ(test::ReadFileBytes(dir_.file("m.bin")), data_);
}

TEST_F(BinaryDecoding, YEncLineClasses) {
  const auto lines = feed(test::YEncArticle("m.bin", data_.substr(0, 10), 1, 1));
  EXPECT_EQ(test::Classes(lines), (std::vector<int>{2, 3, 8, 8, 9, 10}));
}

TEST_F(BinaryDecoding, BeginWithoutNameIsText) {
  const auto lines = feed("Subject: x\r\n\r\n=ybegin line=128 size=3\r\nabc\r\n");
  EXPECT_EQ(test::Classes(lines), (std::vector<int>{2, 3, 11, 11}));
  EXPECT_TRUE(dir_.entries().empty());
}

TEST_F(BinaryDecoding, AbsurdSizesAllocateNothing) {
  feed("Subject: x\r\n\r\n=ybegin line=128 size=1099511627776 name=big.bin\r\nkl\r\n"
       "=yend size=1099511627776\r\n");
  feed("Subject: x\r\n\r\n=ybegin line=128 size=-5 name=neg.bin\r\nkl\r\n=yend size=2\r\n");
  EXPECT_EQ(test::ReadFileBytes(dir_.file("big.bin")), "AB");
  EXPECT_EQ(test::ReadFileBytes(dir_.file("neg.bin")), "AB");
}

TEST_F(BinaryDecoding, BadYPartTurnsThePartIntoText) {
  const auto lines = feed("X: y\r\n\r\n=ybegin part=1 size=2 name=p.bin\r\nkl\r\n");
  EXPECT_EQ(test::Classes(lines), (std::vector<int>{2, 3, 8, 11}));
}

TEST_F(BinaryDecoding, TrailingEqualsDropsBackToText) {
  const auto lines = feed("X: y\r\n\r\n=ybegin size=2 name=p.bin\r\nkl=\r\nmore\r\n=yend size=2\r\n");
  EXPECT_EQ(test::Classes(lines), (std::vector<int>{2, 3, 8, 11, 11, 11}));
  EXPECT_EQ(mime_.transferEncoding(), TransferEncoding::None);
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
  for (const std::string& entry : dir_.entries()) EXPECT_EQ(entry.find('/'), std::string::npos);
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
  std::string encoded;
  {
    static const char* alphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (std::size_t i = 0; i < data.size(); i += 3) {
      unsigned v = static_cast<unsigned char>(data[i]) << 16;
      if (i + 1 < data.size()) v |= static_cast<unsigned char>(data[i + 1]) << 8;
      if (i + 2 < data.size()) v |= static_cast<unsigned char>(data[i + 2]);
      encoded += alphabet[v >> 18 & 63];
      encoded += alphabet[v >> 12 & 63];
      encoded += i + 1 < data.size() ? alphabet[v >> 6 & 63] : '=';
      encoded += i + 2 < data.size() ? alphabet[v & 63] : '=';
      if (encoded.size() % 78 == 76) encoded += "\r\n";
    }
    encoded += "\r\n";
  }
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
  feed(test::YEncArticle("m.bin", data_, 1, 3));
  mime_.clearMultipartContinuation();
  feed("Subject: other\r\n\r\ntext\r\n");
  EXPECT_EQ(events_, std::vector<std::string>{"11 m.bin"});
}

}  // namespace
}  // namespace orvel
