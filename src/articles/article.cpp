#include "articles/article.h"

#include <algorithm>

#include "articles/header_utils.h"

namespace orvel {

#if defined(__x86_64__) || defined(__aarch64__)
static_assert(sizeof(TArticle) == 96, "a field was added or the packing changed");
#endif

std::int32_t TNode::EffectiveScore(std::int32_t keptScore) const {
  if (Has(NodeFlag::ReplyToMe)) return kTopScore;
  if (Has(NodeFlag::Deleted)) return kKilledScore;
  if (!Has(NodeFlag::Kept)) return Score;
  return keptScore >= 1 && Score < keptScore ? keptScore : Score;
}

void TNode::SetScore(std::int32_t score, const ScoreOptions& options) {
  Score = score;
  if (TAThread* thread = AsThread()) {
    for (TArticle* a : thread->Articles) a->Score = score;
  } else if (TAThread* owner = AsArticle()->Thread) {
    owner->RecomputeScore(options);
  }
}

bool TNode::IsQueued() const {
  if (const TAThread* thread = AsThread()) {
    return std::any_of(thread->Articles.begin(), thread->Articles.end(),
                       [](const TArticle* a) { return a->QueuePosition >= 0; });
  }
  return AsArticle()->QueuePosition >= 0;
}

void TArticle::SetReferences(StringPool& pool, std::string_view references) {
  const std::string_view parent = LastReference(references);
  References = pool.StoreReferences(references, parent, MessageID);
  setNoParent(parent.empty());
}

void TArticle::SetRead(bool read) {
  Set(NodeFlag::Read, read);
  Set(NodeFlag::SomeRead, read);
  if (Thread) UpdateThreadReadState(*Thread);
}

void TAThread::RecomputeScore(const ScoreOptions& options) {
  const std::int32_t kept = options.KeptScore;
  const std::int32_t option = options.ThreadScoreOpt;
  std::int64_t value = 0;
  bool first = true;
  for (auto it = Articles.rbegin(); it != Articles.rend(); ++it) {
    const std::int32_t s = (*it)->EffectiveScore(kept);
    if (option == 2) {
      value += s;
    } else if (first) {
      value = s;
    } else if (option == 0 ? s > value : s != 0 && s > value) {
      value = s;
    }
    first = false;
  }
  Score = static_cast<std::int32_t>(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX));
}

void UpdateThreadReadState(TAThread& thread) {
  const auto& list = thread.Articles;
  bool allRead = true;
  bool someRead = false;
  std::int32_t lastReadPart = -1;
  for (std::size_t i = 0; i < list.size(); ++i) {
    const TArticle* a = list[i];
    if (a->Has(NodeFlag::Read)) {
      someRead = true;
      lastReadPart = a->PartNumber;
      continue;
    }
    if (!thread.IsMultiPart()) {
      allRead = false;
      continue;
    }
    // An unread copy of a part that is read, or followed by another copy of
    // its part, does not keep the series unread.
    const bool last = i + 1 == list.size();
    const bool counts = (a->PartNumber != 0 || last) && a->PartNumber != lastReadPart &&
                        (last || list[i + 1]->PartNumber != a->PartNumber);
    if (counts) allRead = false;
  }
  thread.Set(NodeFlag::Read, allRead && !list.empty());
  thread.Set(NodeFlag::SomeRead, someRead);
}

void UpdateThreadState(TAThread& thread, std::int32_t keptScore) {
  UpdateThreadReadState(thread);
  bool allKept = !thread.Articles.empty();
  bool anyKept = false;
  bool allDeleted = !thread.Articles.empty();
  for (const TArticle* a : thread.Articles) {
    allKept = allKept && a->Has(NodeFlag::Kept);
    anyKept = anyKept || a->Has(NodeFlag::Kept);
    allDeleted = allDeleted && a->Has(NodeFlag::Deleted);
  }
  thread.Set(NodeFlag::Kept, allKept);
  thread.Set(NodeFlag::Deleted, allDeleted);
  if (anyKept && keptScore >= 1) {
    thread.Score = std::max(thread.Score, keptScore);
    for (TArticle* a : thread.Articles) {
      if (!a->Has(NodeFlag::Kept) && a->Score < keptScore) a->Score = keptScore;
    }
  }
}

}  // namespace orvel
