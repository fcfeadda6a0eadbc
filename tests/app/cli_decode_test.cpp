// orvel-cli decode, end to end, on files written at test time by
// independent encoders: uuenview's bare yEnc bodies (NAME.001, ...) given
// whole, with a part missing, in any order and over two runs; sharutils'
// bare uuencode; and a yEnc body whose check fails. A file that did not
// decode whole and sound makes the command fail with one line saying why.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "content/content_test_support.h"
#include "support/cli_run.h"

namespace {

namespace fs = std::filesystem;
using orvel::test::CliRun;
using orvel::test::ReadFileBytes;
using orvel::test::WriteFileBytes;

bool have(const char* tool) { return ::access(tool, X_OK) == 0; }

class CliDecode : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(root / "out");
    WriteFileBytes(root / "g.bin", original);
  }

  // uuenview's yEnc bodies of g.bin: 200 lines a part, so three parts.
  void yencBodies() {
    if (!have("/usr/bin/uuenview")) GTEST_SKIP() << "uudeview is not installed";
    const std::string command = "cd '" + root.string() + "' && uuenview -y -200 -od . g.bin >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    ASSERT_TRUE(fs::exists(root / "g.003") && !fs::exists(root / "g.004"));
  }

  // g.bin's PAR2 set (30 blocks, 15 recovery blocks: a third of the file
  // can be rebuilt), each file posted as one yEnc body in enc/: the index
  // as enc/g.001, the volume as enc/g.vol00+15.001.
  void par2Bodies() {
    const std::string command = "cd '" + root.string() +
                                "' && par2 create -q -q -s2000 -r50 -n1 g.par2 g.bin >/dev/null 2>&1 && "
                                "mkdir enc && cd enc && uuenview -y -od . ../g.par2 ../g.vol00+15.par2 "
                                ">/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    ASSERT_TRUE(fs::exists(root / "enc" / "g.001") && fs::exists(root / "enc" / "g.vol00+15.001"));
  }

  CliRun decode(const std::vector<std::string>& files) {
    std::vector<std::string> args{"decode", "--out", (root / "out").string()};
    for (const std::string& f : files) args.push_back((root / f).string());
    return orvel::test::runCli(args);
  }

  std::string out(const std::string& name) const { return (root / "out" / name).string(); }

  orvel::test::ScratchDir scratch;
  fs::path root = scratch.path();
  std::string original = orvel::test::RandomBytes(60000, 7);
};

struct OrderCase {
  const char* name;
  std::vector<std::string> files;
};

class CliDecodeOrders : public CliDecode, public ::testing::WithParamInterface<OrderCase> {};

TEST_P(CliDecodeOrders, AllPartsInAnyOrderMakeOneIdenticalFile) {
  yencBodies();
  const CliRun run = decode(GetParam().files);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "decoded: " + out("g.bin") + "\n1 files decoded.\n");
  EXPECT_TRUE(ReadFileBytes(out("g.bin")) == original);
}

INSTANTIATE_TEST_SUITE_P(
    Bodies, CliDecodeOrders,
    ::testing::Values(OrderCase{"InOrder", {"g.001", "g.002", "g.003"}},
                      OrderCase{"Reversed", {"g.003", "g.002", "g.001"}},
                      OrderCase{"TwoOneThree", {"g.002", "g.001", "g.003"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CliDecode, MissingPartIsIncompleteUntilALaterRunBringsIt) {
  yencBodies();
  const CliRun first = decode({"g.001", "g.003"});
  EXPECT_EQ(first.status, 1);
  EXPECT_EQ(first.out, "incomplete: " + out("g.bin__error_part_2") +
                           " (missing parts 2)\n0 files decoded.\n");
  EXPECT_EQ(first.err, "orvel-cli decode: 1 file incomplete\n");
  EXPECT_FALSE(fs::exists(out("g.bin")));
  // Parts 1 and 3 sit at their offsets; part 2's place is empty.
  const std::string kept = ReadFileBytes(out("g.bin__error_part_2"));
  ASSERT_EQ(kept.size(), original.size());
  EXPECT_TRUE(kept.substr(0, 25600) == original.substr(0, 25600));
  EXPECT_TRUE(kept.substr(51200) == original.substr(51200));

  const CliRun second = decode({"g.002"});
  EXPECT_EQ(second.status, 0) << second.err;
  EXPECT_EQ(second.out, "decoded: " + out("g.bin") + "\n1 files decoded.\n");
  EXPECT_TRUE(ReadFileBytes(out("g.bin")) == original);
  EXPECT_FALSE(fs::exists(out("g.bin__error_part_2")));
}

TEST_F(CliDecode, BareUuencodeFileIsABody) {
  if (!have("/usr/bin/uuencode")) GTEST_SKIP() << "sharutils is not installed";
  const std::string command =
      "cd '" + root.string() + "' && uuencode g.bin shared.bin > bare.uu";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const CliRun run = decode({"bare.uu"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "decoded: " + out("shared.bin") + "\n1 files decoded.\n");
  EXPECT_TRUE(ReadFileBytes(out("shared.bin")) == original);
}

TEST_F(CliDecode, CrcErrorIsNotDecoded) {
  yencBodies();
  // One data byte of part 2 changed: its pcrc32 no longer matches.
  std::string part = ReadFileBytes(root / "g.002");
  std::size_t at = part.find('\n', part.find("=ypart")) + 10;
  while (part[at] == '=' || part[at - 1] == '=' || part[at] == '\r' || part[at] == '\n') ++at;
  part[at] = part[at] == 'a' ? 'b' : 'a';
  WriteFileBytes(root / "g.002", part);
  const CliRun run = decode({"g.001", "g.002", "g.003"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "crc error: " + out("g.bin__yEnc_CRCerror_part_2.txt") + "\ncrc error: " +
                         out("g.bin") + "\n0 files decoded.\n");
  EXPECT_EQ(run.err, "orvel-cli decode: 1 file with a CRC error\n");
}

struct Par2Case {
  const char* name;
  std::vector<std::string> parts;  // g.bin's yEnc bodies given
  int status;
  std::string par2Line;  // what decode says of the set, after "par2 "
  bool whole;            // g.bin is there, equal to the original
};
void PrintTo(const Par2Case& c, std::ostream* os) { *os << c.name; }

class CliDecodePar2 : public CliDecode, public ::testing::WithParamInterface<Par2Case> {
 protected:
  // A skip in the fixture ends the test; one in a helper would only end the
  // helper.
  void SetUp() override {
    if (!have("/usr/bin/par2")) GTEST_SKIP() << "par2 is not installed";
    CliDecode::SetUp();
  }
};

// The post's PAR2 set is checked after the batch; a missing part is rebuilt
// from the recovery volume, and the partial file and its resume record go.
TEST_P(CliDecodePar2, SetIsCheckedAndRepairedAfterTheBatch) {
  const Par2Case& c = GetParam();
  yencBodies();
  par2Bodies();
  std::vector<std::string> files = c.parts;
  files.insert(files.end(), {"enc/g.001", "enc/g.vol00+15.001"});
  const CliRun run = decode(files);
  EXPECT_EQ(run.status, c.status) << run.err;
  std::string line = "\npar2 " + c.par2Line + "\n";
  line.replace(line.find("OUT"), 3, (root / "out").string());
  EXPECT_NE(run.out.find(line), std::string::npos) << run.out;
  EXPECT_EQ(fs::exists(out("g.bin")) && ReadFileBytes(out("g.bin")) == original, c.whole);
  EXPECT_EQ(fs::exists(out("g.bin__error_part_2")), !c.whole && c.parts.size() > 1);
  if (c.whole) {
    EXPECT_FALSE(fs::exists(out(".orvel-resume.ini")));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Sets, CliDecodePar2,
    ::testing::Values(
        Par2Case{"AllPartsComplete", {"g.001", "g.002", "g.003"}, 0, "complete: OUT/g.par2", true},
        Par2Case{"MissingPartRepaired", {"g.001", "g.003"}, 0, "repaired: OUT/g.par2", true},
        Par2Case{"TooFewBlocksIncomplete", {"g.003"}, 1,
                 "incomplete: OUT/g.par2 (You need 11 more recovery blocks to be able to repair.)", false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
