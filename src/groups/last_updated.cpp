#include "groups/last_updated.h"

#include <ctime>

#include "core/text.h"

namespace orvel {

std::string LastUpdatedStamp(Clock::WallTime now, int tz) {
  const std::time_t t = std::chrono::system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&t, &local);
  long offsetSeconds = local.tm_gmtoff;
  if (tz != -1) {
    const int magnitude = tz < 0 ? -tz : tz;
    const long minutes = magnitude / 100 * 60 + magnitude % 100;
    offsetSeconds = (tz < 0 ? -minutes : minutes) * 60;
  }
  const std::time_t gmt = t + local.tm_gmtoff - offsetSeconds;
  std::tm g{};
  gmtime_r(&gmt, &g);
  return format("%02d%02d%02d %02d%02d%02d", g.tm_year % 100, g.tm_mon + 1, g.tm_mday, g.tm_hour,
                g.tm_min, g.tm_sec);
}

}  // namespace orvel
