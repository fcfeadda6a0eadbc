// The folder side of TGroupView: opening, reloading, saving and purging a
// local folder's store, and the articles appended to it while it is open.
#include <algorithm>
#include <filesystem>

#include "articles/group_view.h"
#include "articles/marking.h"
#include "articles/progress_texts.h"
#include "articles/store_io.h"
#include "config/main_state.h"
#include "core/text.h"

namespace orvel {

std::string TGroupView::StatusTag() const {
  if (!folder_) return {};
  switch (folder_->kind) {
    case kStoreOutbox: return "F:outbox";
    case kStoreSent: return "F:sent";
    default: return "F:user";
  }
}

std::string_view TGroupView::IconName() const {
  if (!folder_) return {};
  switch (folder_->kind) {
    case kStoreOutbox: return "ZOUTBOX";
    case kStoreQueue: return "ZQUEUE";
    default: return "ZFOLDER";
  }
}

std::shared_ptr<TProfile> TGroupView::OriginProfile(const TArticle& article) const {
  if (!folder_) return nullptr;
  const std::string_view origin = article.Xref.view();
  const std::size_t colon = origin.find(':');
  if (colon == std::string_view::npos || colon == 0) return nullptr;
  const std::string_view server = origin.substr(0, colon);
  for (const auto& p : services_.main.profiles) {
    if (p && equalsNoCase(p->alias, server)) return p;
  }
  return nullptr;
}

void TGroupView::openFolder() {
  view_.groupName = folder_->name;
  view_.newsgroup = false;
  view_.options = options_.xover;
  view_.prompter = &services_.prompter;
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(folder_->path).parent_path(), ec);
  folderStore_ = std::make_unique<TFolder>(folder_->path, folder_->kind);
  folderStore_->CompactPercent = options_.compactPercent;
  folderStore_->TZ = options_.xover.TZ;
  folderStore_->clock = &services_.clock;
  folderStore_->prompter = &services_.prompter;
  view_.storeModified = &folderStore_->Modified;
  slots_.SetView(nullptr, {}, nullptr);
  observer_->captionChanged(Caption());
  WatchFolder(folder_->path, *this);
  loadFolder();
  if (folderStore_->DroppedBytes() > 0) {
    services_.prompter.status(TornEntryText(folderStore_->DroppedBytes()));
  }
}

void TGroupView::loadFolder() {
  services_.prompter.status(kLoadingText);
  folderStore_->LoadHeaders(arena_, lists_.masterList);
  recountArticles();
  thread();
}

void TGroupView::freeArticles(std::vector<TArticle*> records) {
  if (records.empty()) return;
  std::sort(records.begin(), records.end());
  observer_->articlesFreed(records);
  if (current_ && std::binary_search(records.begin(), records.end(), current_)) current_ = nullptr;
  std::erase_if(lists_.masterList, [&](TArticle* a) {
    return std::binary_search(records.begin(), records.end(), a);
  });
  for (TArticle* a : records) arena_.Free(a);
}

void TGroupView::refreshFolder() {
  services_.prompter.status("Sauvegarde.......");
  std::vector<TArticle*> dropped;
  for (TArticle* a : lists_.masterList) {
    if (!a->Has(NodeFlag::Deleted)) continue;
    if (a->QueuePosition >= 0) {
      a->Set(NodeFlag::Deleted, false);
    } else {
      dropped.push_back(a);
    }
  }
  lists_.viewList = nullptr;
  freeArticles(std::move(dropped));
  folderStore_->Modified = true;
  folderStore_->SaveHeaders(lists_.masterList, true);
  // Offsets and record positions changed: the records are read anew.
  freeArticles(lists_.masterList);
  loadFolder();
}

void TGroupView::closeFolder() {
  UnwatchFolder(*this);
  if (folderStore_ && folderStore_->Modified) {
    services_.prompter.status(kSavingFolderText);
    folderStore_->SaveHeaders(lists_.masterList, true);
  }
  folderStore_.reset();
}

bool TGroupView::PurgeFolder() {
  if (!folder_ || !folderStore_) return false;
  if (services_.prompter.ask(kPurgeFolderQuestion, kYesNo) != Button::Yes) return false;
  UnwatchFolder(*this);
  folderStore_->Purge();
  folderStore_->Modified = false;
  observer_->closeRequested();
  return true;
}

void TGroupView::folderArticleAdded(const TArticle& article, std::string_view origin,
                                    std::int32_t recordOffset) {
  StringPool& pool = arena_.Strings();
  TArticle* a = arena_.New();
  a->Subject = pool.Share(article.Subject.view());
  a->SetFrom(pool, article.FromName(), article.FromAddress());
  a->MessageID = pool.Store(article.MessageID.view());
  a->SetReferences(pool, article.References.str());
  a->Xref = pool.Store(origin);
  a->Date = article.Date;
  a->Bytes = article.Bytes;
  a->Lines = article.Lines;
  a->BodyOffset = article.BodyOffset;
  a->Flags = article.Flags;
  // As a load of the files would give it.
  for (NodeFlag f : {NodeFlag::Read, NodeFlag::Deleted, NodeFlag::Old, NodeFlag::Kept,
                     NodeFlag::ReplyToMe, NodeFlag::Fetching}) {
    a->Set(f, false);
  }
  a->Score = recordOffset;
  lists_.masterList.push_back(a);
  if (lists_.viewList) lists_.viewList->push_back(a);
  recountArticles();
  thread();
}

bool TGroupView::folderEntryChanged(const FolderEntryKey& key, const FolderEntryChange& change) {
  constexpr std::uint16_t kDeleted = FlagBit(NodeFlag::Deleted);
  for (TArticle* a : lists_.masterList) {
    if (a->Has(NodeFlag::Deleted) || a->Date != key.date || a->Subject.view() != key.subject) {
      continue;
    }
    a->Flags = static_cast<std::uint16_t>((a->Flags | (change.set & ~kDeleted)) & ~change.clear);
    folderStore_->Modified = true;
    observer_->rowChanged(*a);
    if (change.set & kDeleted) MarkDelete(*this, *a, true, true);
    return true;
  }
  return false;
}

}  // namespace orvel
