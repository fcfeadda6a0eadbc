// orvel-cli decode, end to end, on files written at test time by
// independent encoders: uuenview's bare yEnc bodies (NAME.001, ...) given
// whole, with a part missing, in any order and over two runs; sharutils'
// bare uuencode; and a yEnc body whose check fails. A file that did not
// decode whole and sound makes the command fail with one line saying why.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QProcess>
#include <QStringList>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace {

namespace fs = std::filesystem;

struct CliRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

CliRun runCli(const QStringList& args) {
  QProcess p;
  p.start(ORVEL_CLI_PATH, args);
  p.waitForFinished(20000);
  return {p.exitCode(), p.readAllStandardOutput().toStdString(),
          p.readAllStandardError().toStdString()};
}

std::string readBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void writeBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

bool have(const char* tool) { return ::access(tool, X_OK) == 0; }

class CliDecode : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() / ("orvel-cli-decode-" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "out");
    std::mt19937 random(7);
    original.resize(60000);
    for (char& c : original) c = static_cast<char>(random());
    writeBytes(root / "g.bin", original);
  }
  void TearDown() override { fs::remove_all(root); }

  // uuenview's yEnc bodies of g.bin: 200 lines a part, so three parts.
  void yencBodies() {
    if (!have("/usr/bin/uuenview")) GTEST_SKIP() << "uudeview is not installed";
    const std::string command = "cd '" + root.string() + "' && uuenview -y -200 -od . g.bin >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    ASSERT_TRUE(fs::exists(root / "g.003") && !fs::exists(root / "g.004"));
  }

  CliRun decode(const std::vector<std::string>& files) {
    QStringList args{"decode", "--out", QString::fromStdString((root / "out").string())};
    for (const std::string& f : files) args << QString::fromStdString((root / f).string());
    return runCli(args);
  }

  std::string out(const std::string& name) const { return (root / "out" / name).string(); }

  fs::path root;
  std::string original;
};

struct OrderCase {
  const char* name;
  std::vector<std::string> files;
};

class CliDecodeOrders : public CliDecode, public ::testing::WithParamInterface<OrderCase> {};

TEST_P(CliDecodeOrders, AllPartsInAnyOrderMakeOneIdenticalFile) {
  yencBodies();
  const CliRun run = decode(GetParam().files);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "decoded: " + out("g.bin") + "\n1 files decoded.\n");
  EXPECT_TRUE(readBytes(out("g.bin")) == original);
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
  EXPECT_EQ(first.exitCode, 1);
  EXPECT_EQ(first.out, "incomplete: " + out("g.bin__error_part_2") +
                           " (missing parts 2)\n0 files decoded.\n");
  EXPECT_EQ(first.err, "orvel-cli decode: 1 file incomplete\n");
  EXPECT_FALSE(fs::exists(out("g.bin")));
  // Parts 1 and 3 sit at their offsets; part 2's place is empty.
  const std::string kept = readBytes(out("g.bin__error_part_2"));
  ASSERT_EQ(kept.size(), original.size());
  EXPECT_TRUE(kept.substr(0, 25600) == original.substr(0, 25600));
  EXPECT_TRUE(kept.substr(51200) == original.substr(51200));

  const CliRun second = decode({"g.002"});
  EXPECT_EQ(second.exitCode, 0) << second.err;
  EXPECT_EQ(second.out, "decoded: " + out("g.bin") + "\n1 files decoded.\n");
  EXPECT_TRUE(readBytes(out("g.bin")) == original);
  EXPECT_FALSE(fs::exists(out("g.bin__error_part_2")));
}

TEST_F(CliDecode, BareUuencodeFileIsABody) {
  if (!have("/usr/bin/uuencode")) GTEST_SKIP() << "sharutils is not installed";
  const std::string command =
      "cd '" + root.string() + "' && uuencode g.bin shared.bin > bare.uu";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const CliRun run = decode({"bare.uu"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "decoded: " + out("shared.bin") + "\n1 files decoded.\n");
  EXPECT_TRUE(readBytes(out("shared.bin")) == original);
}

TEST_F(CliDecode, CrcErrorIsNotDecoded) {
  yencBodies();
  // One data byte of part 2 changed: its pcrc32 no longer matches.
  std::string part = readBytes(root / "g.002");
  std::size_t at = part.find('\n', part.find("=ypart")) + 10;
  while (part[at] == '=' || part[at - 1] == '=' || part[at] == '\r' || part[at] == '\n') ++at;
  part[at] = part[at] == 'a' ? 'b' : 'a';
  writeBytes(root / "g.002", part);
  const CliRun run = decode({"g.001", "g.002", "g.003"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out, "crc error: " + out("g.bin__yEnc_CRCerror_part_2.txt") + "\ncrc error: " +
                         out("g.bin") + "\n0 files decoded.\n");
  EXPECT_EQ(run.err, "orvel-cli decode: 1 file with a CRC error\n");
}

}  // namespace
