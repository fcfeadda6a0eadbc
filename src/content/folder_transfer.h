#pragma once
// Transfer and copy of a group view's articles into a local folder (the
// batch operations 5 and 6). Each article is appended to the folder's store
// as a record with its text. From a newsgroup the record's group field
// becomes "server:group" and the article stays in the group (a queue folder
// also marks it read); from a folder the record keeps its group field and a
// transfer marks the source entry deleted. Sent -> Outbox clears the sent
// flags so that the message can go again.
//
// The folder comes as a TransferTarget: the folder list lives in a layer
// above this one, which opens the folder's store (or hands over the store a
// folder view already has open) for the time of one batch.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "articles/mailbox.h"

namespace orvel {

class TGroupView;

// Refusal of queued articles moved into a folder that is not a queue.
inline constexpr std::string_view kQueueIntoArchiveText = "Q-Archive (file) -> Dossier de file !!!!";

// The folder that receives the articles.
class TransferTarget {
 public:
  virtual ~TransferTarget() = default;
  virtual const std::string& Name() const = 0;
  virtual std::uint8_t Kind() const = 0;
  // Appends the record and its text (none: a record without a body); false
  // when the folder could not take it.
  virtual bool Add(TArticle& record, std::string_view text, std::string_view origin) = 0;
};

// A folder's store opened for one batch.
class StoreTransferTarget final : public TransferTarget {
 public:
  StoreTransferTarget(std::string name, std::string bodyPath, std::uint8_t kind);
  const std::string& Name() const override { return name_; }
  std::uint8_t Kind() const override { return folder_.Kind; }
  bool Add(TArticle& record, std::string_view text, std::string_view origin) override {
    return folder_.AddArticle(record, text.empty() ? nullptr : &text, origin);
  }
  TFolder& Store() { return folder_; }

 private:
  std::string name_;
  TFolder folder_;
};

// Where the articles come from: the store kind of the view (kStoreNewsgroup
// for a newsgroup) and, for a newsgroup, the server's name and the group.
struct TransferSource {
  std::uint8_t kind = kStoreNewsgroup;
  std::string serverName;
  std::string groupName;

  bool IsFolder() const { return kind != kStoreNewsgroup; }
};

// What happens to the source article once it is in the folder.
enum class SourceEffect { None, MarkRead, MarkDeleted };

// Why the articles may not go into a folder of targetKind, or nothing.
// queued: the articles to transfer are those of the batch queue.
std::optional<std::string> TransferRefusal(const TransferSource& source, std::uint8_t targetKind,
                                           bool queued);
SourceEffect TransferEffect(const TransferSource& source, std::uint8_t targetKind, bool copy);
// The record appended for a source article (its strings stay the source's).
TArticle TransferRecord(const TArticle& source, const TransferSource& from, std::uint8_t targetKind);
// The progress bar's text when the batch starts.
std::string TransferStartText(bool copy, std::uint8_t targetKind, std::string_view folderName);
// The progress bar's text after done of total articles, when it changes.
std::optional<std::string> TransferCountText(std::uint8_t targetKind, int done, int total);

// One batch's transfer: the target, the source and the count.
class FolderTransfer {
 public:
  FolderTransfer(TGroupView& view, TransferSource source, std::unique_ptr<TransferTarget> target,
                 bool copy, int total);

  // Appends one article with its text and marks its source; false (said)
  // when the folder refused it.
  bool Append(TArticle& article, std::string_view text);
  std::string StartText() const { return TransferStartText(copy_, target_->Kind(), target_->Name()); }
  bool Copying() const { return copy_; }
  int Done() const { return done_; }

 private:
  TGroupView& view_;
  TransferSource source_;
  std::unique_ptr<TransferTarget> target_;
  bool copy_;
  int total_;
  int done_ = 0;
};

}  // namespace orvel
