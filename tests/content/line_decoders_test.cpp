// The uu, yEnc and base64 line decoders and the CRC-32, rule by rule.

#include <gtest/gtest.h>

#include <string>

#include "content/base64_lines.h"
#include "content/crc32.h"
#include "content/uu_lines.h"
#include "content/yenc_decoders.h"
#include "content/yenc_lines.h"

namespace orvel {
namespace {

// A uu line of n bytes: count character, then the encoded groups.
std::string uuLine(std::string_view bytes) {
  auto enc = [](int v) { return static_cast<char>(v == 0 ? '`' : v + 32); };
  std::string line(1, enc(static_cast<int>(bytes.size())));
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    unsigned char b[3] = {0, 0, 0};
    for (std::size_t k = 0; k < 3 && i + k < bytes.size(); ++k) {
      b[k] = static_cast<unsigned char>(bytes[i + k]);
    }
    line += enc(b[0] >> 2);
    line += enc((b[0] & 3) << 4 | b[1] >> 4);
    line += enc((b[1] & 15) << 2 | b[2] >> 6);
    line += enc(b[2] & 63);
  }
  return line;
}

const std::string k45 = "The quick brown fox jumps over the lazy dog..";

struct UUCase {
  const char* name;
  std::string line;
  int previous;
  int expected;  // byte count, or -1 for a rejected line
  friend void PrintTo(const UUCase& c, std::ostream* os) { *os << c.name; }
};

class UULengthRules : public ::testing::TestWithParam<UUCase> {};

TEST_P(UULengthRules, AcceptOrReject) {
  char out[kMaxUULineBytes + 3];
  EXPECT_EQ(DecodeUUBytes(GetParam().line, GetParam().previous, out), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, UULengthRules,
    ::testing::Values(
        UUCase{"FullLineOf45Bytes", uuLine(k45), -1, 45},
        UUCase{"OneExtraTrailingCharacterIgnored", uuLine(k45) + "X", -1, 45},
        UUCase{"TwoExtraCharactersOnMLineRejected", uuLine(k45) + "XY", -1, -1},
        UUCase{"OneByteWithFillLeftOut", uuLine("A").substr(0, 3), -1, 1},
        UUCase{"TwoBytesWithFillLeftOut", uuLine("AB").substr(0, 4), -1, 2},
        UUCase{"OneByteWithFullGroup", uuLine("A"), -1, 1},
        UUCase{"ShortMLineRejected", uuLine(k45).substr(0, 50), -1, -1},
        UUCase{"ShorterLineThanItsCountRejected", uuLine("ABCDEF").substr(0, 6), -1, -1},
        UUCase{"LongerShortLineUsesExpectedPart", uuLine("ABCDEF") + "JUNK", -1, 6},
        UUCase{"MoreBytesThanPreviousRejected", uuLine(k45), 30, -1},
        UUCase{"LongerThanPreviousAllowsRejected", uuLine("ABC") + std::string(40, '!'), 3, -1},
        UUCase{"FewerBytesThanPreviousAccepted", uuLine("ABCDEF"), 45, 6},
        UUCase{"InvalidCharacterRejected", "M" + std::string(59, 'A') + "{", -1, -1},
        UUCase{"ZeroLengthLine", "`", -1, 0},
        UUCase{"CountAbove60Rejected", std::string("~") + std::string(84, 'A'), -1, -1},
        UUCase{"EmptyLineRejected", "", -1, -1},
        UUCase{"LowerCaseCharactersMapLikeUpper", "!abcd", -1, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(UUDecode, BytesRoundTrip) {
  char out[kMaxUULineBytes + 3];
  ASSERT_EQ(DecodeUUBytes(uuLine(k45), -1, out), 45);
  EXPECT_EQ(std::string(out, 45), k45);
  ASSERT_EQ(DecodeUUBytes(uuLine("A").substr(0, 3), -1, out), 1);
  EXPECT_EQ(out[0], 'A');
}

TEST(UUDecode, ExpectedLengthTable) {
  EXPECT_EQ(UUExpectedLength(0), 1);
  EXPECT_EQ(UUExpectedLength(1), 5);
  EXPECT_EQ(UUExpectedLength(3), 5);
  EXPECT_EQ(UUExpectedLength(4), 9);
  EXPECT_EQ(UUExpectedLength(45), 61);
  EXPECT_EQ(UUExpectedLength(58), 81);
  EXPECT_EQ(UUExpectedLength(60), 81);
}

struct YEncCase {
  const char* name;
  std::string line;
  std::string bytes;
  bool ok;
  friend void PrintTo(const YEncCase& c, std::ostream* os) { *os << c.name; }
};

class YEncLine : public ::testing::TestWithParam<YEncCase> {};

// Each row through the chosen decoder and through every one the processor
// runs.
TEST_P(YEncLine, Decodes) {
  auto decoders = detail::YEncDecoders();
  decoders.push_back({"chosen", DecodeYEncBytes});
  for (const detail::NamedYEncDecoder& decoder : decoders) {
    std::string out(GetParam().line.size(), '\0');
    const YEncLineResult result = decoder.decode(GetParam().line, out.data());
    EXPECT_EQ(result.ok, GetParam().ok) << decoder.name;
    EXPECT_EQ(out.substr(0, result.size), GetParam().bytes) << decoder.name;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, YEncLine,
    ::testing::Values(YEncCase{"EqualsBraceGives0x13", "=}", "\x13", true},
                      YEncCase{"PlainCharactersLessFortyTwo", "kl", "AB", true},
                      YEncCase{"WrapsBelowZero", std::string("\x01", 1), "\xD7", true},
                      YEncCase{"EscapedNul", "=@", std::string("\xD6", 1), true},
                      YEncCase{"TrailingEqualsFails", "kl=", "AB", false},
                      YEncCase{"NulEndsLine", std::string("k\0l", 3), "A", true},
                      YEncCase{"EscapeBeforeNulFails", std::string("k=\0l", 4), "A", false},
                      YEncCase{"EmptyLine", "", "", true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(YEncKeywords, BeginPartAndEnd) {
  const YBeginLine b = ReadYBegin("=ybegin part=2 total=3 line=128 size=300000 name= my file.bin ");
  EXPECT_EQ(b.part, 2);
  EXPECT_EQ(b.total, 3);
  EXPECT_EQ(b.size, 300000);
  EXPECT_EQ(b.name, " my file.bin ");
  EXPECT_FALSE(ReadYBegin("=ybegin line=128 size=10").name.has_value());
  EXPECT_FALSE(ReadYBegin("=ybegin size=99999999999999999999999 name=x").size.has_value());

  const YPartLine p = ReadYPart("=ypart begin=128001 end=256000");
  EXPECT_EQ(p.begin, 128001);
  EXPECT_EQ(p.end, 256000);

  EXPECT_EQ(ReadYEndCrc("=yend size=3 part=1 pcrc32=7c52CA62 crc32=1", " pcrc32="), 0x7c52ca62u);
  EXPECT_EQ(ReadYEndCrc("=yend size=3 crc32=1c2e4efb", " crc32="), 0x1c2e4efbu);
  EXPECT_FALSE(ReadYEndCrc("=yend size=3 pcrc32=zz", " pcrc32=").has_value());
  EXPECT_FALSE(ReadYEndCrc("=yend size=3 CRC32=12345678", " crc32=").has_value());
}

TEST(Crc32, StandardCheckValueAndContinuation) {
  EXPECT_EQ(Crc32Update(0, "123456789", 9), 0xCBF43926u);
  EXPECT_EQ(Crc32Update(Crc32Update(0, "1234", 4), "56789", 5), 0xCBF43926u);
  EXPECT_EQ(Crc32Update(0, "", 0), 0u);
}

struct Base64Case {
  const char* name;
  const char* line;
  std::string bytes;
  friend void PrintTo(const Base64Case& c, std::ostream* os) { *os << c.name; }
};

class Base64Line : public ::testing::TestWithParam<Base64Case> {};

TEST_P(Base64Line, Decodes) {
  const std::string line = GetParam().line;
  std::string out((line.size() + 3) / 4 * 3, '\0');
  out.resize(DecodeBase64Bytes(line, out.data()));
  EXPECT_EQ(out, GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Base64Line,
    ::testing::Values(Base64Case{"PaddedToOneByte", "QQ==", "A"},
                      Base64Case{"PaddedToTwoBytes", "QUI=", "AB"},
                      Base64Case{"WholeGroups", "QUJDREVG", "ABCDEF"},
                      Base64Case{"StopsAtCarriageReturn", "QUJD\rQUJD", "ABC"},
                      Base64Case{"GarbageGroupAddsNothing", "QUJD!!!!", "ABC"},
                      Base64Case{"GarbageInsideGroupCountsZeroBits", "QU!D", "A@"},
                      Base64Case{"Empty", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orvel
