// The system clock and file times as the program keeps them: FILETIME holding local
// wall-clock time. The system's times are UTC; they are converted here.
#pragma once

#include <ctime>

#include "core/filetime.h"

namespace tomeo::platform {

// A UTC time of the system as local wall-clock FILETIME (the local time zone and its
// daylight-saving rule at that moment).
FILETIME LocalFileTimeFromUtc(const timespec& utc);

// A local wall-clock FILETIME as the UTC time of the system. A time that does not exist
// locally (skipped by a daylight-saving change) is taken as the zone's rule gives it.
timespec UtcFromLocalFileTime(FILETIME local);

FILETIME CurrentLocalFileTime();

}  // namespace tomeo::platform
