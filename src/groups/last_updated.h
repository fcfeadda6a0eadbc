#pragma once
// The "LastUpdated" value of a profile: the GMT time of its last group list,
// "yymmdd hhnnss", which the next new-groups request sends back to the server
// ("NEWGROUPS yymmdd hhnnss GMT").

#include <string>

#include "core/clock.h"

namespace orvel {

// now as local time minus the time-zone offset tz (hours * 100 + minutes, as
// the TZ setting holds it; -1 takes the system's offset, giving plain GMT).
std::string LastUpdatedStamp(Clock::WallTime now, int tz);

}  // namespace orvel
