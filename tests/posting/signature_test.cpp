#include "posting/signature.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace orvel {
namespace {

std::string Lines(int from, int to) {
  std::string text;
  for (int i = from; i <= to; ++i) text += "l" + std::to_string(i) + "\n";
  return text;
}

std::string CrLfLines(int from, int to) {
  std::string text;
  for (int i = from; i <= to; ++i) text += "l" + std::to_string(i) + "\r\n";
  return text;
}

struct SignatureCase {
  const char* name;
  std::string file;
  std::string block;
};

class SignatureTest : public testing::TestWithParam<SignatureCase> {};

TEST_P(SignatureTest, BuildsTheBlock) {
  const SignatureCase& c = GetParam();
  const std::string path =
      (std::filesystem::path(testing::TempDir()) / ("sig-" + std::string(c.name))).string();
  std::ofstream(path, std::ios::binary) << c.file;
  EXPECT_EQ(SignatureBlock(path), c.block);
  std::filesystem::remove(path);
}

INSTANTIATE_TEST_SUITE_P(
    Files, SignatureTest,
    testing::Values(
        SignatureCase{"DashDashBecomesSeparator", "--\nJean\n", "\r\n\r\n-- \r\nJean\r\n"},
        SignatureCase{"SeparatorKept", "-- \r\nJean\r\n", "\r\n\r\n-- \r\nJean\r\n"},
        SignatureCase{"NoSeparatorGetsOne", "Jean\nParis", "\r\n\r\n-- \r\nJean\r\nParis\r\n"},
        SignatureCase{"LeadingBlanksSkipped", "\n  \r\n\t\n-- \nJean\n\nParis\n",
                      "\r\n\r\n-- \r\nJean\r\n\r\nParis\r\n"},
        SignatureCase{"LoneCrLineEnds", "-- \rJean\rParis", "\r\n\r\n-- \r\nJean\r\nParis\r\n"},
        SignatureCase{"OnlyFirstSeparatorChanged", "--\nJean\n--\n",
                      "\r\n\r\n-- \r\nJean\r\n--\r\n"},
        SignatureCase{"ElevenWithoutSeparator", Lines(1, 12),
                      "\r\n\r\n-- \r\n" + CrLfLines(1, 11)},
        SignatureCase{"ElevenFromSeparator", "-- \n" + Lines(1, 12),
                      "\r\n\r\n-- \r\n" + CrLfLines(1, 10)},
        SignatureCase{"CountRestartsAtSeparator", "Jean\n--\n" + Lines(1, 12),
                      "\r\n\r\nJean\r\n-- \r\n" + CrLfLines(1, 10)},
        SignatureCase{"SeparatorAfterElevenNotReached", Lines(1, 11) + "--\nx\n",
                      "\r\n\r\n-- \r\n" + CrLfLines(1, 11)},
        SignatureCase{"BlankFile", "\n \r\n", ""},
        SignatureCase{"EmptyFile", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Signature, MissingFileGivesNothing) {
  EXPECT_EQ(SignatureBlock((std::filesystem::path(testing::TempDir()) / "no-such-sig").string()),
            "");
  EXPECT_EQ(SignatureBlock(testing::TempDir()), "");  // a directory
}

struct CutCase {
  const char* name;
  std::string body;
  std::string kept;
};

class WithoutSignatureTest : public testing::TestWithParam<CutCase> {};

TEST_P(WithoutSignatureTest, CutsTheLastSignature) {
  EXPECT_EQ(WithoutSignature(GetParam().body), GetParam().kept);
}

INSTANTIATE_TEST_SUITE_P(
    Bodies, WithoutSignatureTest,
    testing::Values(
        CutCase{"AppendedBlockRemoved", "Bonjour\r\n\r\n-- \r\nJean\r\n", "Bonjour"},
        CutCase{"BodyEndingInLineEnds", "Bonjour\r\n\r\n\r\n\r\n-- \r\nJean\r\n",
                "Bonjour\r\n\r\n"},
        CutCase{"OneLineEndOnly", "Bonjour\r\n-- \r\nJean", "Bonjour"},
        CutCase{"LastSeparatorWins", "a\r\n-- \r\nb\r\n\r\n-- \r\nc", "a\r\n-- \r\nb"},
        CutCase{"SeparatorAtTheEnd", "a\r\n\r\n-- ", "a"},
        CutCase{"WholeBodyIsSignature", "-- \r\nJean\r\n", ""},
        CutCase{"DashDashIsNoSeparator", "a\r\n--\r\nb", "a\r\n--\r\nb"},
        CutCase{"QuotedSeparatorKept", "> -- \r\n> Paul\r\n", "> -- \r\n> Paul\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orvel
