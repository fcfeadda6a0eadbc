// Sorting of the root list by the list's columns.
#include <algorithm>

#include "articles/header_utils.h"
#include "articles/threading.h"

namespace orvel {

namespace {

const TArticle& firstArticle(const TNode& node) {
  if (const TAThread* t = node.AsThread()) {
    if (!t->Articles.empty()) return *t->Articles.front();
  }
  static const TArticle kEmpty;
  const TArticle* a = node.AsArticle();
  return a ? *a : kEmpty;
}

int compareNoCase(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    auto ca = static_cast<unsigned char>(a[i]);
    auto cb = static_cast<unsigned char>(b[i]);
    if (ca >= 'A' && ca <= 'Z') ca = static_cast<unsigned char>(ca + 32);
    if (cb >= 'A' && cb <= 'Z') cb = static_cast<unsigned char>(cb + 32);
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

template <class T>
int sign(T a, T b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

std::pair<std::string_view, std::string_view> origin(const TArticle& a) {
  return FolderOrigin(a.Xref);
}

std::string_view authorOf(const TArticle& a) {
  return a.FromName().empty() ? a.FromAddress() : a.FromName();
}

int firstKey(const TNode& x, const TNode& y, const SortOptions& o) {
  switch (o.column) {
    case kSortSubject: {
      std::string_view sx = x.Subject, sy = y.Subject;
      if (o.ignoreRe) {
        sx = StripRe(sx);
        sy = StripRe(sy);
      }
      return compareNoCase(sx, sy);
    }
    case kSortLines: {
      if (o.linesSwitch) return 0;
      const TAThread* tx = x.AsThread();
      const TAThread* ty = y.AsThread();
      if (tx && ty) return sign(tx->Articles.size(), ty->Articles.size());
      if (tx) return 1;
      if (ty) return -1;
      return sign(x.AsArticle()->Lines, y.AsArticle()->Lines);
    }
    case kSortScore:
      if (o.newsgroup) {
        return sign(x.EffectiveScore(o.score.KeptScore), y.EffectiveScore(o.score.KeptScore));
      }
      return 0;
    default:
      return 0;
  }
}

int secondKey(const TArticle& x, const TArticle& y, const SortOptions& o) {
  switch (o.column) {
    case kSortQueue:
      return sign(x.QueuePosition, y.QueuePosition);
    case kSortLines:
      return o.linesSwitch ? sign(x.Lines, y.Lines) : 0;
    case kSortAuthor:
      return compareNoCase(authorOf(x), authorOf(y));
    case kSortDate:
      return sign(x.Date, y.Date);
    case kSortScore:
      if (o.newsgroup) return 0;
      if (int c = compareNoCase(origin(x).first, origin(y).first)) return c;
      return compareNoCase(origin(x).second, origin(y).second);
    case kSortNumber:
      if (o.newsgroup) return sign(x.Number, y.Number);
      if (int c = compareNoCase(origin(x).second, origin(y).second)) return c;
      return compareNoCase(origin(x).first, origin(y).first);
    default:
      return 0;
  }
}

}  // namespace

int CompareRoots(const TNode& x, const TNode& y, const SortOptions& options) {
  int c = firstKey(x, y, options);
  const TArticle& ax = firstArticle(x);
  const TArticle& ay = firstArticle(y);
  if (c == 0) c = secondKey(ax, ay, options);
  if (c == 0) c = sign(ax.Date, ay.Date);
  return c * options.order;
}

void SortRoots(std::vector<TNode*>& rootList, const SortOptions& options) {
  if (options.column == kSortDate) {
    // The commonest sort: by the first articles' dates, keys gathered once.
    std::vector<std::pair<double, TNode*>> keyed;
    keyed.reserve(rootList.size());
    for (TNode* n : rootList) keyed.emplace_back(firstArticle(*n).Date, n);
    if (options.order >= 0) {
      std::stable_sort(keyed.begin(), keyed.end(),
                       [](const auto& a, const auto& b) { return a.first < b.first; });
    } else {
      std::stable_sort(keyed.begin(), keyed.end(),
                       [](const auto& a, const auto& b) { return a.first > b.first; });
    }
    for (std::size_t i = 0; i < keyed.size(); ++i) rootList[i] = keyed[i].second;
  } else if (options.column >= 0) {
    std::stable_sort(rootList.begin(), rootList.end(), [&](const TNode* a, const TNode* b) {
      return CompareRoots(*a, *b, options) < 0;
    });
  }
  for (std::size_t i = 0; i < rootList.size(); ++i) {
    rootList[i]->Position = static_cast<std::int32_t>(i);
  }
}

std::int32_t OrderAfterClick(std::int32_t currentColumn, std::int32_t currentOrder,
                             std::int32_t clickedColumn, bool newsgroup) {
  if (clickedColumn == currentColumn) return -currentOrder;
  return clickedColumn == kSortScore && newsgroup ? -1 : 1;
}

}  // namespace orvel
