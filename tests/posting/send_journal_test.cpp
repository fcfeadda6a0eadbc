#include "posting/send_journal.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

namespace orvel {
namespace {

TEST(SendJournal, KeepsWhereEachEntryStandsAcrossRuns) {
  const auto dir = std::filesystem::temp_directory_path() / ("journal_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::string path = SendJournalPath((dir / "Outbox.mbx").string());
  EXPECT_EQ(std::filesystem::path(path).filename(), "Outbox.sending");

  const FolderEntryKey a{46000.123456789, "Subject\n - part\t%1"};
  const FolderEntryKey b{46000.123456789, "Other"};
  {
    SendJournal journal(path);
    EXPECT_EQ(journal.Resume(a).accepted, 0);
    ASSERT_TRUE(journal.Starting(a, 0, "<id0@x>"));
    ASSERT_TRUE(journal.Accepted(a, 0));
    ASSERT_TRUE(journal.Starting(a, 1, "<id1@x>"));
    ASSERT_TRUE(journal.Starting(b, 0, "<b@x>"));
  }
  SendJournal again(path);
  EXPECT_EQ(again.Resume(a).accepted, 1);
  EXPECT_EQ(again.Resume(a).pendingMessageId, "<id1@x>");
  EXPECT_EQ(again.Resume(b).pendingMessageId, "<b@x>");
  EXPECT_EQ(again.Resume({a.date + 1e-9, a.subject}).pendingMessageId, "") << "exact dates only";
  again.Forget(a);
  EXPECT_EQ(again.Resume(a).pendingMessageId, "");
  EXPECT_EQ(again.Resume(b).pendingMessageId, "<b@x>");
  again.Forget(b);
  EXPECT_FALSE(std::filesystem::exists(path)) << "nothing left to resume";
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace orvel
