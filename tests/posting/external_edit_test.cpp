#include "posting/external_edit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace orvel {
namespace {

namespace fs = std::filesystem;

class ExternalEditTest : public testing::Test {
 protected:
  void SetUp() override {
    const std::string test = testing::UnitTest::GetInstance()->current_test_info()->name();
    dir_ = fs::path(testing::TempDir()) / ("orvel-edit-" + test);
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Dir() const { return dir_.string(); }
  static void Overwrite(const std::string& path, std::string_view text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
  }
  static std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  fs::path dir_;
};

TEST_F(ExternalEditTest, NamesAreSafeShortAndUnique) {
  std::string error;
  ExternalEdit first, second, third;
  ASSERT_TRUE(first.Start(Dir(), "Re: a/b\\c?\t\"d\" <é>", "x", error)) << error;
  EXPECT_EQ(fs::path(first.Path()).filename(), "__edit_Re_ a_b_c___d_ _é_");
  ASSERT_TRUE(second.Start(Dir() + "/", "Re: a/b\\c?\t\"d\" <é>", "y", error));
  EXPECT_EQ(fs::path(second.Path()).filename(), "__edit_Re_ a_b_c___d_ _é__2");
  EXPECT_EQ(Contents(first.Path()), "x");  // never overwritten

  const std::string longCaption = std::string(49, 'a') + "éé\xff";
  ASSERT_TRUE(third.Start(Dir(), longCaption, "", error));
  EXPECT_EQ(fs::path(third.Path()).filename(), "__edit_" + std::string(49, 'a') + "é");
  EXPECT_EQ(Contents(third.Path()), "");
}

TEST_F(ExternalEditTest, ReadsBackWhatTheEditorWrote) {
  std::string error;
  ExternalEdit edit;
  ASSERT_TRUE(edit.Start(Dir(), "Post to: fr.test", "un\r\ndeux", error));
  const std::string path = edit.Path();
  EXPECT_EQ(Contents(path), "un\ndeux");

  std::string text = "kept";
  EXPECT_EQ(edit.Check(text), ExternalEdit::ReadBack::Unchanged);
  Overwrite(path, "un\ndeux");  // saved without a change
  EXPECT_EQ(edit.Check(text), ExternalEdit::ReadBack::Unchanged);
  EXPECT_EQ(text, "kept");

  Overwrite(path, "un\n2\r\ntrois\n");  // the editor's final line end is dropped
  EXPECT_EQ(edit.Check(text), ExternalEdit::ReadBack::Changed);
  EXPECT_EQ(text, "un\r\n2\r\ntrois");
  EXPECT_EQ(edit.Check(text), ExternalEdit::ReadBack::Unchanged);

  fs::remove(path);
  text = "kept";
  EXPECT_EQ(edit.Check(text), ExternalEdit::ReadBack::Vanished);
  EXPECT_EQ(text, "kept");
  fs::create_directory(path);  // something that is no file takes the name
  EXPECT_EQ(edit.Check(text), ExternalEdit::ReadBack::Unreadable);
  fs::remove(path);
  Overwrite(path, "quatre\n\n");
  EXPECT_EQ(edit.Check(text), ExternalEdit::ReadBack::Changed);
  EXPECT_EQ(text, "quatre\r\n");
}

TEST_F(ExternalEditTest, FinishRemovesAbandonKeeps) {
  std::string error;
  std::string kept, removed, destroyed;
  {
    ExternalEdit edit;
    ASSERT_TRUE(edit.Start(Dir(), "a", "body\r\n", error));
    removed = edit.Path();
    edit.Finish();
    EXPECT_EQ(edit.Path(), "");
    ASSERT_TRUE(edit.Start(Dir(), "b", "body\r\n", error));
    kept = edit.Path();
    edit.Abandon();
    std::string text;
    EXPECT_EQ(edit.Check(text), ExternalEdit::ReadBack::Unchanged);
    ASSERT_TRUE(edit.Start(Dir(), "c", "body\r\n", error));
    destroyed = edit.Path();
  }
  EXPECT_FALSE(fs::exists(removed));
  EXPECT_TRUE(fs::exists(kept));
  EXPECT_FALSE(fs::exists(destroyed));
}

TEST_F(ExternalEditTest, UnwritableDirectoryFails) {
  std::string error;
  ExternalEdit edit;
  EXPECT_FALSE(edit.Start(Dir() + "/missing", "a", "body", error));
  EXPECT_NE(error.find("missing"), std::string::npos) << error;
  EXPECT_EQ(edit.Path(), "");
}

struct CommandCase {
  const char* name;
  std::string setting;
  std::vector<std::string> program;  // before the file name; empty: no command
};

class EditorCommandTest : public testing::TestWithParam<CommandCase> {};

TEST_P(EditorCommandTest, SplitsTheSetting) {
  ExternalEdit edit;
  std::string error;
  ASSERT_TRUE(edit.Start(testing::TempDir(), "cmd", "", error)) << error;
  std::vector<std::string> expected = GetParam().program;
  if (!expected.empty()) expected.push_back(edit.Path());
  EXPECT_EQ(edit.Command(GetParam().setting), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, EditorCommandTest,
    testing::Values(
        CommandCase{"Program", "gedit", {"gedit"}},
        CommandCase{"Arguments", "  emacs\t-nw  +1 ", {"emacs", "-nw", "+1"}},
        CommandCase{"DoubleQuotes", "\"/opt/My Editor/ed\" -x", {"/opt/My Editor/ed", "-x"}},
        CommandCase{"SingleQuotesLiteral", "ed '-a \"b\\'", {"ed", "-a \"b\\"}},
        CommandCase{"EscapesInDoubleQuotes", "ed \"a\\\"b\\\\c\\d\"", {"ed", "a\"b\\c\\d"}},
        CommandCase{"BackslashOutside", "my\\ ed", {"my ed"}},
        CommandCase{"EmptyQuotedArgument", "ed ''", {"ed", ""}},
        CommandCase{"Blank", "  ", {}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orvel
