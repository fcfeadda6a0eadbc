#include "articles/threading.h"

#include <algorithm>
#include <array>
#include <cstring>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "articles/header_utils.h"
#include "articles/article_key_table.h"
#include "articles/string_pool.h"
#include "core/hash.h"
#include "core/page_filler.h"
#include "core/prompter.h"
#include "core/text.h"

namespace orvel {

namespace {

// Clears what a pass computes for an article.
void resetPlacement(TArticle& a) {
  a.Position = -1;
  a.Thread = nullptr;
  a.SourceIndex = -1;
  a.SetDepth(0);
  a.PartNumber = -1;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Reads "(part/total)" backwards from the closing character at close.
bool partsBefore(std::string_view s, std::size_t close, char open, PartNumbers& out) {
  std::size_t i = close;  // one past the character to look at next
  auto skipBlanks = [&] {
    while (i > 0 && isBlank(s[i - 1])) --i;
  };
  auto digitsBack = [&](std::size_t& begin, std::size_t& end) {
    end = i;
    while (i > 0 && isDigit(s[i - 1])) --i;
    begin = i;
    return begin < end && end - begin <= 9;
  };
  std::size_t totalBegin, totalEnd, partBegin, partEnd;
  skipBlanks();
  if (!digitsBack(totalBegin, totalEnd)) return false;
  skipBlanks();
  if (i == 0 || s[i - 1] != '/') return false;
  --i;
  skipBlanks();
  if (!digitsBack(partBegin, partEnd)) return false;
  skipBlanks();
  if (i == 0 || s[i - 1] != open) return false;
  auto number = [&](std::size_t b, std::size_t e) {
    std::int32_t v = 0;
    for (std::size_t k = b; k < e; ++k) v = v * 10 + (s[k] - '0');
    return v;
  };
  out.part = number(partBegin, partEnd);
  out.total = number(totalBegin, totalEnd);
  out.prefix = s.substr(0, partBegin);
  out.suffix = s.substr(partEnd);
  out.tildes = static_cast<std::int32_t>(totalEnd - totalBegin);
  out.sameWidth = partEnd - partBegin == totalEnd - totalBegin;
  return true;
}

// Where c last occurs in s[0, end), or npos. Every subject of a group is
// searched this way, most of them to their start: glibc's memrchr reads
// many bytes at a time.
std::size_t lastOf(std::string_view s, std::size_t end, char c) {
#if defined(__GLIBC__)
  const void* hit = end ? ::memrchr(s.data(), c, end) : nullptr;
  return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - s.data()) : std::string_view::npos;
#else
  return end ? s.rfind(c, end - 1) : std::string_view::npos;
#endif
}

bool findParts(std::string_view s, char open, char close, PartNumbers& out) {
  for (std::size_t at = lastOf(s, s.size(), close); at != std::string_view::npos;
       at = lastOf(s, at, close)) {
    if (partsBefore(s, at, open, out)) return true;
  }
  return false;
}

// The pass's tables are its own and never iterated, so they may use a
// faster hash than the tables' built-in one, which reads a byte at a time.
std::int32_t passHash(std::string_view key) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(TextHash(key)));
}

// One threading pass; see the top of threading.h.
class Threader {
 public:
  Threader(ViewLists& lists, const ThreadOptions& options, ThreadStats& stats)
      : lists_(lists), options_(options), stats_(stats), list_(lists.ViewList()) {}

  void run() {
    byKey_.SetHashFunction(&passHash);
    // Multi-part keys are one per series, often none: that table grows as
    // they come instead of taking a bucket per eight articles up front.
    byKey_.SetGrows(true);
    const std::size_t n = list_.size();
    indexAll(n);
    placeAll(n);
    for (TAThread& t : lists_.threadNodes) {
      for (std::size_t k = 0; k < t.Articles.size(); ++k) {
        t.Articles[k]->Position = static_cast<std::int32_t>(k);
      }
    }
  }

 private:
  // Indexes every article by Message-ID and resets it. Each key is hashed a
  // little ahead of its insert, which then finds the text still cached and
  // its slot loaded; the hashes wait in a small ring, not in an array of the
  // whole list, whose fresh pages cost more than hashing again.
  void indexAll(std::size_t n) {
    constexpr std::size_t kAhead = 16;
    std::array<std::uint64_t, 2 * kAhead> ids;
    const auto idAt = [&](std::size_t k) -> std::uint64_t& { return ids[k % ids.size()]; };
    for (std::size_t k = 0; k < std::min(n, kAhead); ++k) idAt(k) = MessageIdTable::HashOf(list_[k]->MessageID);
    for (std::size_t k = 0; k < n; ++k) {
      if (k + 3 * kAhead < n) list_[k + 3 * kAhead]->PrefetchRecord();
      if (k + 2 * kAhead < n) list_[k + 2 * kAhead]->MessageID.Prefetch();
      if (k + kAhead < n) {
        idAt(k + kAhead) = MessageIdTable::HashOf(list_[k + kAhead]->MessageID);
        byId_.Prefetch(idAt(k + kAhead));
      }
      resetPlacement(*list_[k]);
      byId_.Add(list_[k], idAt(k));
      list_[k]->SourceIndex = static_cast<std::int32_t>(k);
    }
  }

  // Places every article. The pass waits on cache misses, so what article i
  // reads is loaded in steps ahead of it: farthest, the start of its
  // References (a link's node names the parent ID); then its Message-ID and
  // parent ID texts, which are then hashed; well ahead, its parent's slot and, for
  // a part's removal, its own slot; then the parent entry's record; last
  // that record's Message-ID. A prefetch for an article without a parent or
  // without parts is harmless, and skipping it would cost more tests.
  void placeAll(std::size_t n) {
    constexpr std::size_t kRecord = 88;
    constexpr std::size_t kLink = 72;
    constexpr std::size_t kText = 56;
    constexpr std::size_t kFar = 40;
    constexpr std::size_t kNear = 12;
    constexpr std::size_t kNearest = 4;
    static_assert(kFar < kWindow);
    hashedTo_ = 0;
    for (std::size_t i = 0; i < n;) {
      if (i + kRecord < n) list_[i + kRecord]->PrefetchRecord();
      if (i + kLink < n) list_[i + kLink]->PrefetchReferences();
      if (i + kText < n) {
        list_[i + kText]->MessageID.Prefetch();
        list_[i + kText]->PrefetchParentID();
      }
      for (const std::size_t end = std::min(n, i + kFar + 1); hashedTo_ < end; ++hashedTo_) {
        hashesAt(hashedTo_) = hashesOf(*list_[hashedTo_]);
      }
      if (i + kFar < n) {
        byId_.Prefetch(hashesAt(i + kFar).parent);
        byId_.Prefetch(hashesAt(i + kFar).id);
        // An article without a parent mostly starts a thread, which looks
        // up its subject.
        if (!list_[i + kFar]->HasParent()) bySubject_.Prefetch(SubjectTable::HashOf(StripRe(list_[i + kFar]->Subject)));
      }
      if (i + kNear < n) byId_.PrefetchEntry(hashesAt(i + kNear).parent);
      if (i + kNearest < n) byId_.PrefetchKey(hashesAt(i + kNearest).parent);
      if (place(i)) {
        count_(*list_[i]);
        ++i;
      }
    }
  }

  // Places list_[i]; false when a later parent was swapped into slot i.
  bool place(std::size_t i) {
    TArticle* a = list_[i];
    if (options_.multiPartThreading) placeMultiPart(a, i);
    if (a->Position >= 0) return true;
    bool wasRe = false;
    const std::string_view s = StripRe(a->Subject, &wasRe);
    const std::string_view parentId = a->ParentID();
    if (parentId.empty()) {
      if (wasRe) placeBySubject(a, s);
    } else if (TArticle* p = byId_.Find(parentId, hashesAt(i).parent); !p) {
      placeBySubject(a, s);
    } else if (p->Position >= 0) {
      const bool ownThread = options_.newSubjectNewThread && !options_.reconstructionRunning &&
                             !equalsNoCase(StripRe(p->Subject), s);
      if (!ownThread) attachReply(p, a);
    } else if (!leadsTo(p, a)) {
      const auto j = static_cast<std::size_t>(p->SourceIndex);
      std::swap(list_[i], list_[j]);
      // Slot j has its hashes when the ring reached it already.
      if (j < hashedTo_) {
        std::swap(hashesAt(i), hashesAt(j));
      } else {
        hashesAt(i) = hashesOf(*list_[i]);
      }
      list_[i]->SourceIndex = static_cast<std::int32_t>(i);
      list_[j]->SourceIndex = static_cast<std::int32_t>(j);
      return false;
    } else {
      placeBySubject(a, s);
    }
    if (a->Position < 0) {
      appendRoot(a);
      if (!s.empty()) {
        const std::uint64_t hash = SubjectTable::HashOf(s);
        if (!bySubject_.Find(s, hash)) bySubject_.Add(a, hash);
      }
    }
    return true;
  }

  // Whether the chain of parents from p reaches a. A chain that comes back
  // to an article it passed is a loop a is not on (Brent's method: the
  // article saved at each power of two steps is met again once the walk has
  // gone round the loop), so a walk costs the length of the chain and its
  // loop, not of the list.
  bool leadsTo(const TArticle* p, const TArticle* a) {
    const TArticle* saved = nullptr;
    std::size_t power = 1, steps = 0;
    while (p) {
      if (p == a) return true;
      if (p == saved) return false;
      if (++steps == power) {
        saved = p;
        power *= 2;
        steps = 0;
      }
      const std::string_view parent = p->ParentID();
      if (parent.empty()) return false;
      p = byId_.Find(parent, MessageIdTable::HashOf(parent));
    }
    return false;
  }

  void appendRoot(TNode* node) {
    node->Position = static_cast<std::int32_t>(lists_.rootList.size());
    lists_.rootList.push_back(node);
  }

  TAThread& newThread() { return lists_.threadNodes.emplace_back(); }

  // Makes p the first article of a new thread that takes p's root slot.
  TAThread& threadOn(TArticle* p) {
    if (p->Thread) return *p->Thread;
    TAThread& t = newThread();
    t.Subject = p->Subject;
    t.Position = p->Position;
    lists_.rootList[static_cast<std::size_t>(p->Position)] = &t;
    t.Articles.push_back(p);
    p->Position = 0;
    p->SetDepth(1);
    p->Thread = &t;
    return t;
  }

  // During the pass an article's Position in its thread is only where it
  // was inserted: renumbering the articles after each insert would write
  // to a distant record each. Articles only move towards the end, so the
  // recorded place is a lower bound of the real one; the pass numbers them
  // all once at its end.
  static void insertAt(TAThread& t, std::size_t at, TArticle* a) {
    // Threads grow by half, not by doubling: the slack of ten million
    // articles' threads is tens of megabytes at the pass's peak.
    std::vector<TArticle*>& v = t.Articles;
    if (v.size() == v.capacity()) v.reserve(v.size() + v.size() / 2 + 1);
    v.insert(v.begin() + static_cast<std::ptrdiff_t>(at), a);
    a->Position = static_cast<std::int32_t>(at);
    a->Thread = &t;
  }

  static std::size_t indexIn(const TAThread& t, const TArticle* p) {
    std::size_t k = static_cast<std::size_t>(p->Position);
    while (t.Articles[k] != p) ++k;
    return k;
  }

  void attachReply(TArticle* p, TArticle* a) {
    TAThread& t = threadOn(p);
    a->SetDepth(p->Depth() + 1);
    std::size_t at = indexIn(t, p) + 1;
    while (at < t.Articles.size() && t.Articles[at]->Depth() > p->Depth()) ++at;
    insertAt(t, at, a);
  }

  void placeBySubject(TArticle* a, std::string_view s) {
    if (s.empty()) return;
    TArticle* q = bySubject_.Find(s, SubjectTable::HashOf(s));
    if (!q) return;
    TAThread& t = threadOn(q);
    a->SetDepth(1);
    insertAt(t, t.Articles.size(), a);
  }

  struct KeyHashes {
    std::uint64_t id;
    std::uint64_t parent;
  };
  static KeyHashes hashesOf(const TArticle& a) {
    return {MessageIdTable::HashOf(a.MessageID), MessageIdTable::HashOf(a.ParentID())};
  }
  // The hashes of list slot k, while k is between the slot being placed and
  // the farthest one hashed.
  KeyHashes& hashesAt(std::size_t k) { return window_[k % kWindow]; }

  void placeMultiPart(TArticle* a, std::size_t i) {
    if (a->Position >= 0) return;
    PartNumbers parts;
    if (!ParsePartNumbers(a->Subject, parts) || parts.part < 1) return;
    if (parts.total >= 5000 && a->Lines <= 1000) return;
    a->PartNumber = parts.part;
    if (parts.total == 1) return;
    byId_.Remove(a->MessageID, hashesAt(i).id);
    std::string& key = key_;  // reused: no allocation per part
    parts.AppendKey(key.erase());
    const std::size_t keyLength = key.size();
    key += a->ParentID();
    key += a->FromName();
    key += a->FromAddress();
    TNode* found = byKey_.Find(key);
    TAThread* t = nullptr;
    if (!found) {
      if (a->Lines <= 100 && parts.part != parts.total && !a->ParentID().empty()) {
        byKey_.Add(key, a);
        appendRoot(a);
        return;
      }
      TAThread& fresh = newMultiPartThread(std::string_view(key).substr(0, keyLength), parts.total,
                                           parts.part >= 1 ? 1 : 0);
      appendRoot(&fresh);
      byKey_.Add(key, &fresh);
      fresh.Articles.push_back(a);
      a->Position = 0;
      a->SetDepth(1);
      a->Thread = &fresh;
      return;
    }
    if (TArticle* f = found->AsArticle()) {
      t = &newMultiPartThread(std::string_view(key).substr(0, keyLength), parts.total,
                              f->PartNumber >= 1 ? 1 : 0);
      t->Position = f->Position;
      lists_.rootList[static_cast<std::size_t>(f->Position)] = t;
      t->Articles.push_back(f);
      f->Position = 0;
      f->SetDepth(1);
      f->Thread = t;
      byKey_.Put(key, t);
    } else {
      t = found->AsThread();
    }
    addPart(*t, a);
  }

  TAThread& newMultiPartThread(std::string_view key, std::int32_t total, std::int32_t present) {
    TAThread& t = newThread();
    t.SetOwnSubject(key);
    t.PartsTotal = total;
    t.PartsPresent = present;
    ++stats_.multiPart;
    return t;
  }

  void addPart(TAThread& t, TArticle* a) {
    // Parts mostly arrive in order: look at the end before searching.
    const bool last = t.Articles.empty() || t.Articles.back()->PartNumber < a->PartNumber;
    const auto it = last ? t.Articles.end()
                         : std::find_if(t.Articles.begin(), t.Articles.end(),
                                        [&](const TArticle* x) { return x->PartNumber >= a->PartNumber; });
    const bool newPart = it == t.Articles.end() || (*it)->PartNumber != a->PartNumber;
    a->SetDepth(1);
    insertAt(t, static_cast<std::size_t>(it - t.Articles.begin()), a);
    if (newPart) {
      ++t.PartsPresent;
      if (t.PartsTotal >= 2 && t.PartsPresent == t.PartsTotal) ++stats_.completeMultiPart;
    }
  }

  void count_(const TArticle& a) {
    ++stats_.articles;
    if (!a.Has(NodeFlag::Read)) ++stats_.unread;
  }

  ViewLists& lists_;
  const ThreadOptions& options_;
  ThreadStats& stats_;
  std::vector<TArticle*>& list_;
  MessageIdTable byId_{list_.size()};
  THash<TNode> byKey_;
  // Sized for the share of roots a group usually has; it grows past it.
  SubjectTable bySubject_{list_.size() / 10};
  std::string key_;  // the multi-part key being looked up
  // The Message-ID and parent ID hashes of the list slots from the one
  // being placed up to hashedTo_.
  static constexpr std::size_t kWindow = 64;
  std::array<KeyHashes, kWindow> window_{};
  std::size_t hashedTo_ = 0;
};

}  // namespace

std::string& PartNumbers::AppendKey(std::string& key) const {
  key += prefix;
  key.append(static_cast<std::size_t>(tildes), '~');
  key += suffix;
  return key;
}

bool ParsePartNumbers(std::string_view subject, PartNumbers& out) {
  return findParts(subject, '(', ')', out) || findParts(subject, '[', ']', out);
}

void BuildRows(std::vector<TNode*>& rootList, std::vector<TNode*>& rowList, bool expandAll,
               std::int32_t keptScore, const ScoreOptions* threadScores) {
  rowList.clear();
  std::size_t rows = rootList.size();
  if (expandAll) {
    for (const TNode* root : rootList) {
      if (const TAThread* t = root->AsThread()) rows += t->Articles.size();
    }
  }
  PageFiller filler;
  // Exact capacity: a million rows grown by doubling would waste megabytes.
  if (rowList.capacity() < rows || rowList.capacity() > rows + rows / 4) {
    std::vector<TNode*>().swap(rowList);
    rowList.reserve(rows);
    // Millions of rows are tens of megabytes of fresh pages: filled on a
    // helper ahead of the rows written to them.
    constexpr std::size_t kFilledRows = std::size_t{2} << 20;
    if (rows >= kFilledRows) filler = PageFiller(rowList.data(), rows * sizeof(TNode*));
  }
  for (TNode* root : rootList) {
    root->SourceIndex = static_cast<std::int32_t>(rowList.size());
    rowList.push_back(root);
    TAThread* t = root->AsThread();
    if (!t) continue;
    t->Expanded = expandAll;
    if (threadScores) t->RecomputeScore(*threadScores);
    // The pass used SourceIndex as a view list index: a hidden article is -1.
    for (TArticle* a : t->Articles) {
      a->SourceIndex = expandAll ? static_cast<std::int32_t>(rowList.size()) : -1;
      if (expandAll) rowList.push_back(a);
    }
    UpdateThreadState(*t, keptScore);
  }
}

namespace {

// Hands the scratch memory of a pass over a large list back to the system:
// the allocator would otherwise keep tens of megabytes of freed tables.
void releaseScratchMemory(std::size_t articles) {
#if defined(__GLIBC__)
  if (articles >= 100000) malloc_trim(0);
#else
  (void)articles;
#endif
}

}  // namespace

void ThreadArticles(ViewLists& lists, const ThreadOptions& options, ThreadStats& stats,
                    Prompter* prompter) {
  // The threading pass resets the articles it reads as it goes: one sweep
  // over the records instead of two. Articles a filter hides, and every
  // article of an unthreaded view, are reset here.
  if (lists.viewList || !options.threaded) {
    for (TArticle* a : lists.masterList) resetPlacement(*a);
  }
  lists.rootList.clear();
  lists.threadNodes.clear();
  std::vector<TArticle*>& viewList = lists.ViewList();
  stats = ThreadStats{};
  if (!options.threaded) {
    lists.rootList.reserve(viewList.size());
    for (std::size_t i = 0; i < viewList.size(); ++i) {
      lists.rootList.push_back(viewList[i]);
      ++stats.articles;
      if (!viewList[i]->Has(NodeFlag::Read)) ++stats.unread;
    }
  } else {
    if (prompter) prompter->status("Classement..");
    // Both lists are rebuilt: what a download left in them goes back before
    // the pass makes its tables, which lowers the peak of a large group.
    std::vector<TNode*>().swap(lists.rootList);
    std::vector<TNode*>().swap(lists.rowList);
    lists.rootList.reserve(viewList.size());
    Threader(lists, options, stats).run();
    // The root list was sized for the worst case; threads hold most articles.
    if (lists.rootList.capacity() > 2 * lists.rootList.size() + 1024) lists.rootList.shrink_to_fit();
    for (TAThread& t : lists.threadNodes) {
      if (t.Articles.capacity() > t.Articles.size() + t.Articles.size() / 4 + 2) t.Articles.shrink_to_fit();
    }
  }
  FinishThreading(lists, options, stats, prompter);
  releaseScratchMemory(viewList.size());
}

void FinishThreading(ViewLists& lists, const ThreadOptions& options, const ThreadStats& stats,
                     Prompter* prompter) {
  // A thread's score comes from its articles': taken as the rows are built,
  // which reads every article anyway, unless the sort needs it first. Ten
  // million articles take a tenth of a second to read again.
  const ScoreOptions* threadScores = options.sort.newsgroup ? &options.sort.score : nullptr;
  if (threadScores && options.sort.column == kSortScore) {
    for (TAThread& t : lists.threadNodes) t.RecomputeScore(*threadScores);
    threadScores = nullptr;
  }
  SortRoots(lists.rootList, options.sort);
  BuildRows(lists.rootList, lists.rowList, options.expandAll, options.sort.score.KeptScore,
            threadScores);
  if (prompter && options.multiPartThreading && stats.multiPart > 0) {
    prompter->status(format(" %lld/%lld=%.0f%% complete",
                            static_cast<long long>(stats.completeMultiPart),
                            static_cast<long long>(stats.multiPart),
                            100.0 * static_cast<double>(stats.completeMultiPart) /
                                static_cast<double>(stats.multiPart)));
  }
}

}  // namespace orvel
