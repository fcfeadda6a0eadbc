#pragma once
// Articles kept as files (one article per file, as saved or as posted) seen
// as the queue of a batch: each file is a stored article, taken in the given
// order, so the parts of a split post given in part order decode into one
// file. orvel-cli's decode command runs on it.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "content/batch.h"

namespace orvel {

// The part number of an article: "(k/N)" or "[k/N]" in its subject (the
// last such counter), else "number=" of a message/partial, else "part=" of
// its first "=ybegin " line; -1 when none says.
int ArticlePartNumber(std::string_view subject, std::string_view text);

class ArticleFileHost : public BatchHost {
 public:
  explicit ArticleFileHost(std::vector<std::string> paths);

  // Queues every file, in order, into the batch.
  void queueAll(TBatch& batch);
  const std::vector<std::string>& paths() const { return paths_; }
  // Files that could not be read.
  const std::vector<std::string>& unreadable() const { return unreadable_; }
  // Files that failed their CRC check.
  const std::vector<std::string>& missing() const { return missing_; }
  bool ended() const { return ended_; }

  BatchArticleInfo articleInfo(BatchItem item) const override;
  bool isOnline() const override { return true; }
  std::optional<std::string> storedText(BatchItem item) override;
  bool fetchArticle(BatchItem, std::string_view) override { return false; }
  void setQueuePosition(BatchItem, int) override {}
  void articleDone(BatchItem) override {}
  void articleInterrupted(BatchItem) override {}
  void markMissing(BatchItem item) override;
  bool requeueFromAlternative(BatchItem) override { return false; }
  bool storeBody(BatchItem, std::string_view) override { return false; }
  bool otherOperation(BatchOperation, BatchItem, std::string_view) override { return false; }
  void batchEnded() override { ended_ = true; }

 private:
  std::vector<std::string> paths_;
  std::vector<std::string> unreadable_;
  std::vector<std::string> missing_;
  bool ended_ = false;
};

}  // namespace orvel
