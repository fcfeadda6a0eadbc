#include "articles/marking.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "articles/group_view.h"
#include "core/prompter.h"
#include "groups/group_list.h"

namespace orvel {

namespace {

constexpr std::string_view kMarkingText = "Marking...";
constexpr std::string_view kConsolidationText = "Consolidation rc...";
constexpr std::string_view kDiscardingText = "Discarding...";
constexpr std::string_view kCompactingText = "Compactage...";

constexpr std::array<std::pair<std::string_view, MarkOp>, 10> kMarkNames{{
    {"acaMarkRead", MarkOp::Read},
    {"acaMarkUnread", MarkOp::Unread},
    {"acaMarkKeep", MarkOp::Keep},
    {"acaMarkUnkeep", MarkOp::Unkeep},
    {"acaMarkDelete", MarkOp::Delete},
    {"acaMarkUndelete", MarkOp::Undelete},
    {"acaMarkHiScore", MarkOp::HiScore},
    {"acaMark0Score", MarkOp::ZeroScore},
    {"acaToggleScore", MarkOp::ToggleScore},
    {"acaDiscard", MarkOp::Discard},
}};

constexpr std::array<std::pair<std::string_view, MarkOp>, 4> kMarkAllNames{{
    {"acaMarkAllRead", MarkOp::Read},
    {"acaMarkAllUnread", MarkOp::Unread},
    {"acaMarkAllDelete", MarkOp::Delete},
    {"acaMarkAllUndelete", MarkOp::Undelete},
}};

constexpr std::array<std::pair<std::string_view, CatchUpKind>, 4> kCatchUpNames{{
    {"acaCatchUp", CatchUpKind::Plain},
    {"acaCatchUpNoKeep", CatchUpKind::NoKeep},
    {"acaCatchUpKillXPost", CatchUpKind::KillXPost},
    {"acaCatchUpPurge", CatchUpKind::Purge},
}};

template <typename Table>
auto byName(const Table& table, std::string_view name)
    -> std::optional<typename Table::value_type::second_type> {
  for (const auto& [n, value] : table) {
    if (n == name) return value;
  }
  return std::nullopt;
}

bool isScoreOp(MarkOp op) {
  return op == MarkOp::HiScore || op == MarkOp::ZeroScore || op == MarkOp::ToggleScore;
}

// The read value a read or delete mark carries to the other groups.
bool readValueOf(MarkOp op) { return op == MarkOp::Read || op == MarkOp::Delete; }

struct NameHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

// The numbers of cross-posted articles per other group, handed to the group
// list once per group when the command ends.
class CrossPosts {
 public:
  explicit CrossPosts(TGroupView& view) : list_(view.GroupList()), own_(view.Record().name) {}

  // Each "group:number" entry of the article's Xref.
  void add(const TArticle& article) {
    if (!list_) return;
    const std::string_view xref = article.Xref.view();
    std::size_t pos = 0;
    while (pos < xref.size()) {
      const std::size_t end = std::min(xref.find_first_of(" \t", pos), xref.size());
      addEntry(xref.substr(pos, end - pos));
      pos = end + 1;
    }
  }

  void flush(bool read) {
    for (auto& [group, numbers] : numbers_) {
      if (numbers.size() == 1) {
        read ? list_->MarkRead(group, numbers.front()) : list_->MarkUnread(group, numbers.front());
      } else {
        list_->MarkNumbers(group, numbers, read);
      }
    }
    numbers_.clear();
  }

 private:
  void addEntry(std::string_view entry) {
    const std::size_t colon = entry.rfind(':');
    if (colon == std::string_view::npos || colon == 0) return;
    const std::string_view group = entry.substr(0, colon);
    const std::string_view digits = entry.substr(colon + 1);
    std::int32_t number = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (ec != std::errc() || end != digits.data() + digits.size() || number < 1) return;
    if (group == own_) return;
    auto it = numbers_.find(group);
    if (it == numbers_.end()) it = numbers_.try_emplace(std::string(group)).first;
    it->second.push_back(number);
  }

  TGroupList* list_;
  std::string_view own_;
  std::unordered_map<std::string, std::vector<std::int32_t>, NameHash, std::equal_to<>> numbers_;
};

// Applies marks to articles without touching their threads, collecting the
// threads and cross-posts to bring up to date once at the end.
class Marker {
 public:
  Marker(TGroupView& view, MarkOp op) : view_(view), x_(view.View()), xposts_(view), op_(op) {}

  // Read, Unread, Keep, Unkeep, Delete or Undelete on one article.
  bool apply(TArticle& a) {
    bool changed = false;
    switch (op_) {
      case MarkOp::Read:
      case MarkOp::Unread: changed = setRead(a, op_ == MarkOp::Read); break;
      case MarkOp::Keep:
      case MarkOp::Unkeep: changed = setKept(a, op_ == MarkOp::Keep); break;
      case MarkOp::Delete:
      case MarkOp::Undelete: changed = setDeleted(a, op_ == MarkOp::Delete); break;
      default: return false;
    }
    if (changed) touch(a.Thread);
    return changed;
  }

  // The top score (with ReplyToMe for acaMarkHiScore) or 0 without
  // ReplyToMe, which would keep the effective score at the top.
  bool applyScore(TArticle& a, bool top) {
    const std::int32_t score = top ? kTopScore : 0;
    const bool reply = top ? op_ == MarkOp::HiScore || a.Has(NodeFlag::ReplyToMe) : false;
    if (a.Score == score && a.Has(NodeFlag::ReplyToMe) == reply) return false;
    a.Score = score;
    a.Set(NodeFlag::ReplyToMe, reply);
    markStoreModified();
    touch(a.Thread);
    return true;
  }

  bool topScoreFor(const TNode& node) const {
    if (op_ == MarkOp::ToggleScore) return node.EffectiveScore(keptScore()) <= 0;
    return op_ == MarkOp::HiScore;
  }

  void touch(TAThread* thread) {
    if (thread) touched_.insert(thread);
  }

  // Cross-posts to the group list, then the touched threads' flags and
  // score (their rows redrawn when asked).
  void finish(bool redrawThreads) {
    endCommand();
    for (TAThread* t : touched_) {
      updateThread(*t);
      if (redrawThreads) view_.Observer().rowChanged(*t);
    }
    touched_.clear();
  }

  // Every thread of the view, without redrawing (the whole group changed).
  void finishAll() {
    endCommand();
    for (TAThread& t : x_.lists.threadNodes) updateThread(t);
    touched_.clear();
  }

  CrossPosts& crossPosts() { return xposts_; }

 private:
  std::int32_t keptScore() const { return x_.options.score.KeptScore; }

  void endCommand() {
    xposts_.flush(readValueOf(op_));
    if (std::exchange(compactionRaised_, false)) view_.Observer().menusChanged();
  }

  std::int32_t bitOf(const TArticle& a) const {
    const std::int64_t bit = static_cast<std::int64_t>(a.Number) - x_.lowMark;
    return bit >= 0 && bit <= INT32_MAX ? static_cast<std::int32_t>(bit) : -1;
  }

  void markStoreModified() {
    if (x_.storeModified) *x_.storeModified = true;
  }

  // Whether the article is one of a filtered list's (placed by the last
  // threading pass over it, or appended to it since).
  bool inFilteredList(const TArticle& a) const {
    return x_.lists.viewList && x_.lists.viewList != &x_.lists.masterList && a.Position >= 0;
  }

  bool setRead(TArticle& a, bool read) {
    if (a.Has(NodeFlag::Read) == read) return false;
    a.Set(NodeFlag::Read, read);
    a.Set(NodeFlag::SomeRead, read);
    x_.readSet.set(bitOf(a), read);
    const int step = read ? -1 : 1;
    x_.unread = std::max<std::int64_t>(0, x_.unread + step);
    if (inFilteredList(a)) x_.filteredUnread = std::max<std::int64_t>(0, x_.filteredUnread + step);
    markStoreModified();
    xposts_.add(a);
    return true;
  }

  bool setKept(TArticle& a, bool keep) {
    if (a.Has(NodeFlag::Kept) == keep) return false;
    a.Set(NodeFlag::Kept, keep);
    x_.keptSet.set(bitOf(a), keep);
    markStoreModified();
    return true;
  }

  bool setDeleted(TArticle& a, bool deleted) {
    bool changed = setRead(a, deleted);
    if (a.Has(NodeFlag::Deleted) == deleted) return changed;
    a.Set(NodeFlag::Deleted, deleted);
    markStoreModified();
    TMailbox* store = view_.Mailbox();
    // A folder's deletion always leaves dead bytes to compact.
    const bool folder = store && store->Kind != kStoreNewsgroup;
    if (deleted && store && !store->NeedsCompaction &&
        (folder || (store->BodiesStored && !store->NoHeaderFile() && a.BodyOffset >= 0))) {
      store->NeedsCompaction = true;
      compactionRaised_ = true;  // the compact command comes on
    }
    return true;
  }

  void updateThread(TAThread& t) const {
    UpdateThreadReadState(t);
    bool allKept = !t.Articles.empty();
    bool allDeleted = allKept;
    for (const TArticle* a : t.Articles) {
      allKept = allKept && a->Has(NodeFlag::Kept);
      allDeleted = allDeleted && a->Has(NodeFlag::Deleted);
    }
    t.Set(NodeFlag::Kept, allKept);
    t.Set(NodeFlag::Deleted, allDeleted);
    t.RecomputeScore(x_.options.score);
  }

  TGroupView& view_;
  XoverView& x_;
  CrossPosts xposts_;
  MarkOp op_;
  std::unordered_set<TAThread*> touched_;
  bool compactionRaised_ = false;
};

bool markOne(TGroupView& view, TArticle& article, MarkOp op, bool refresh) {
  Marker marker(view, op);
  const bool changed = marker.apply(article);
  marker.finish(refresh);
  if (changed && refresh) view.Observer().rowChanged(article);
  return changed;
}

// Every article of a thread, one way.
bool markThread(TGroupView& view, TAThread& thread, MarkOp op) {
  Marker marker(view, op);
  bool changed = false;
  for (TArticle* a : thread.Articles) {
    if (marker.apply(*a)) {
      changed = true;
      view.Observer().rowChanged(*a);
    }
  }
  marker.touch(&thread);
  marker.finish(true);
  return changed;
}

void showStatus(TGroupView& view, std::string_view text) { view.UserPrompter().status(text); }

}  // namespace

std::optional<MarkOp> MarkOpByName(std::string_view action) { return byName(kMarkNames, action); }

std::optional<MarkOp> MarkAllOpByName(std::string_view action) {
  return byName(kMarkAllNames, action);
}

std::optional<CatchUpKind> CatchUpKindByName(std::string_view action) {
  return byName(kCatchUpNames, action);
}

bool MarkRead(TGroupView& view, TArticle& article, bool read, bool refresh) {
  return markOne(view, article, read ? MarkOp::Read : MarkOp::Unread, refresh);
}

bool MarkKeep(TGroupView& view, TArticle& article, bool keep, bool refresh) {
  return markOne(view, article, keep ? MarkOp::Keep : MarkOp::Unkeep, refresh);
}

bool MarkDelete(TGroupView& view, TArticle& article, bool deleted, bool refresh) {
  return markOne(view, article, deleted ? MarkOp::Delete : MarkOp::Undelete, refresh);
}

void MarkScore(TGroupView& view, TNode& node, MarkOp op, bool refresh) {
  if (!isScoreOp(op)) return;
  Marker marker(view, op);
  const bool top = marker.topScoreFor(node);
  if (TAThread* thread = node.AsThread()) {
    for (TArticle* a : thread->Articles) {
      if (marker.applyScore(*a, top) && refresh) view.Observer().rowChanged(*a);
    }
    marker.touch(thread);
  } else if (marker.applyScore(*node.AsArticle(), top) && refresh) {
    view.Observer().rowChanged(node);
  }
  marker.finish(refresh);
}

bool MayDiscard(const TGroupView& view, const TArticle& article) {
  const std::int32_t keptScore = view.View().options.score.KeptScore;
  return &article != view.CurrentArticle() && !article.Has(NodeFlag::Kept) &&
         article.EffectiveScore(keptScore) <= 0 && !article.IsQueued();
}

CurrentMark MarkCurrent(TGroupView& view, TArticle& article, MarkOp op) {
  CurrentMark result;
  NodeFlag flag = NodeFlag::Read;
  bool value = true;
  switch (op) {
    case MarkOp::Read:
    case MarkOp::Unread: value = op == MarkOp::Read; break;
    case MarkOp::Delete:
    case MarkOp::Undelete:
      flag = NodeFlag::Deleted;
      value = op == MarkOp::Delete;
      break;
    case MarkOp::Discard:
      result.changed = Discard(view, {&article}) > 0;
      return result;
    default:
      if (isScoreOp(op)) {
        const std::int32_t before = article.Score;
        const std::uint16_t flags = article.Flags;
        MarkScore(view, article, op, true);
        result.changed = article.Score != before || article.Flags != flags;
      } else {
        result.changed = markOne(view, article, op, true);
      }
      return result;
  }
  result.wholeThread = article.Thread && article.Has(flag) == value;
  result.changed = result.wholeThread ? markThread(view, *article.Thread, op)
                                      : markOne(view, article, op, true);
  result.moveToNextUnread =
      (op == MarkOp::Read || op == MarkOp::Delete) && (!article.Thread || result.wholeThread);
  return result;
}

std::vector<TArticle*> MarkRows(TGroupView& view, MarkOp op, const std::vector<TNode*>& rows) {
  showStatus(view, kMarkingText);
  std::unordered_set<const TAThread*> selectedThreads;
  for (const TNode* row : rows) {
    if (row && row->IsThread()) selectedThreads.insert(row->AsThread());
  }
  Marker marker(view, op);
  std::vector<TArticle*> changed;
  std::vector<TArticle*> discarded;
  auto markArticle = [&](TArticle& a, bool top) {
    if (op == MarkOp::Discard) {
      discarded.push_back(&a);
    } else if (isScoreOp(op) ? marker.applyScore(a, top) : marker.apply(a)) {
      changed.push_back(&a);
    }
  };
  for (TNode* row : rows) {
    if (!row) continue;
    if (TAThread* thread = row->AsThread()) {
      const bool top = marker.topScoreFor(*thread);  // once for the whole thread
      for (TArticle* a : thread->Articles) markArticle(*a, top);
      marker.touch(thread);
      continue;
    }
    TArticle& a = *row->AsArticle();
    if (a.Thread && selectedThreads.count(a.Thread)) continue;
    markArticle(a, marker.topScoreFor(a));
  }
  marker.finish(false);
  if (!discarded.empty()) Discard(view, discarded);
  showStatus(view, {});
  return changed;
}

void MarkAll(TGroupView& view, MarkOp op) {
  if (op != MarkOp::Read && op != MarkOp::Unread && op != MarkOp::Delete &&
      op != MarkOp::Undelete) {
    return;
  }
  showStatus(view, kMarkingText);
  Marker marker(view, op);
  for (TArticle* a : view.MasterList()) marker.apply(*a);
  marker.finishAll();
  if (TMailbox* store = view.Mailbox()) {
    store->Modified = true;
    if (op == MarkOp::Delete) store->NeedsCompaction = true;
  }
  if (op == MarkOp::Delete) view.Observer().menusChanged();
  if (op == MarkOp::Read || op == MarkOp::Delete) {
    showStatus(view, kConsolidationText);
    view.HandBackReadState();
  }
  showStatus(view, {});
}

void CatchUp(TGroupView& view, CatchUpKind kind) {
  showStatus(view, kMarkingText);
  XoverView& x = view.View();
  Marker marker(view, MarkOp::Read);
  const bool noKeep = kind == CatchUpKind::NoKeep;
  for (TArticle* a : x.lists.masterList) {
    a->Set(NodeFlag::Read);
    a->Set(NodeFlag::SomeRead);
    if (noKeep) a->Set(NodeFlag::Kept, false);
    if (kind == CatchUpKind::KillXPost) marker.crossPosts().add(*a);
  }
  if (x.readSet.size() > 0) x.readSet.setRange(0, x.readSet.size() - 1);
  if (noKeep) x.keptSet.clearAll();
  x.unread = 0;
  x.filteredUnread = 0;
  if (x.storeModified) *x.storeModified = true;
  marker.finishAll();
  showStatus(view, kConsolidationText);
  view.HandBackReadState();
  showStatus(view, {});
  if (kind == CatchUpKind::Purge) {
    DiscardAll(view);
    view.CompactStore(kCompactingText);
  }
}

std::size_t Discard(TGroupView& view, const std::vector<TArticle*>& articles) {
  showStatus(view, kDiscardingText);
  std::vector<TArticle*> going;
  for (TArticle* a : articles) {
    if (a && MayDiscard(view, *a)) going.push_back(a);
  }
  std::sort(going.begin(), going.end());
  going.erase(std::unique(going.begin(), going.end()), going.end());
  const std::size_t before = view.MasterList().size();
  FreeRecords(view, std::move(going));
  showStatus(view, {});
  return before - view.MasterList().size();
}

std::size_t DiscardAll(TGroupView& view) {
  const std::vector<TArticle*>& master = view.MasterList();
  std::vector<TArticle*> candidates(master.rbegin(), master.rend());
  return Discard(view, candidates);
}

void FreeRecords(TGroupView& view, std::vector<TArticle*> records) {
  std::sort(records.begin(), records.end());
  XoverView& x = view.View();
  std::vector<TArticle*> found;
  std::erase_if(x.lists.masterList, [&](TArticle* a) {
    if (!std::binary_search(records.begin(), records.end(), a)) return false;
    found.push_back(a);
    x.excludedSet.reset(a->Number - x.lowMark);
    return true;
  });
  if (found.empty()) return;
  std::sort(found.begin(), found.end());
  if (TMailbox* store = view.Mailbox()) {
    store->NeedsCompaction = true;
    store->Modified = true;
  }
  view.Observer().menusChanged();
  view.Observer().articlesFreed(found);
  for (TArticle* a : found) x.arena.Free(a);
  view.Rethread();
}

}  // namespace orvel
