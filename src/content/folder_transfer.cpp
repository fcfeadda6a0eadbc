#include "content/folder_transfer.h"

#include "articles/group_view.h"
#include "articles/marking.h"
#include "core/prompter.h"

namespace orvel {

namespace {

// A queue folder's counter moves on every this many articles.
constexpr int kQueueCountStep = 64;

}  // namespace

StoreTransferTarget::StoreTransferTarget(std::string name, std::string bodyPath, std::uint8_t kind)
    : name_(std::move(name)), folder_(std::move(bodyPath), kind) {}

std::optional<std::string> TransferRefusal(const TransferSource& source, std::uint8_t targetKind,
                                           bool queued) {
  if (!source.IsFolder() && queued && targetKind != kStoreQueue) {
    return std::string(kQueueIntoArchiveText);
  }
  return std::nullopt;
}

SourceEffect TransferEffect(const TransferSource& source, std::uint8_t targetKind, bool copy) {
  if (source.IsFolder()) return copy ? SourceEffect::None : SourceEffect::MarkDeleted;
  return targetKind == kStoreQueue ? SourceEffect::MarkRead : SourceEffect::None;
}

TArticle TransferRecord(const TArticle& source, const TransferSource& from, std::uint8_t targetKind) {
  TArticle record = source;
  record.QueuePosition = -1;
  record.BodyOffset = -1;
  record.Thread = nullptr;
  // The view's own state of the row means nothing in the folder.
  for (NodeFlag f : {NodeFlag::Old, NodeFlag::Fetching, NodeFlag::SomeRead}) record.Set(f, false);
  if (from.kind == kStoreSent && targetKind == kStoreOutbox) {
    record.Set(NodeFlag::MailSent, false);
    record.Set(NodeFlag::Posted, false);
  }
  return record;
}

std::string TransferStartText(bool copy, std::uint8_t targetKind, std::string_view folderName) {
  if (targetKind == kStoreQueue) return "File......";
  return (copy ? "Copié dans: " : " Transféré dans: ") + std::string(folderName);
}

std::optional<std::string> TransferCountText(std::uint8_t targetKind, int done, int total) {
  if (targetKind != kStoreQueue || done <= 0 || done % kQueueCountStep != 0) return std::nullopt;
  return "File... " + std::to_string(done) + " de " + std::to_string(total);
}

FolderTransfer::FolderTransfer(TGroupView& view, TransferSource source,
                               std::unique_ptr<TransferTarget> target, bool copy, int total)
    : view_(view), source_(std::move(source)), target_(std::move(target)), copy_(copy), total_(total) {}

bool FolderTransfer::Append(TArticle& article, std::string_view text) {
  TArticle record = TransferRecord(article, source_, target_->Kind());
  const std::string origin =
      source_.IsFolder() ? std::string(article.Xref.view()) : source_.serverName + ":" + source_.groupName;
  if (!target_->Add(record, text, origin)) {
    view_.UserPrompter().message("Écriture impossible dans le dossier " + target_->Name(),
                                 MessageKind::Error);
    return false;
  }
  switch (TransferEffect(source_, target_->Kind(), copy_)) {
    case SourceEffect::MarkRead: MarkRead(view_, article, true, true); break;
    case SourceEffect::MarkDeleted: MarkDelete(view_, article, true, true); break;
    case SourceEffect::None: break;
  }
  ++done_;
  if (const auto counter = TransferCountText(target_->Kind(), done_, total_)) {
    view_.Observer().progressText(*counter);
  }
  return true;
}

}  // namespace orvel
