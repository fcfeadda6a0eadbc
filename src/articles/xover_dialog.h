#pragma once
// TfmXOVER as a model: the header download dialog (start and end numbers
// between the group's marks, a per-download limit, what to do with read
// articles) and, in mode 0, the group statistics window. The GUI shows its
// fields and calls its setters; OK hands the choice to the download.
//
// Two values outlive the dialog (section "XOVER" of the settings file):
// "AutoFree" (free old headers when a limit is used) and "LimitPerGet" (the
// limit field). They are read when a dialog is made and written back when it
// goes.

#include <cstdint>
#include <string>
#include <vector>

#include "articles/header_download.h"
#include "articles/threading.h"
#include "articles/xover.h"

namespace orvel {

struct XoverDialogPrefs {
  bool autoFree = true;            // AutoFree
  std::int32_t limitPerGet = 1000;  // LimitPerGet
};

// The three bars of the dialog.
enum class XoverBar { Present, Read, Excluded };

struct XoverStatsTexts {
  std::string total;
  std::string unread;
  std::string multiPart;
  std::string complete;  // "%d (%.1f%%)", or "0" without multi-part threads
};
XoverStatsTexts StatsTexts(const ThreadStats& stats);

// Mode 0 is the statistics window; 3 and 4 the download dialog.
inline constexpr int kStatisticsForm = 0;

class TfmXOVER {
 public:
  TfmXOVER(XoverView& view, const HeaderDownload& download, XoverDialogPrefs& prefs, int mode);
  ~TfmXOVER();
  TfmXOVER(const TfmXOVER&) = delete;
  TfmXOVER& operator=(const TfmXOVER&) = delete;

  // "Statistics" for mode 0, else empty (the window's own title).
  std::string Title() const;
  bool ActionsShown() const { return mode_ != kStatisticsForm; }
  int Mode() const { return mode_; }

  // The track bars' span.
  std::int32_t Low() const { return low_; }
  std::int32_t High() const { return high_; }

  std::int32_t Start() const { return start_; }
  std::int32_t End() const { return end_; }
  // Values outside the marks are brought inside; the start never passes the end.
  void SetStart(std::int32_t start);
  void SetEnd(std::int32_t end);
  // Ctrl held: both buttons move together by delta.
  void MoveBoth(std::int32_t delta);

  bool LimitChecked() const { return limitChecked_; }
  void SetLimitChecked(bool checked);
  std::int32_t LimitValue() const { return limitValue_; }
  void SetLimitValue(std::int32_t value);
  bool AutoFree() const { return autoFree_; }
  void SetAutoFree(bool on) { autoFree_ = on; }
  XoverAction Action() const { return action_; }
  void SetAction(XoverAction action) { action_ = action; }

  // "Soit:": how many headers the choice would download.
  std::int64_t Estimate() const;

  // A bar over the number range: cell k is set when any number it covers is
  // in the set.
  std::vector<bool> Bar(XoverBar bar, int width) const;
  // The "= 0" buttons. Clearing the present set forgets only the numbers
  // whose headers are not loaded (discarded or killed ones come again).
  void ClearSet(XoverBar bar);
  bool ReadMarksCleared() const { return readCleared_; }

  // "Toutes les statistiques" and "Statistiques du dernier filtre".
  void SetStatistics(const ThreadStats& all, const ThreadStats& filtered);
  const ThreadStats& AllStats() const { return all_; }
  const ThreadStats& FilterStats() const { return filtered_; }

  // What OK stores.
  XoverChoice Ok() const;

 private:
  bool skip(std::int32_t number) const;

  XoverView& view_;
  XoverDialogPrefs& prefs_;
  int mode_;
  std::int32_t low_;
  std::int32_t high_;
  std::int32_t start_;
  std::int32_t end_;
  bool limitChecked_;
  std::int32_t limitValue_;
  bool autoFree_;
  XoverAction action_ = XoverAction::ReloadUnread;
  bool readCleared_ = false;
  ThreadStats all_;
  ThreadStats filtered_;
};

}  // namespace orvel
