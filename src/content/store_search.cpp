#include "content/store_search.h"

#include <utility>

#include "content/searchable_store.h"
#include "scoring/group_find.h"

namespace orvel {

namespace {

// Bounds one match in an article's text, so a pattern that backtracks
// catastrophically gives up on that article instead of hanging the window.
constexpr std::uint32_t kSearchMatchLimit = 10'000'000;

}  // namespace

StoreSearch::StoreSearch(StoreSearchListener* listener)
    : listener_(listener ? listener : &nullListener_), re_(true, TPerlre::kCaseless) {}

StoreSearch::~StoreSearch() { closeCurrent(); }

std::optional<std::string> StoreSearch::Start(const StoreSearchOptions& options,
                                              std::vector<SearchableStore*> stores) {
  TPerlre re(true, TPerlre::kCaseless);
  try {
    re.SetCaseSensitive(options.pattern, options.caseSensitive);
  } catch (const EPerlRe& e) {
    return std::string(e.what());
  }
  re.SetMatchLimits(kSearchMatchLimit);
  closeCurrent();
  re_ = std::move(re);
  options_ = options;
  stores_ = std::move(stores);
  rows_.clear();
  storeIndex_ = 0;
  articleIndex_ = 0;
  running_ = true;
  return std::nullopt;
}

bool StoreSearch::Step(std::size_t articles) {
  while (running_ && articles > 0) {
    if (!storeOpen_ && !openNext()) {
      running_ = false;
      break;
    }
    SearchableStore& store = *stores_[storeIndex_];
    const std::vector<TArticle*>& records = store.Articles();
    if (articleIndex_ >= records.size()) {
      closeCurrent();
      ++storeIndex_;
      continue;
    }
    const std::size_t index = articleIndex_++;
    listener_->progress("Recherche " + std::to_string(index + 1) + " de " +
                            std::to_string(records.size()) + " articles",
                        index + 1, records.size());
    searchArticle(*records[index]);
    --articles;
  }
  return running_;
}

bool StoreSearch::openNext() {
  if (storeIndex_ >= stores_.size()) return false;
  SearchableStore& store = *stores_[storeIndex_];
  listener_->folderText("Dossier " + store.Name());
  articleIndex_ = 0;
  readFailed_ = false;
  storeOpen_ = true;
  if (const auto error = store.Open()) fail(*error);
  return true;
}

void StoreSearch::closeCurrent() {
  if (storeOpen_ && storeIndex_ < stores_.size()) stores_[storeIndex_]->Close();
  storeOpen_ = false;
}

void StoreSearch::fail(std::string_view reason) {
  if (std::exchange(readFailed_, true)) return;
  listener_->storeFailed(stores_[storeIndex_]->Name(), reason);
}

void StoreSearch::searchArticle(const TArticle& article) {
  if (options_.skipBig && article.Lines >= kBigArticleLines) return;
  SearchableStore& store = *stores_[storeIndex_];
  if (!store.ReadText(article, text_)) {
    fail("Impossible de lire l'article " + std::string(article.MessageID.view()));
    return;
  }
  for (bool found = re_.Match(text_); found; found = re_.NextMatch()) {
    const auto [position, length] = re_.SubExpPos(0);
    SearchRow row;
    row.store = storeIndex_;
    row.folder = store.Name();
    row.subject = article.Subject.view();
    row.author = article.FromName().empty() ? article.FromAddress() : article.FromName();
    row.number = article.Number;
    row.messageId = article.MessageID.view();
    row.offset = static_cast<std::size_t>(position - 1);
    row.length = static_cast<std::size_t>(length);
    row.matched = text_.substr(row.offset, row.length);
    rows_.push_back(std::move(row));
    listener_->rowAdded(rows_.back());
    if (options_.onePerArticle) break;
  }
}

}  // namespace orvel
