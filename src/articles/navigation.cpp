#include "articles/navigation.h"

#include <array>
#include <limits>
#include <utility>

#include "core/prefetch.h"

namespace orvel {

namespace {

constexpr std::array<std::pair<std::string_view, NavAction>, 13> kActionNames{{
    {"acaNextUnread", NavAction::NextUnread},
    {"acaPrevUnread", NavAction::PrevUnread},
    {"acaNext", NavAction::Next},
    {"acaPrev", NavAction::Prev},
    {"acaNextThread", NavAction::NextThread},
    {"acaPrevThread", NavAction::PrevThread},
    {"acaSkipDown", NavAction::SkipDown},
    {"acaSkipDownOut", NavAction::SkipDownOut},
    {"acaNextNew", NavAction::NextNew},
    {"acaNextScore", NavAction::NextScore},
    {"acaNextHiScore", NavAction::NextHiScore},
    {"acaScanScore", NavAction::ScanScore},
    {"acaNextQueue", NavAction::NextQueue},
}};

bool isRead(const TNode& node) { return node.Has(NodeFlag::Read); }

// Article steps from `from` while `skip` holds for the article reached.
template <class Skip>
TArticle* stepWhile(const std::vector<TNode*>& roots, NavPosition from, int direction, Skip skip) {
  NavPosition p = from;
  do {
    p = StepArticle(roots, p, direction);
  } while (p.article && skip(*p.article));
  return p.article;
}

// Row steps while the root reached is read as a whole, then article steps
// forward to the first unread article of the thread reached.
TArticle* nextThread(const std::vector<TNode*>& roots, NavPosition from, int direction) {
  NavPosition p = from;
  do {
    p = StepRow(roots, p, direction, true);
  } while (p.article && isRead(p.thread ? static_cast<const TNode&>(*p.thread) : *p.article));
  if (!p.article || !p.thread || !isRead(*p.article)) return p.article;
  return stepWhile(roots, p, +1, isRead);
}

TArticle* firstShownUnread(const std::vector<TArticle*>* queue) {
  if (!queue) return nullptr;
  for (TArticle* a : *queue) {
    if (a->SourceIndex >= 0 && !isRead(*a)) return a;
  }
  return nullptr;
}

TNode* scanScore(const NavQuery& q) {
  const std::int32_t from = q.start->SourceIndex;
  if (from < 0) return nullptr;
  for (std::size_t i = static_cast<std::size_t>(from) + 1; i < q.rows.size(); ++i) {
    if (q.rows[i]->EffectiveScore(q.keptScore) >= 1) return q.rows[i];
  }
  return nullptr;
}

// The start row is one of the view's own (mutable) records, seen through the
// query as const.
NavPosition startPosition(const TNode& start) {
  if (const TAThread* t = start.AsThread()) return {nullptr, const_cast<TAThread*>(t)};
  TArticle* a = const_cast<TArticle*>(start.AsArticle());
  return {a, a->Thread};
}

}  // namespace

std::optional<NavAction> NavActionByName(std::string_view name) {
  for (const auto& [text, action] : kActionNames) {
    if (text == name) return action;
  }
  return std::nullopt;
}

bool IsBackward(NavAction action) {
  return action == NavAction::PrevUnread || action == NavAction::Prev ||
         action == NavAction::PrevThread;
}

NavPosition StepRow(const std::vector<TNode*>& roots, NavPosition from, int direction, bool first) {
  const TNode* at = from.thread ? static_cast<const TNode*>(from.thread) : from.article;
  if (!at) return {};
  const std::int64_t index = static_cast<std::int64_t>(at->Position) + direction;
  if (index < 0 || index >= static_cast<std::int64_t>(roots.size())) return {};
  TNode* root = roots[static_cast<std::size_t>(index)];
  TAThread* t = root->AsThread();
  if (!t) return {root->AsArticle(), nullptr};
  if (t->Articles.empty()) return {};
  return {first ? t->Articles.front() : t->Articles.back(), t};
}

NavPosition StepArticle(const std::vector<TNode*>& roots, NavPosition from, int direction) {
  const bool forward = direction > 0;
  if (!from.article) {
    if (!forward) return StepRow(roots, from, direction, false);
    if (!from.thread || from.thread->Articles.empty()) return {};
    return {from.thread->Articles.front(), from.thread};
  }
  if (!from.thread) return StepRow(roots, from, direction, forward);
  const std::int64_t i = static_cast<std::int64_t>(from.article->Position) + direction;
  const auto& articles = from.thread->Articles;
  const auto n = static_cast<std::int64_t>(articles.size());
  if (i >= 0 && i < n) {
    // A thread's articles lie far apart in memory: load a few steps ahead.
    const std::int64_t ahead = i + 8 * direction;
    if (ahead >= 0 && ahead < n) PrefetchRead(articles[static_cast<std::size_t>(ahead)]);
    return {articles[static_cast<std::size_t>(i)], from.thread};
  }
  return StepRow(roots, from, direction, forward);
}

NavResult FindTarget(const NavQuery& query, NavAction action) {
  if (!query.start) return {};
  const NavPosition p = startPosition(*query.start);
  const int d = IsBackward(action) ? -1 : +1;
  const auto& roots = query.roots;
  const std::int32_t kept = query.keptScore;
  // Skip-down limits: the current article's depth, unlimited on a thread row.
  const std::int32_t limit =
      p.article ? p.article->Depth() : std::numeric_limits<std::int32_t>::max();
  switch (action) {
    case NavAction::NextUnread:
    case NavAction::PrevUnread:
      return {stepWhile(roots, p, d, isRead)};
    case NavAction::Next:
    case NavAction::Prev:
      return {StepArticle(roots, p, d).article};
    case NavAction::NextThread:
    case NavAction::PrevThread:
      return {nextThread(roots, p, d)};
    case NavAction::SkipDown:
      return {stepWhile(roots, p, d, [limit](const TArticle& a) {
        return (a.Depth() > 1 && a.Depth() > limit) || isRead(a);
      })};
    case NavAction::SkipDownOut:
      return {stepWhile(roots, p, d, [limit](const TArticle& a) {
        return (a.Depth() != 0 && a.Depth() >= limit) || isRead(a);
      })};
    case NavAction::NextNew:
      return {stepWhile(roots, p, d,
                        [](const TArticle& a) { return a.Has(NodeFlag::Old) || isRead(a); })};
    case NavAction::NextScore:
      return {stepWhile(roots, p, d, [kept](const TArticle& a) {
        return a.EffectiveScore(kept) < 1 || isRead(a);
      })};
    case NavAction::NextHiScore:
      return {stepWhile(roots, p, d, [kept](const TArticle& a) {
        return a.EffectiveScore(kept) < kTopScore || isRead(a);
      })};
    case NavAction::ScanScore:
      return {nullptr, scanScore(query)};
    case NavAction::NextQueue:
      return {firstShownUnread(query.queue)};
  }
  return {};
}

bool AtThreadEnd(const NavQuery& query) {
  const TArticle* a = query.start ? query.start->AsArticle() : nullptr;
  if (!a || !a->Thread) return false;
  if (a == a->Thread->Articles.back()) return true;
  return !query.rows.empty() && query.start == query.rows.back();
}

}  // namespace orvel
