#pragma once
// The Outbox batch: sends the chosen entries one after another through a
// poster and keeps each entry's record true to what was sent. An entry
// being sent is flagged so; mail sent and posted are recorded as they
// happen; an entry sent whole is marked deleted (and copied into Sent when
// it asks to keep a copy); a failure stops the batch and leaves the entry
// queued with what it still wants. Where a send of articles stands is kept
// in the send journal, so that the next send resumes it.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "articles/article_arena.h"
#include "articles/mailbox.h"
#include "posting/poster.h"
#include "posting/send_journal.h"

namespace orvel {

inline constexpr const char* kReadyToSendQuestion = "Ready to send messages?";
inline constexpr const char* kEntryFailedText = "Echec       ";

// An entry of the Outbox: its record (the strings stay its store's for the
// whole batch) and how to read its stored text.
struct OutboxEntry {
  TArticle record;
  std::function<bool(std::string& text)> loadText;
};

struct OutboxPaths {
  std::string outbox;  // body files
  std::string sent;
};

class OutboxSender final : private PosterOwner {
 public:
  OutboxSender(PosterEnvironment environment, OutboxPaths paths);
  ~OutboxSender();

  // Poster codes 0-5 with their percentages and texts.
  std::function<void(int code, int percent, const std::string& text)> onProgress;
  // An entry was sent whole.
  std::function<void(const TArticle& record)> onEntrySent;
  // The batch ended: complete (code 9), or stopped by a failure (the text
  // says why) or by Stop.
  std::function<void(bool complete, const std::string& error)> onFinished;

  // Starts the batch; false when one runs or there is nothing to send.
  bool Start(std::vector<OutboxEntry> entries);
  void Stop();
  bool Running() const { return running_; }
  int SentCount() const { return sent_; }

 private:
  void next();
  void entryDone(int code);
  void end(bool complete, const std::string& error);
  bool change(std::uint16_t set, std::uint16_t clear);
  void appendToSent(const std::string& text);
  FolderEntryKey key() const;

  void posterNotice(int code, int percent, const std::string& text) override;
  bool posterArticleStarting(int article, const std::string& messageId) override;
  void posterArticleAccepted(int article) override;

  PosterEnvironment environment_;
  OutboxPaths paths_;
  SendJournal journal_;
  std::unique_ptr<TPoster> poster_;
  std::vector<OutboxEntry> entries_;
  std::size_t index_ = 0;
  std::string text_;  // the current entry's stored text
  bool running_ = false;
  int sent_ = 0;
};

// The live entries of an Outbox store (its records in arena), only those
// with the given keys when keys are given. Nothing, with the reason, when
// its header file cannot be read.
std::optional<std::vector<OutboxEntry>> OutboxEntries(TFolder& outbox, ArticleArena& arena,
                                                      const std::vector<FolderEntryKey>* only,
                                                      std::string& error);

// The record's mail and post bits as X-Status bits.
unsigned RecordTargets(const TArticle& record);

}  // namespace orvel
