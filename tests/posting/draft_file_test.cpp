#include "posting/draft_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>

namespace orvel {
namespace {

namespace fs = std::filesystem;

// Beyond the largest pid a system hands out (2^22).
constexpr long kDeadPid = 999999999;

class DraftFileTest : public testing::Test {
 protected:
  void SetUp() override {
    folders_ = fs::path(testing::TempDir()) /
               ("orvel-drafts-" +
                std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(folders_);
    fs::create_directories(folders_);
  }
  void TearDown() override { fs::remove_all(folders_); }

  std::string Folders() const { return folders_.string() + "/"; }
  fs::path Drafts() const { return folders_ / "drafts"; }
  // A draft of another process, written age seconds ago.
  std::string Plant(long pid, int n, std::string_view text, int age) {
    fs::create_directories(Drafts());
    const fs::path path = Drafts() / ("draft-" + std::to_string(pid) + "-" +
                                      std::to_string(n) + ".txt");
    std::ofstream(path, std::ios::binary) << text;
    fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::seconds(age));
    return path.string();
  }
  static std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  fs::path folders_;
};

TEST_F(DraftFileTest, WritesRewritesAndRemoves) {
  DraftFile draft(Folders());
  DraftFile other(folders_.string());  // no final slash
  EXPECT_NE(draft.Path(), other.Path());
  EXPECT_EQ(fs::path(draft.Path()).parent_path(), Drafts());
  EXPECT_FALSE(fs::exists(draft.Path()));

  ASSERT_TRUE(draft.Write("Subject: un\r\n"));
  ASSERT_TRUE(draft.Write(std::string("Subject: deux\r\n\r\n", 17) + '\0'));
  EXPECT_EQ(Contents(draft.Path()), std::string("Subject: deux\r\n\r\n", 17) + '\0');
  EXPECT_EQ(std::distance(fs::directory_iterator(Drafts()), fs::directory_iterator()), 1);

  draft.Remove();
  EXPECT_FALSE(fs::exists(draft.Path()));
  ASSERT_TRUE(draft.Write("trois"));
  EXPECT_EQ(Contents(draft.Path()), "trois");
}

TEST_F(DraftFileTest, NameTakenByAnEarlierProcessIsSkipped) {
  fs::create_directories(Drafts());
  for (int n = 1; n <= 200; ++n) {
    std::ofstream(Drafts() / ("draft-" + std::to_string(::getpid()) + "-" + std::to_string(n) +
                              ".txt")) << "old";
  }
  DraftFile draft(Folders());
  ASSERT_TRUE(draft.Write("new"));
  EXPECT_EQ(std::distance(fs::directory_iterator(Drafts()), fs::directory_iterator()), 201);
}

TEST_F(DraftFileTest, FindsOnlyDraftsNobodyHolds) {
  EXPECT_TRUE(LeftDrafts(Folders()).empty());  // no directory yet

  DraftFile open(Folders());
  ASSERT_TRUE(open.Write("mine, open"));
  const std::string newer = Plant(kDeadPid, 1, "crashed, newer", 10);
  const std::string older = Plant(kDeadPid, 2, "crashed, older", 500);
  const std::string sameOwnPid = Plant(::getpid(), 999999, "earlier process with my pid", 20);
  Plant(1, 1, "a running process", 1000);
  std::ofstream(Drafts() / "draft-x-3.txt") << "no pid";
  std::ofstream(Drafts() / "notes.txt") << "not a draft";
  fs::create_directory(Drafts() / ("draft-" + std::to_string(kDeadPid) + "-4.txt"));

  const std::vector<LeftDraft> left = LeftDrafts(Folders());
  std::vector<std::pair<std::string, std::string>> found;
  for (const LeftDraft& d : left) found.emplace_back(d.path, d.text);
  EXPECT_EQ(found, (std::vector<std::pair<std::string, std::string>>{
                       {older, "crashed, older"},
                       {sameOwnPid, "earlier process with my pid"},
                       {newer, "crashed, newer"}}));
}

TEST_F(DraftFileTest, ClosedWindowLeavesItsDraft) {
  std::string path;
  {
    DraftFile draft(Folders());
    ASSERT_TRUE(draft.Write("unsaved"));
    path = draft.Path();
  }
  const std::vector<LeftDraft> left = LeftDrafts(Folders());
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0].path, path);
}

TEST_F(DraftFileTest, UnwritableDirectoryFails) {
  std::ofstream(folders_ / "drafts") << "a file where the directory should be";
  DraftFile draft(Folders());
  EXPECT_FALSE(draft.Write("text"));
}

}  // namespace
}  // namespace orvel
