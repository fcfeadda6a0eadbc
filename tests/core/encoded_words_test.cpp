#include "core/encoded_words.h"

#include <gtest/gtest.h>

namespace orvel {
namespace {

struct QPCase {
  const char* name;
  const char* in;
  bool header;
  const char* out;
  bool hardEnd;
  friend void PrintTo(const QPCase& c, std::ostream* os) { *os << c.name; }
};

class DecodeQP : public ::testing::TestWithParam<QPCase> {};

TEST_P(DecodeQP, Line) {
  std::string line = GetParam().in;
  EXPECT_EQ(DecodeQPLine(line, GetParam().header), GetParam().hardEnd);
  EXPECT_EQ(line, GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DecodeQP,
    ::testing::Values(QPCase{"HexPairs", "caf=E9 cr=c3=a8me", false, "caf\xE9 cr\xC3\xA8me", true},
                      QPCase{"SoftBreakJoinsNextLine", "long line=", false, "long line", false},
                      QPCase{"TrailingBlanksTrimmedFirst", "text =   ", false, "text ", false},
                      QPCase{"NonHexBecomesSpace", "a=4Gb", false, "a b", true},
                      QPCase{"LoneCharAfterEqualsKept", "ab=4", false, "ab=4", true},
                      QPCase{"UnderscoreInHeaderMode", "caf=E9_au_lait", true,
                             "caf\xE9 au lait", true},
                      QPCase{"UnderscoreKeptInBody", "a_b", false, "a_b", true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DecodeBase64Text, GroupsKeepBytesByValidCount) {
  EXPECT_EQ(DecodeBase64Text("QQ=="), "A");
  EXPECT_EQ(DecodeBase64Text("QUI="), "AB");
  EXPECT_EQ(DecodeBase64Text("QUJD"), "ABC");
  EXPECT_EQ(DecodeBase64Text("Y2Fmw6k="), "caf\xC3\xA9");
  EXPECT_EQ(DecodeBase64Text(""), "");
}

// RFC 4648's test vectors, and bytes with the high bit and NUL, which
// credentials carry ("\0user\0password").
TEST(EncodeBase64Text, StandardVectorsAndBinaryBytes) {
  const std::pair<std::string, std::string> rows[] = {
      {"", ""},           {"f", "Zg=="},         {"fo", "Zm8="},
      {"foo", "Zm9v"},    {"foob", "Zm9vYg=="},  {"fooba", "Zm9vYmE="},
      {"foobar", "Zm9vYmFy"},
      {std::string("\0tester\0secret", 14), "AHRlc3RlcgBzZWNyZXQ="},
      {"\xFF\xFE\xFD", "//79"},
  };
  for (const auto& [in, out] : rows) {
    EXPECT_EQ(EncodeBase64Text(in), out) << in;
    EXPECT_EQ(DecodeBase64Text(out), in) << out;
  }
}

struct WordCase {
  const char* name;
  const char* in;
  const char* out;
  friend void PrintTo(const WordCase& c, std::ostream* os) { *os << c.name; }
};

class DecodeWords : public ::testing::TestWithParam<WordCase> {};

TEST_P(DecodeWords, ToUtf8) { EXPECT_EQ(DecodeEncodedWords(GetParam().in), GetParam().out); }

INSTANTIATE_TEST_SUITE_P(
    Cases, DecodeWords,
    ::testing::Values(
        WordCase{"PlainTextUntouched", "Hello world", "Hello world"},
        WordCase{"Latin1Q", "=?ISO-8859-1?Q?caf=E9_au_lait?=", "caf\xC3\xA9 au lait"},
        WordCase{"Utf8B", "=?utf-8?b?Y2Fmw6k=?= noir", "caf\xC3\xA9 noir"},
        WordCase{"BlanksBetweenAdjacentWordsDropped", "=?UTF-8?Q?a?= =?UTF-8?Q?b?=", "ab"},
        WordCase{"CharacterSplitAcrossWords", "=?UTF-8?B?w6?= =?UTF-8?B?qQ==?=", "\xC3\xA9"},
        WordCase{"TextAroundKept", "Re: =?iso-8859-15?q?=A4uro?= now",
                 "Re: \xE2\x82\xAC" "uro now"},
        WordCase{"KoreanCharset", "=?EUC-KR?B?x9HHwQ==?=", "\xED\x95\x9C\xED\x94\x84"},
        WordCase{"UnknownCharsetFallsBack", "=?x-nothing?Q?caf=E9?=", "caf\xC3\xA9"},
        WordCase{"LanguageSuffix", "=?utf-8*fr?Q?=C3=A9t=C3=A9?=", "\xC3\xA9t\xC3\xA9"},
        WordCase{"MalformedLeftAlone", "=?utf-8?X?abc?= =?broken", "=?utf-8?X?abc?= =?broken"},
        WordCase{"EmptyTextIsNotAWord", "=?utf-8?Q?" "?=", "=?utf-8?Q?" "?="},
        WordCase{"RawLatin1OutsideWordsKept", "caf\xE9 =?utf-8?Q?ok?=", "caf\xE9 ok"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orvel

namespace orvel {
namespace {

TEST(DecodeExtendedParameter, CharsetLanguageAndPercentBytes) {
  EXPECT_EQ(DecodeExtendedParameter("utf-8'fr'na%C3%AFve.txt"), "na\xC3\xAFve.txt");
  EXPECT_EQ(DecodeExtendedParameter("iso-8859-1''caf%E9.txt"), "caf\xC3\xA9.txt");
  EXPECT_EQ(DecodeExtendedParameter("plain%20name"), "plain name");
  EXPECT_EQ(DecodeExtendedParameter("bad%zz%4"), "bad%zz%4");
}

}  // namespace
}  // namespace orvel
