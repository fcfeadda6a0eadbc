#include "content/searchable_store.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "articles/article_arena.h"
#include "articles/mailbox.h"
#include "core/text.h"

namespace orvel {

namespace {

constexpr std::string_view kBodyExtension = ".mbx";

}  // namespace

std::string GroupStoreName(std::string_view alias, std::string_view group) {
  std::string name(alias);
  name += ':';
  name += group;
  return name;
}

GroupStore::GroupStore(std::string alias, std::string group, std::string bodyPath)
    : alias_(std::move(alias)),
      group_(std::move(group)),
      name_(GroupStoreName(alias_, group_)),
      box_(std::make_unique<TCacheBox>(std::move(bodyPath), nullptr)) {
  // A store that keeps headers and bodies: closing the box leaves both files.
  box_->BodiesStored = true;
}

GroupStore::~GroupStore() = default;

std::optional<std::string> GroupStore::Open() {
  Close();
  arena_ = std::make_unique<ArticleArena>();
  HeaderFileDump dump;
  const std::string headerPath = box_->HeaderPath();
  if (!ReadHeaderFile(headerPath, *arena_, dump) || dump.kind != kStoreNewsgroup) {
    Close();
    return "Impossible de lire " + headerPath;
  }
  for (TArticle* a : dump.records) {
    if (a->BodyOffset >= 0 && !a->Has(NodeFlag::Deleted)) records_.push_back(a);
  }
  if (!dump.complete) return headerPath + " Corrompu ?      ";
  return std::nullopt;
}

bool GroupStore::ReadText(const TArticle& article, std::string& out) const {
  return box_->ReadBody(article, out);
}

void GroupStore::Close() {
  records_.clear();
  arena_.reset();
}

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
