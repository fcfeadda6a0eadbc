#include "content/nzb_thread.h"

#include <algorithm>
#include <vector>

#include "articles/article.h"
#include "articles/article_date.h"
#include "articles/header_utils.h"

namespace orvel {

namespace {

// The file of a post's parts, in part order: poster, date and subject of
// the first.
NzbFile fileOfParts(const std::vector<const TArticle*>& parts, std::string_view group) {
  NzbFile file;
  if (!group.empty()) file.groups.emplace_back(group);
  if (parts.empty()) return file;
  const TArticle& first = *parts.front();
  file.poster = FormatAddress(first.FromName(), first.FromAddress());
  file.date = first.Date == 0 ? 0 : UnixFromDateTime(first.Date);  // 0: no date
  file.subject = std::string(first.Subject.view());
  for (const TArticle* a : parts) {
    file.segments.push_back({std::max(a->PartNumber, 1), a->Bytes, std::string(a->MessageID.view())});
  }
  return file;
}

}  // namespace

NzbFile NzbFileOfThread(const TAThread& thread, std::string_view group) {
  // One article a part; the threading pass keeps a thread's parts in part
  // order, and a part posted again stands beside the first posting.
  std::vector<const TArticle*> parts;
  for (const TArticle* a : thread.Articles) {
    if (parts.empty() || parts.back()->PartNumber != a->PartNumber) {
      parts.push_back(a);
    } else if (a->Number < parts.back()->Number) {
      parts.back() = a;
    }
  }
  return fileOfParts(parts, group);
}

NzbFile NzbFileOfArticle(const TArticle& article, std::string_view group) {
  return fileOfParts({&article}, group);
}

NzbDocument NzbOfArticles(const std::vector<const TArticle*>& articles, std::string_view group) {
  NzbDocument document;
  std::vector<const TAThread*> done;
  for (const TArticle* a : articles) {
    if (const TAThread* t = a->Thread; t && t->IsMultiPart()) {
      if (std::find(done.begin(), done.end(), t) != done.end()) continue;
      done.push_back(t);
      document.files.push_back(NzbFileOfThread(*t, group));
    } else if (a->PartNumber >= 1) {
      document.files.push_back(NzbFileOfArticle(*a, group));
    }
  }
  return document;
}

}  // namespace orvel
