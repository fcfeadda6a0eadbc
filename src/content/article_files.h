#pragma once
// Articles kept as files (one article per file, as saved or as posted, or a
// bare encoded body without headers) seen as the queue of a batch: each
// file is a stored article, taken in the given order. orvel-cli's decode
// command runs on it.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "content/batch.h"
#include "content/mime.h"

namespace orvel {

// Where an article stands in a multi-part post: "(k/N)" or "[k/N]" in its
// subject, else "number=" and "total=" of a message/partial, else "part="
// and "total=" of its first "=ybegin " line; -1 where none says. The series
// is the subject with its counter left out.
struct ArticlePart {
  int number = -1;
  int total = -1;
  std::string series;
};
ArticlePart ArticlePartOf(std::string_view subject, std::string_view text, bool headerless);

// A text whose first line (after blank ones) is not a header line
// ("Name: value", or a mailbox "From " line) is a bare body: a file as
// uuencode or a yEnc encoder writes it.
bool IsBareBody(std::string_view text);

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
  bool storedText(BatchItem item, std::string& text) override;
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
  mutable TMime headerParser_{false};  // reused: its patterns compile once
};

}  // namespace orvel
