#include "scoring/plonker.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "core/atomic_file.h"
#include "scoring/plonk_command.h"
#include "support/scripted_prompter.h"

namespace orvel {
namespace {

constexpr std::int32_t kToday = 45000;

class PlonkFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("orvel-plonk-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    path_ = (dir_ / "plonker.ini").string();
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  void write(std::string_view text) { ASSERT_TRUE(SaveFileAtomically(path_, text)); }
  std::string read() {
    std::string data;
    ReadWholeFile(path_, data);
    return data;
  }
  static std::string listed(const TPlonker& p) {
    std::string out;
    for (const auto& e : p.Entries()) {
      out += e.name + "|" + e.address + "|" + std::to_string(e.expiry) + ";";
    }
    return out;
  }
  std::filesystem::path dir_;
  std::string path_;
};

// A NUL, control bytes and an expired day on the first line, a stray byte
// after the last line end.
constexpr char kGarbageBytes[] = "\x00\x01\xff\tq\x02\t7\r\n\r\n\r\nok\tok@x\t0\r\n\x80";
const std::string kGarbage(kGarbageBytes, sizeof kGarbageBytes - 1);

TEST_F(PlonkFile, LoadKeepsWhatIsValidAndDropsExpired) {
  struct Row {
    const char* name;
    std::string file;
    const char* entries;
    bool modified;
  };
  const Row rows[] = {
      {"sorted by name then address", "zed\tb@x\t0\r\nAnn\tz@x\t0\r\nann\ta@x\t0\r\n",
       "ann|a@x|0;ann|z@x|0;zed|b@x|0;", false},
      {"expiry today dropped", "a\ta@x\t45000\r\nb\tb@x\t45001\r\n", "b|b@x|45001;", true},
      {"expiry before today dropped", "a\ta@x\t1\r\n", "", true},
      {"capitals make no new entry", "Bob\tBOB@X\t0\r\nbob\tbob@x\t50000\r\n", "bob|bob@x|0;",
       false},
      {"line without TABs", "lonely\nother\tX@Y\n", "lonely||0;other|x@y|0;", false},
      {"expiry not a number is never", "a\ta@x\tsoon\r\n", "a|a@x|0;", false},
      {"binary garbage loads what it can", kGarbage, "ok|ok@x|0;\x80||0;", true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    write(row.file);
    TPlonker p;
    p.Load(path_, kToday);
    EXPECT_EQ(listed(p), row.entries);
    EXPECT_EQ(p.Modified(), row.modified);
  }
}

TEST_F(PlonkFile, MissingFileIsEmpty) {
  TPlonker p;
  p.Load(path_, kToday);
  EXPECT_TRUE(p.Entries().empty());
  EXPECT_TRUE(p.Save());
  EXPECT_FALSE(std::filesystem::exists(path_));
}

TEST_F(PlonkFile, SavesOnlyWhenModified) {
  write("b\tb@x\t0\n");  // LF ends: a rewrite would make them CRLF
  TPlonker p;
  p.Load(path_, kToday);
  ASSERT_TRUE(p.Save());
  EXPECT_EQ(read(), "b\tb@x\t0\n");

  EXPECT_EQ(p.AddPlonk("Al", "AL@X", false, 45100), 0);
  ASSERT_TRUE(p.Save());
  EXPECT_EQ(read(), "al\tal@x\t45100\r\nb\tb@x\t0\r\n");
  EXPECT_FALSE(p.Modified());

  write("x\tx@x\t44000\n");
  p.Load(path_, kToday);
  ASSERT_TRUE(p.Save());
  EXPECT_EQ(read(), "");
}

TEST(Plonker, AddRemoveAndMembershipIgnoreCase) {
  TPlonker p;
  EXPECT_EQ(p.AddPlonk("Marc", "marc@a.fr", false, 0), 0);
  EXPECT_EQ(p.AddPlonk("Anne", "anne@b.fr", false, 0), 0);
  EXPECT_EQ(p.AddPlonk("marc", "marc@b.fr", false, 0), 2);
  EXPECT_EQ(p.AddPlonk("MARC", "Marc@A.FR", false, 9), -1);
  EXPECT_EQ(p.AddPlonk("MARC", "Marc@A.FR", true, 9), 1);
  EXPECT_EQ(p.Entries()[1].expiry, 9);
  EXPECT_EQ(p.Entries().size(), 3u);
  EXPECT_TRUE(p.IsPlonked("mArC", "MARC@a.fr"));
  EXPECT_FALSE(p.IsPlonked("Marc", "other@a.fr"));
  EXPECT_TRUE(p.RemovePlonk("Marc", "MARC@A.fr"));
  EXPECT_FALSE(p.RemovePlonk("Marc", "marc@a.fr"));
  EXPECT_FALSE(p.IsPlonked("marc", "marc@a.fr"));
  ASSERT_EQ(p.Entries().size(), 2u);
  EXPECT_EQ(p.Entries()[1].address, "marc@b.fr");
}

TEST(PlonkCommand, AsksDaysThenAddsOrSaysAlreadyThere) {
  struct Row {
    const char* name;
    std::optional<std::int64_t> days;
    bool present;
    PlonkOutcome outcome;
    std::int32_t expiry;
    const char* status;
  };
  const Row rows[] = {
      {"new for 100 days", 100, false, PlonkOutcome::Added, kToday + 100,
       "Auteur Plonk\u00e9 s\u00e9v\u00e8re !     "},
      {"0 is never", 0, false, PlonkOutcome::Added, 0, "Auteur Plonk\u00e9 s\u00e9v\u00e8re !     "},
      {"already there", 5, true, PlonkOutcome::AlreadyPlonked, 3,
       "Oiseau d\u00e9j\u00e0 plonk\u00e9 !   "},
      {"cancelled", std::nullopt, false, PlonkOutcome::Cancelled, -1, ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    TPlonker p;
    if (row.present) p.AddPlonk("jo", "jo@x", false, 3);
    test::ScriptedPrompter prompter;
    prompter.answerNumber(row.days);
    EXPECT_EQ(PlonkAuthor(p, "Jo", "Jo@X", kToday, prompter), row.outcome);
    ASSERT_FALSE(prompter.records().empty());
    const auto& ask = prompter.records().front();
    EXPECT_EQ(ask.caption, "     Jo:Jo@X");
    EXPECT_EQ(ask.text, "Expire dans: (Nbr de jours, 0=Jamais)");
    EXPECT_EQ(ask.initial, "100");
    EXPECT_EQ(ask.maximum, 365);
    EXPECT_EQ(prompter.lastStatus(), row.status);
    EXPECT_EQ(p.Entries().empty() ? -1 : p.Entries()[0].expiry, row.expiry);
  }
}

}  // namespace
}  // namespace orvel
