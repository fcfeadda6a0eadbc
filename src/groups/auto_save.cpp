#include "groups/auto_save.h"

namespace orvel {

AutoSaveTimer::AutoSaveTimer(Clock& clock, GroupListHost& host)
    : host_(host), timer_(clock.createTimer([this] {
        if (!host_.ignoreChanges) SaveAllGroupLists(host_);
      })) {}

void AutoSaveTimer::setInterval(int minutes) {
  if (minutes >= kMinMinutes && minutes <= kMaxMinutes) {
    timer_->start(std::chrono::minutes(minutes), TimerMode::Repeating);
  } else {
    timer_->stop();
  }
}

}  // namespace orvel
