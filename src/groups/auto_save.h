#pragma once
// The main window's auto-save timer: every AutoSaveInterval minutes (5 to
// 2000; any other value leaves it off) each open group list takes its views'
// read state and saves its files, unless the main window ignores changes.

#include <memory>

#include "core/clock.h"
#include "groups/group_list_host.h"

namespace orvel {

class AutoSaveTimer {
 public:
  static constexpr int kMinMinutes = 5;
  static constexpr int kMaxMinutes = 2000;

  AutoSaveTimer(Clock& clock, GroupListHost& host);
  void setInterval(int minutes);
  bool active() const { return timer_->isActive(); }

 private:
  GroupListHost& host_;
  std::unique_ptr<Timer> timer_;
};

}  // namespace orvel
