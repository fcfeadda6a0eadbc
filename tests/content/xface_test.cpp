#include "content/xface.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <string>

#include "content/content_test_support.h"

namespace orvel {
namespace {

// The face kTestFace holds: a frame, the main diagonal and a filled square
// (x 10-19, y 30-39). Drawn here, compressed once with the compface tool.
XFaceBitmap TestPattern() {
  XFaceBitmap face;
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 48; ++x) {
      const bool on = x == 0 || y == 0 || x == 47 || y == 47 || x == y ||
                      (x >= 10 && x < 20 && y >= 30 && y < 40);
      if (on) face.SetPixel(x, y);
    }
  }
  return face;
}

constexpr const char* kTestFace =
    " \"H?[/{m]*UEq|1`XY7#']YvK|JBKMeET*cqf;:&jI#yl]5a@Z&!G>'\\ai`bI:@&6S_(MKL:\n"
    " fgB\\rpIEiq}}9]EmNy1\\t`A*";

// compface's input: 48 lines of three "0xXXXX," words.
std::string IconText(const XFaceBitmap& face) {
  std::string text;
  for (int y = 0; y < 48; ++y) {
    for (int word = 0; word < 3; ++word) {
      unsigned value = 0;
      for (int bit = 0; bit < 16; ++bit) value = value << 1 | (face.Pixel(word * 16 + bit, y) ? 1 : 0);
      text += format("0x%04X,", value);
    }
    text += "\n";
  }
  return text;
}

std::string RunCompface(const std::string& iconPath) {
  std::string out;
  FILE* pipe = ::popen(("compface " + iconPath).c_str(), "r");
  if (!pipe) return out;
  char buffer[256];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  return ::pclose(pipe) == 0 ? out : std::string();
}

TEST(XFace, KnownFaceDecodes) {
  const auto face = DecodeXFace(kTestFace);
  ASSERT_TRUE(face.has_value());
  EXPECT_EQ(*face, TestPattern());
}

TEST(XFace, FacesMadeByTheCompfaceToolDecodeToTheirPicture) {
  if (::access("/usr/bin/compface", X_OK) != 0) GTEST_SKIP() << "compface tool not installed";
  test::ScratchDir dir;
  std::mt19937 random(8);
  for (int round = 0; round < 5; ++round) {
    // Blocks of 4 x 4 pixels: random enough to need every part of the coder.
    XFaceBitmap face;
    for (int by = 0; by < 12; ++by) {
      for (int bx = 0; bx < 12; ++bx) {
        if (random() % 3 != 0) continue;
        for (int y = 0; y < 4; ++y) {
          for (int x = 0; x < 4; ++x) face.SetPixel(bx * 4 + x, by * 4 + y);
        }
      }
    }
    const std::string icon = dir.file("face" + std::to_string(round) + ".icon");
    test::WriteFileBytes(icon, IconText(face));
    const std::string compressed = RunCompface(icon);
    ASSERT_FALSE(compressed.empty());
    const auto decoded = DecodeXFace(compressed);
    ASSERT_TRUE(decoded.has_value()) << compressed;
    EXPECT_EQ(*decoded, face) << "round " << round;
  }
}

TEST(XFace, OneFaceLeavesNothingBehindForTheNext) {
  const auto first = DecodeXFace(kTestFace);
  ASSERT_TRUE(DecodeXFace("!!!!").has_value());
  ASSERT_TRUE(DecodeXFace(std::string(700, '~')).has_value());
  EXPECT_EQ(DecodeXFace(kTestFace), first);
}

TEST(XFace, OnlyTheFirst2047CharactersAreRead) {
  std::string value = kTestFace;
  value += std::string(kMaxXFaceChars - value.size(), ' ');
  EXPECT_EQ(DecodeXFace(value + "\x01 garbage \xFF"), TestPattern());
}

struct BadFace {
  const char* name;
  std::string value;
  friend void PrintTo(const BadFace& c, std::ostream* os) { *os << c.name; }
};

class XFaceRejects : public ::testing::TestWithParam<BadFace> {};

TEST_P(XFaceRejects, NotAFace) {
  EXPECT_FALSE(IsPlausibleXFace(GetParam().value));
  EXPECT_FALSE(DecodeXFace(GetParam().value).has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, XFaceRejects,
    ::testing::Values(BadFace{"Empty", ""}, BadFace{"BlanksOnly", " \t\r\n "},
                      BadFace{"ControlCharacter", "abc\x01" "def"},
                      BadFace{"EightBitByte", "abc\xE9" "def"},
                      BadFace{"TooManyDigitsForAFace", std::string(704, 'a')},
                      BadFace{"Nul", std::string("ab\0cd", 5)}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orvel
