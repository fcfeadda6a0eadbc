#include "articles/xover_dialog.h"

#include <algorithm>

#include "core/text.h"

namespace orvel {

XoverStatsTexts StatsTexts(const ThreadStats& stats) {
  XoverStatsTexts t;
  t.total = std::to_string(stats.articles);
  t.unread = std::to_string(stats.unread);
  t.multiPart = std::to_string(stats.multiPart);
  t.complete = stats.multiPart > 0
                   ? format("%lld (%.1f%%)", static_cast<long long>(stats.completeMultiPart),
                            100.0 * static_cast<double>(stats.completeMultiPart) /
                                static_cast<double>(stats.multiPart))
                   : std::string("0");
  return t;
}

TfmXOVER::TfmXOVER(XoverView& view, const HeaderDownload& download, XoverDialogPrefs& prefs,
                   int mode)
    : view_(view),
      prefs_(prefs),
      mode_(mode),
      low_(download.Low()),
      high_(std::max(download.High(), download.Low())),
      limitChecked_(download.Limit() > 0),
      limitValue_(std::max(prefs.limitPerGet, 1)),
      autoFree_(prefs.autoFree) {
  if (download.LastRangeEnd() >= 0) {
    start_ = download.LastRangeEnd();
  } else {
    const std::int32_t firstUnread = view.readSet.findClear(0);
    start_ = firstUnread >= 0 ? low_ + firstUnread : high_;
  }
  start_ = std::clamp(start_, low_, high_);
  end_ = high_;
  if (limitChecked_) {
    end_ = static_cast<std::int32_t>(
        std::min<std::int64_t>(high_, static_cast<std::int64_t>(start_) + limitValue_ - 1));
  }
}

TfmXOVER::~TfmXOVER() {
  prefs_.autoFree = autoFree_;
  prefs_.limitPerGet = limitValue_;
}

std::string TfmXOVER::Title() const {
  return mode_ == kStatisticsForm ? std::string("Statistics") : std::string();
}

void TfmXOVER::SetStart(std::int32_t start) {
  start_ = std::clamp(start, low_, high_);
  end_ = std::max(end_, start_);
}

void TfmXOVER::SetEnd(std::int32_t end) {
  end_ = std::clamp(end, low_, high_);
  start_ = std::min(start_, end_);
}

void TfmXOVER::MoveBoth(std::int32_t delta) {
  const std::int64_t d = std::clamp<std::int64_t>(
      delta, static_cast<std::int64_t>(low_) - start_, static_cast<std::int64_t>(high_) - end_);
  start_ = static_cast<std::int32_t>(start_ + d);
  end_ = static_cast<std::int32_t>(end_ + d);
}

void TfmXOVER::SetLimitChecked(bool checked) { limitChecked_ = checked; }

void TfmXOVER::SetLimitValue(std::int32_t value) { limitValue_ = std::max(value, 1); }

bool TfmXOVER::skip(std::int32_t number) const {
  const std::int32_t bit = number - view_.lowMark;
  if (view_.presentSet.test(bit)) return true;
  switch (action_) {
    case XoverAction::CleanAndLoad: return false;
    case XoverAction::LoadWithRead: return view_.excludedSet.test(bit);
    default: return view_.excludedSet.test(bit) || view_.readSet.test(bit);
  }
}

std::int64_t TfmXOVER::Estimate() const {
  if (action_ == XoverAction::CleanOnly) return 0;
  std::int64_t n = 0;
  for (std::int64_t k = start_; k <= end_; ++k) n += skip(static_cast<std::int32_t>(k)) ? 0 : 1;
  return limitChecked_ ? std::min<std::int64_t>(n, limitValue_) : n;
}

std::vector<bool> TfmXOVER::Bar(XoverBar bar, int width) const {
  std::vector<bool> cells(static_cast<std::size_t>(std::max(width, 0)), false);
  const BitSet& set = bar == XoverBar::Present ? view_.presentSet
                      : bar == XoverBar::Read  ? view_.readSet
                                               : view_.excludedSet;
  const std::int64_t span = static_cast<std::int64_t>(high_) - low_ + 1;
  if (width <= 0 || span <= 0) return cells;
  const std::int64_t offset = static_cast<std::int64_t>(low_) - view_.lowMark;
  for (int k = 0; k < width; ++k) {
    const std::int64_t first = offset + span * k / width;
    const std::int64_t last = offset + span * (k + 1) / width - 1;
    if (last < first) continue;
    const std::int32_t hit = set.findSet(static_cast<std::int32_t>(std::max<std::int64_t>(first, 0)));
    cells[static_cast<std::size_t>(k)] = hit >= 0 && hit <= last;
  }
  return cells;
}

void TfmXOVER::ClearSet(XoverBar bar) {
  switch (bar) {
    case XoverBar::Present:
      view_.presentSet.clearAll();
      for (const TArticle* a : view_.lists.masterList) {
        if (a) view_.presentSet.set(a->Number - view_.lowMark);
      }
      break;
    case XoverBar::Read:
      view_.readSet.clearAll();
      for (TArticle* a : view_.lists.masterList) {
        if (a) a->SetRead(false);
      }
      view_.unread = view_.articles;
      readCleared_ = true;
      break;
    case XoverBar::Excluded:
      view_.excludedSet.clearAll();
      break;
  }
}

void TfmXOVER::SetStatistics(const ThreadStats& all, const ThreadStats& filtered) {
  all_ = all;
  filtered_ = filtered;
}

XoverChoice TfmXOVER::Ok() const {
  XoverChoice choice;
  choice.limit = limitChecked_ ? limitValue_ : 0;
  choice.startNumber = start_;
  choice.endLimit = end_ >= high_ ? -1 : end_;
  choice.action = action_;
  return choice;
}

}  // namespace orvel
