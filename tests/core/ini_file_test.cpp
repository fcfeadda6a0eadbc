#include "core/ini_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include <filesystem>

#include "core/atomic_file.h"

namespace orvel {
namespace {

const char* kSample =
    "; settings written by hand\n"
    "[Display]\n"
    "Font = 1,0<10>-13;$000000:Arial|0\n"
    "Color=$00FF00\n"
    "\n"
    "[misc]\n"
    "TZ=100\n"
    "tz=200\n"
    "Quoted=\"  spaced  \"\n"
    "garbage line without equals\n"
    "[broken\n"
    "=no name\n"
    "Last=1\n";

TEST(IniFile, ReadsWithoutRegardToCase) {
  const IniFile ini = IniFile::FromText(kSample);
  EXPECT_EQ(ini.readString("DISPLAY", "color"), "$00FF00");
  EXPECT_EQ(ini.readString("Misc", "TZ"), "100");  // the first of duplicates wins
  EXPECT_EQ(ini.readString("misc", "Quoted"), "  spaced  ");
  EXPECT_EQ(ini.readInteger("misc", "tz", -1), 100);
  EXPECT_EQ(ini.readInteger("misc", "absent", -1), -1);
  EXPECT_TRUE(ini.readBool("misc", "Last", false));  // malformed lines skipped, section goes on
  EXPECT_EQ(ini.sections(), (std::vector<std::string>{"Display", "misc"}));
  EXPECT_EQ(ini.keys("Misc"), (std::vector<std::string>{"TZ", "Quoted", "Last"}));
  EXPECT_FALSE(ini.hasSection("broken"));
}

TEST(IniFile, WritesInPlaceAndKeepsEverythingElse) {
  IniFile ini = IniFile::FromText(kSample);
  ini.write("display", "COLOR", "$0000FF");  // replaced in place, name kept as written
  ini.write("Display", "New", "x");           // appended to its section before the blank line
  ini.write("Fresh", "k", "v");               // new section at the end
  ini.eraseKey("misc", "Quoted");
  EXPECT_EQ(ini.text(),
            "; settings written by hand\n"
            "[Display]\n"
            "Font = 1,0<10>-13;$000000:Arial|0\n"
            "Color=$0000FF\n"
            "New=x\n"
            "\n"
            "[misc]\n"
            "TZ=100\n"
            "tz=200\n"
            "garbage line without equals\n"
            "[broken\n"
            "=no name\n"
            "Last=1\n"
            "[Fresh]\n"
            "k=v\n");
}

TEST(IniFile, EraseSectionRemovesItWhole) {
  IniFile ini = IniFile::FromText("[A]\na=1\n[B]\nb=2\n[a]\nc=3\n");
  ini.eraseSection("a");
  EXPECT_EQ(ini.text(), "[B]\nb=2\n");
  EXPECT_FALSE(ini.read("A", "a"));
}

TEST(IniFile, KeepsCrLfFilesCrLf) {
  IniFile ini = IniFile::FromText("\xEF\xBB\xBF[S]\r\nk=1\r\n");
  EXPECT_EQ(ini.readString("S", "k"), "1");
  ini.write("S", "j", "2");
  EXPECT_EQ(ini.text(), "[S]\r\nk=1\r\nj=2\r\n");
}

class IniFileOnDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("orvel-ini-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::filesystem::path dir_;
};

TEST_F(IniFileOnDisk, MissingFileReadsEmptyAndSaveCreatesIt) {
  const std::string path = (dir_ / "Orvel.ini").string();
  IniFile ini(path);
  EXPECT_TRUE(ini.sections().empty());
  ini.write("Misc", "A", "1");
  ASSERT_TRUE(ini.save());
  EXPECT_EQ(IniFile(path).readString("Misc", "A"), "1");
}

TEST_F(IniFileOnDisk, ADirectoryReadsAsAnEmptyFile) {
  std::string data = "untouched";
  EXPECT_FALSE(ReadWholeFile(dir_.string(), data));
  EXPECT_TRUE(IniFile(dir_.string()).sections().empty());
}

TEST_F(IniFileOnDisk, FullDiskLeavesTheOldFileIntact) {
  const std::string path = (dir_ / "servers.ini").string();
  ASSERT_TRUE(SaveFileAtomically(path, "[Profiles]\ncount=0\n"));
  IniFile ini(path);
  ini.write("Profiles", "count", "1");
  ini.write("Profiles", "1", std::string(4096, 'x'));

  // A file size limit makes the write fail as a full disk would.
  struct rlimit old {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = 1024;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  std::string error;
  const bool saved = ini.save(&error);
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);

  EXPECT_FALSE(saved);
  EXPECT_NE(error.find(path), std::string::npos);
  EXPECT_EQ(IniFile(path).readString("Profiles", "count"), "0");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_),
                          std::filesystem::directory_iterator()),
            1);  // the temporary file is gone
}

TEST_F(IniFileOnDisk, ForcedModeAndKeptMode) {
  const std::string path = (dir_ / "secret.ini").string();
  ASSERT_TRUE(SaveFileAtomically(path, "a", nullptr, {0600, true}));
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  ASSERT_TRUE(SaveFileAtomically(path, "b"));  // an existing file keeps its mode
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_),
                          std::filesystem::directory_iterator()),
            1);  // no temporary file left behind
}

}  // namespace
}  // namespace orvel

namespace orvel {
namespace {

TEST(IniFile, ValuesWithBlanksOrQuotesAtTheirEndsReadBackUnchanged) {
  IniFile ini;
  for (const char* value : {" leading", "trailing ", "\"quoted\"", "'single'", "", "plain"}) {
    ini.write("S", "k", value);
    EXPECT_EQ(ini.readString("S", "k"), value);
    EXPECT_EQ(IniFile::FromText(ini.text()).readString("S", "k"), value) << ini.text();
  }
}

}  // namespace
}  // namespace orvel
