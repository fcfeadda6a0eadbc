#pragma once
// Builds small article lists for the threading and store tests (header only:
// the layer test programs take only *_test.cpp files).

#include <string>
#include <string_view>
#include <vector>

#include "articles/article_arena.h"
#include "articles/header_utils.h"
#include "articles/threading.h"

namespace orvel::test {

struct ArticleSpec {
  std::string subject;
  std::string messageId;
  std::string references;
  std::string from = "Poster <poster@example.com>";
  std::int32_t lines = 20;
  double date = 0;
};

class ThreadBuilder {
 public:
  TArticle* Add(const ArticleSpec& spec);
  TArticle* Add(std::string subject, std::string id, std::string refs = {}, double date = 0) {
    ArticleSpec s;
    s.subject = std::move(subject);
    s.messageId = std::move(id);
    s.references = std::move(refs);
    s.date = date;
    return Add(s);
  }
  void Thread(ThreadOptions options = {}) { ThreadArticles(lists, options, stats); }
  // "subject@depth" for every row, threads shown as "[subject]".
  std::vector<std::string> Rows() const;
  TArticle* ById(std::string_view id) const;
  // Shows or hides one thread's articles and rebuilds the rows, as the group
  // view does.
  void SetExpanded(TAThread& thread, bool expanded);

  ArticleArena arena;
  ViewLists lists;
  ThreadStats stats;
};

inline TArticle* ThreadBuilder::Add(const ArticleSpec& spec) {
  TArticle* a = arena.New();
  StringPool& pool = arena.Strings();
  a->Number = static_cast<std::int32_t>(lists.masterList.size()) + 1;
  a->Subject = pool.Share(spec.subject);
  a->MessageID = pool.Store(spec.messageId);
  a->SetReferences(pool, spec.references);
  const FromParts from = ParseFrom(spec.from);
  a->SetFrom(pool, from.name, from.address);
  a->Lines = spec.lines;
  a->Bytes = spec.lines * 60;
  a->Date = spec.date != 0 ? spec.date : 40000 + static_cast<double>(lists.masterList.size());
  lists.masterList.push_back(a);
  return a;
}

inline std::vector<std::string> ThreadBuilder::Rows() const {
  std::vector<std::string> rows;
  for (const TNode* n : lists.rowList) {
    const std::string subject(n->Subject.view());
    rows.push_back(n->IsThread() ? "[" + subject + "]" : subject + "@" + std::to_string(n->Depth()));
  }
  return rows;
}

inline TArticle* ThreadBuilder::ById(std::string_view id) const {
  for (TArticle* a : lists.masterList) {
    if (a->MessageID == id) return a;
  }
  return nullptr;
}

inline void ThreadBuilder::SetExpanded(TAThread& thread, bool expanded) {
  thread.Expanded = expanded;
  lists.rowList.clear();
  for (TNode* root : lists.rootList) {
    root->SourceIndex = static_cast<std::int32_t>(lists.rowList.size());
    lists.rowList.push_back(root);
    if (TAThread* t = root->AsThread()) {
      for (TArticle* a : t->Articles) {
        a->SourceIndex = t->Expanded ? static_cast<std::int32_t>(lists.rowList.size()) : -1;
        if (t->Expanded) lists.rowList.push_back(a);
      }
    }
  }
}

}  // namespace orvel::test
