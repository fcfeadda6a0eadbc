#pragma once
// Where the Outbox's sends stand, kept beside the Outbox so that a send cut
// short (a lost connection, the program killed) resumes without posting an
// article twice: for each entry whose articles went out in part, how many
// the server took and the Message-ID of the one on its way. One line per
// entry; the file is rewritten whole and atomically at each step.

#include <string>

#include "articles/mailbox.h"
#include "posting/poster.h"

namespace orvel {

class SendJournal {
 public:
  // path: "Outbox.sending" beside the Outbox's files.
  explicit SendJournal(std::string path) : path_(std::move(path)) {}

  PostResume Resume(const FolderEntryKey& key) const;
  // Before an article goes; false when the record could not be written
  // (the article must not go then: a cut would leave no trace of it).
  bool Starting(const FolderEntryKey& key, int article, const std::string& messageId);
  bool Accepted(const FolderEntryKey& key, int article);
  // The entry went out whole: its line goes.
  void Forget(const FolderEntryKey& key);

 private:
  bool store(const FolderEntryKey& key, const PostResume* resume);

  std::string path_;
};

std::string SendJournalPath(const std::string& outboxBodyPath);

}  // namespace orvel
