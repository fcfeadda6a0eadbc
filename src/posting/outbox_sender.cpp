#include "posting/outbox_sender.h"

#include <algorithm>
#include <filesystem>

#include "articles/store_io.h"
#include "config/main_state.h"

namespace orvel {

unsigned RecordTargets(const TArticle& record) {
  unsigned bits = 0;
  if (record.Has(NodeFlag::MailWanted)) bits |= kXStatusMailWanted;
  if (record.Has(NodeFlag::MailSent)) bits |= kXStatusMailSent;
  if (record.Has(NodeFlag::PostWanted)) bits |= kXStatusPostWanted;
  if (record.Has(NodeFlag::Posted)) bits |= kXStatusPosted;
  return bits;
}

std::optional<std::vector<OutboxEntry>> OutboxEntries(TFolder& outbox, ArticleArena& arena,
                                                      const std::vector<FolderEntryKey>* only,
                                                      std::string& error) {
  std::vector<TArticle*> records;
  if (store_io::FileExists(outbox.path) && !outbox.LoadHeaders(arena, records)) {
    error = outbox.HeaderPath() + " Corrompu ?";
    return std::nullopt;
  }
  std::vector<OutboxEntry> entries;
  for (TArticle* record : records) {
    if (record->Has(NodeFlag::Deleted)) continue;
    const FolderEntryKey key{record->Date, std::string(record->Subject.view())};
    if (only && std::find(only->begin(), only->end(), key) == only->end()) continue;
    entries.push_back(
        {*record, [&outbox, record](std::string& text) { return outbox.ReadBody(*record, text); }});
  }
  return entries;
}

OutboxSender::OutboxSender(PosterEnvironment environment, OutboxPaths paths)
    : environment_(std::move(environment)),
      paths_(std::move(paths)),
      journal_(SendJournalPath(paths_.outbox)) {}

OutboxSender::~OutboxSender() {
  // The poster must not report to a sender that is going away.
  if (poster_ && poster_->Running()) {
    change(0, FlagBit(NodeFlag::Fetching));
  }
  running_ = false;
  poster_.reset();
}

bool OutboxSender::Start(std::vector<OutboxEntry> entries) {
  std::erase_if(entries, [](const OutboxEntry& e) { return e.record.Has(NodeFlag::Deleted); });
  if (running_ || entries.empty()) return false;
  entries_ = std::move(entries);
  index_ = 0;
  sent_ = 0;
  running_ = true;
  if (!poster_) poster_ = std::make_unique<TPoster>(environment_, static_cast<PosterOwner&>(*this));
  next();
  return true;
}

void OutboxSender::Stop() {
  if (running_) poster_->Stop();
}

FolderEntryKey OutboxSender::key() const {
  const TArticle& record = entries_[index_].record;
  return {record.Date, std::string(record.Subject.view())};
}

bool OutboxSender::change(std::uint16_t set, std::uint16_t clear) {
  TArticle& record = entries_[index_].record;
  record.Flags = static_cast<std::uint16_t>((record.Flags | set) & ~clear);
  return ChangeFolderEntry(paths_.outbox, kStoreOutbox, key(), {set, clear});
}

void OutboxSender::next() {
  if (index_ >= entries_.size()) return end(true, {});
  OutboxEntry& entry = entries_[index_];
  const std::string subject(entry.record.Subject.view());
  text_.clear();
  if (!entry.loadText(text_)) return end(false, kEntryFailedText + subject);
  std::string error;
  std::optional<PostSend> send = ReadPostSend(text_, RecordTargets(entry.record), error);
  if (!send) return end(false, subject + ": " + error);
  if (send->MailPending() || send->PostPending()) change(FlagBit(NodeFlag::Fetching), 0);
  poster_->Send(std::move(*send), journal_.Resume(key()));
}

void OutboxSender::posterNotice(int code, int percent, const std::string& text) {
  switch (code) {
    case kPosterMailSent:
      change(FlagBit(NodeFlag::MailSent), 0);
      return;
    case kPosterDone:
    case kPosterDoneKeepCopy:
      return entryDone(code);
    case kPosterFailed:
    case kPosterStopped:
      change(0, FlagBit(NodeFlag::Fetching));
      return end(false, text);
    default:
      if (onProgress) onProgress(code, percent, text);
  }
}

void OutboxSender::entryDone(int code) {
  const unsigned flags = poster_->Flags();
  const bool mailPending = (flags & kXStatusMailWanted) && !(flags & kXStatusMailSent);
  // The copy goes first: should the program stop between the two, a second
  // copy in Sent is better than none.
  if (code == kPosterDoneKeepCopy && !mailPending) appendToSent(text_);
  std::uint16_t set = FlagBit(NodeFlag::Deleted);
  if (flags & kXStatusPosted) set |= FlagBit(NodeFlag::Posted);
  change(set, FlagBit(NodeFlag::Fetching));
  journal_.Forget(key());
  ++sent_;
  if (onEntrySent) onEntrySent(entries_[index_].record);
  ++index_;
  next();
}

void OutboxSender::appendToSent(const std::string& text) {
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(paths_.sent).parent_path(), ec);
  TFolder sent(paths_.sent, kStoreSent);
  sent.clock = environment_.clock;
  sent.TZ = environment_.main->settings.timeZoneOffset();
  TArticle copy = entries_[index_].record;
  copy.Flags = static_cast<std::uint16_t>(
      copy.Flags & ~(FlagBit(NodeFlag::Deleted) | FlagBit(NodeFlag::Fetching)));
  copy.Set(NodeFlag::Posted, (poster_->Flags() & kXStatusPosted) != 0);
  copy.Date = sent.Now();
  const std::string_view body = text;
  sent.AddArticle(copy, &body, copy.Xref.view());
}

void OutboxSender::end(bool complete, const std::string& error) {
  running_ = false;
  entries_.clear();
  if (onFinished) onFinished(complete, error);
}

bool OutboxSender::posterArticleStarting(int article, const std::string& messageId) {
  return journal_.Starting(key(), article, messageId);
}

void OutboxSender::posterArticleAccepted(int article) { journal_.Accepted(key(), article); }

}  // namespace orvel
