// The folder menus' items and the rules that enable each transfer target.

#include "folders/folder_menus.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "core/atomic_file.h"

namespace orvel {
namespace {

// Outbox, Sent, "arch" (2), "q" (3, a queue), "arch2" (4).
TFolderList sampleList() {
  const std::string ini = (std::filesystem::temp_directory_path() /
                           ("orvel-menus-" + std::to_string(::getpid()) + ".ini"))
                              .string();
  EXPECT_TRUE(SaveFileAtomically(
      ini, "[Folders]\ncount=3\n1=arch\n2=q\n3=arch2\n[Queues]\nq=1\n"));
  TFolderList list(ini, "/f/");
  list.Load();
  std::filesystem::remove(ini);
  return list;
}

TEST(FolderMenus, ItemsAndMoreAfterThirty) {
  TFolderList list("/nonexistent/folders.ini", "/f/");
  list.Load();
  list.Add("a&b", "/f/a&b.mbx", false);
  list.Add("q", "/f/q.mbx", true);
  auto items = FolderMenuItems(list);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].caption, "a&b");
  EXPECT_EQ(items[1].caption, "/q/");
  EXPECT_EQ(items[1].folder, 3u);
  items = TransferMenuItems(list);
  EXPECT_EQ(items[0].caption, "-> a&b");
  EXPECT_EQ(items[1].caption, "-> /q/");

  for (int i = 2; i < 30; ++i) list.Add("f" + std::to_string(i), "", false);
  items = TransferMenuItems(list);
  ASSERT_EQ(items.size(), 30u);
  EXPECT_FALSE(items.back().more);
  list.Add("f30", "", false);
  items = TransferMenuItems(list);
  ASSERT_EQ(items.size(), 31u);
  EXPECT_EQ(items[29].caption, "-> f29");
  EXPECT_TRUE(items[30].more);
  EXPECT_EQ(items[30].caption, "&more...");
  EXPECT_EQ(FolderMenuItems(list).size(), 31u);
}

TEST(FolderMenus, TransferRules) {
  const TFolderList list = sampleList();
  using S = TransferView;
  struct Case {
    const char* label;
    TransferContext context;
    bool newArchive, newQueue;
    std::vector<bool> folders;  // Outbox, Sent, arch, q, arch2
  };
  const std::vector<Case> cases = {
      {"group, all allowed", {S::Newsgroup, 2, true, true, true}, true, true,
       {false, false, true, true, true}},
      {"group, no selection", {S::Newsgroup, 0, false, false, false}, false, false,
       {false, false, false, false, false}},
      {"group, archive only", {S::Newsgroup, 0, true, true, false}, true, false,
       {false, false, true, false, true}},
      {"sent to outbox", {S::Sent, 1, true, true, true}, true, false,
       {true, false, true, true, true}},
      {"sent without selection", {S::Sent, 1, false, true, true}, false, false,
       {false, false, true, true, true}},
      {"outbox to sent", {S::Outbox, 0, true, true, true}, true, false,
       {false, true, true, true, true}},
      {"archive folder not into itself", {S::ArchiveFolder, 2, true, true, true}, true, false,
       {false, false, false, true, true}},
      {"queue folder not into itself", {S::QueueFolder, 3, true, true, true}, true, true,
       {false, false, true, false, true}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const TransferTargets t = EnabledTransferTargets(list, c.context);
    EXPECT_EQ(t.newArchive, c.newArchive);
    EXPECT_EQ(t.newQueue, c.newQueue);
    EXPECT_EQ(t.folders, c.folders);
  }
}

}  // namespace
}  // namespace orvel
