#include "content/nzb_thread.h"

#include "articles/article.h"
#include "articles/article_date.h"
#include "articles/header_utils.h"

namespace orvel {

NzbFile NzbFileOfThread(const TAThread& thread, std::string_view group) {
  NzbFile file;
  if (!group.empty()) file.groups.emplace_back(group);
  // The threading pass keeps a thread's parts in part order.
  for (const TArticle* a : thread.Articles) {
    if (!file.segments.empty() && file.segments.back().number == a->PartNumber) continue;
    if (file.segments.empty()) {
      file.poster = FormatAddress(a->FromName(), a->FromAddress());
      file.date = a->Date == 0 ? 0 : UnixFromDateTime(a->Date);  // 0: no date
      file.subject = std::string(a->Subject.view());
    }
    file.segments.push_back({a->PartNumber, a->Bytes, std::string(a->MessageID.view())});
  }
  return file;
}

}  // namespace orvel
