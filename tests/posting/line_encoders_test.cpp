#include "posting/line_encoders.h"

#include <gtest/gtest.h>

#include <string>

#include "posting/line_sink.h"

namespace orvel {
namespace {

std::string yEncLine(const std::string& in, std::size_t* takenOut = nullptr) {
  char out[kYEncLineCapacity];
  std::size_t taken = 0;
  const std::size_t n =
      EncodeYEncLine(reinterpret_cast<const unsigned char*>(in.data()), in.size(), out, taken);
  if (takenOut) *takenOut = taken;
  return {out, n};
}

// The input byte that encodes to c (c - 42).
char raw(unsigned char c) { return static_cast<char>(c - 42); }

TEST(LineEncodersTest, YEncEscapesEveryCriticalByteAnywhere) {
  struct Critical {
    const char* name;
    unsigned char encoded;  // the value after adding 42
  } criticals[] = {{"NUL", 0}, {"TAB", '\t'}, {"LF", '\n'}, {"CR", '\r'}, {"dot", '.'}, {"equals", '='}};
  for (const Critical& c : criticals) {
    const std::string escape = {'=', static_cast<char>(c.encoded + 64)};
    SCOPED_TRACE(c.name);
    EXPECT_EQ(yEncLine(std::string(1, raw(c.encoded)) + "AB"), escape + "kl") << "start";
    EXPECT_EQ(yEncLine("A" + std::string(1, raw(c.encoded)) + "B"), "k" + escape + "l") << "middle";
    EXPECT_EQ(yEncLine("AB" + std::string(1, raw(c.encoded))), "kl" + escape) << "end";
  }
  // Neighbours of the critical values pass unescaped, space included.
  EXPECT_EQ(yEncLine(std::string{raw(1), raw(' '), raw('-'), raw('/'), raw('<'), raw('>')}),
            std::string("\x01 -/<>"));
}

TEST(LineEncodersTest, YEncLineStopsAt128CharactersOr129WithAnEscape) {
  std::size_t taken = 0;
  EXPECT_EQ(yEncLine(std::string(200, 'A'), &taken).size(), 128u);
  EXPECT_EQ(taken, 128u);
  // 127 plain characters, then an escape: the line ends at 129.
  std::string in(127, 'A');
  in += raw('=');
  in += "AAAA";
  const std::string line = yEncLine(in, &taken);
  EXPECT_EQ(line.size(), 129u);
  EXPECT_EQ(taken, 128u);
  EXPECT_EQ(line.substr(127), "=}");
  // Escapes take room: 64 escaped bytes fill a line.
  EXPECT_EQ(yEncLine(std::string(100, raw(0)), &taken).size(), 128u);
  EXPECT_EQ(taken, 64u);
}

// Full lines of every byte value go through uudeview and Python in
// writer_decoders_test; here the short lines and their padding.
TEST(LineEncodersTest, UuAndBase64Lines) {
  struct Case {
    const char* name;
    std::string in;
    const char* uu;
    const char* base64;
  } cases[] = {
      {"three", "Cat", "#0V%T", "Q2F0"},
      {"two", "Ma", "\"36$`", "TWE="},
      {"one", "M", "!30``", "TQ=="},
      {"zeros", std::string(3, '\0'), "#````", "AAAA"},
      {"fourteen makes a dot", std::string(14, 'a'), ".86%A86%A86%A86%A86$`",
       "YWFhYWFhYWFhYWFhYWE="},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    char out[kTextLineCapacity];
    const auto* data = reinterpret_cast<const unsigned char*>(c.in.data());
    EXPECT_EQ(std::string(out, EncodeUuLine(data, c.in.size(), out)), c.uu);
    EXPECT_EQ(std::string(out, EncodeBase64Line(data, c.in.size(), out)), c.base64);
  }
}

TEST(LineEncodersTest, DotStuffing) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {{".", "..\r\n"}, {".hidden", "..hidden\r\n"}, {"a.b", "a.b\r\n"},
               {"", "\r\n"},    {"..", "...\r\n"},          {" .", " .\r\n"}};
  for (const Case& c : cases) {
    std::string text;
    DotStuffingWriter sink(text);
    sink.Line(c.in);
    EXPECT_EQ(text, c.out) << c.in;
  }
}

}  // namespace
}  // namespace orvel
