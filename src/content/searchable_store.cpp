#include "content/searchable_store.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "articles/article_arena.h"
#include "articles/mailbox.h"
#include "articles/store_io.h"
#include "core/text.h"

namespace orvel {

namespace {

constexpr std::string_view kBodyExtension = ".mbx";

// The store's files through the mailbox reader only: unlike the stores a
// view opens, it never rebuilds, purges or deletes anything.
class StoreFiles final : public TMailbox {
 public:
  StoreFiles(std::uint8_t kind, std::string bodyPath) : TMailbox(kind, std::move(bodyPath)) {}
};

}  // namespace

std::string GroupStoreName(std::string_view alias, std::string_view group) {
  std::string name(alias);
  name += ':';
  name += group;
  return name;
}

MailboxStore::MailboxStore(std::string name, std::string bodyPath, std::uint8_t kind)
    : name_(std::move(name)), files_(std::make_unique<StoreFiles>(kind, std::move(bodyPath))) {}

MailboxStore::~MailboxStore() = default;

const std::string& MailboxStore::BodyPath() const { return files_->path; }

std::optional<std::string> MailboxStore::Open() {
  Close();
  arena_ = std::make_unique<ArticleArena>();
  HeaderFileDump dump;
  const std::string headerPath = files_->HeaderPath();
  // A folder never written to (an Outbox not used yet) has no files.
  if (!store_io::FileExists(files_->path) && !store_io::FileExists(headerPath)) return std::nullopt;
  if (!ReadHeaderFile(headerPath, *arena_, dump) || dump.kind != files_->Kind) {
    Close();
    return "Impossible de lire " + headerPath;
  }
  for (TArticle* a : dump.records) {
    if (a->BodyOffset >= 0 && !a->Has(NodeFlag::Deleted)) records_.push_back(a);
  }
  if (!dump.complete) return headerPath + " Corrompu ?      ";
  return std::nullopt;
}

bool MailboxStore::ReadText(const TArticle& article, std::string& out) const {
  return files_->ReadBody(article, out);
}

void MailboxStore::Close() {
  records_.clear();
  arena_.reset();
}

GroupStore::GroupStore(std::string alias, std::string group, std::string bodyPath)
    : MailboxStore(GroupStoreName(alias, group), std::move(bodyPath), kStoreNewsgroup),
      alias_(std::move(alias)),
      group_(std::move(group)) {}

FolderStore::FolderStore(std::string name, std::string bodyPath, std::uint8_t kind)
    : MailboxStore(std::move(name), std::move(bodyPath), kind) {}

std::vector<std::unique_ptr<SearchableStore>> ListGroupStores(
    std::string_view baseDir, const std::vector<std::string>& aliases) {
  std::vector<std::unique_ptr<SearchableStore>> stores;
  std::filesystem::path data(baseDir);
  data /= "data";
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(data, error)) {
    const std::string file = entry.path().filename().string();
    if (!entry.is_regular_file(error) || !file.ends_with(kBodyExtension)) continue;
    for (const std::string& alias : aliases) {
      const std::string prefix = "[" + alias + "] ";
      if (!file.starts_with(prefix)) continue;
      const std::string_view escaped = std::string_view(file).substr(
          prefix.size(), file.size() - prefix.size() - kBodyExtension.size());
      stores.push_back(std::make_unique<GroupStore>(alias, unescapeHex(escaped, '%'),
                                                    entry.path().string()));
    }
  }
  std::sort(stores.begin(), stores.end(),
            [](const auto& a, const auto& b) { return a->Name() < b->Name(); });
  return stores;
}

}  // namespace orvel
