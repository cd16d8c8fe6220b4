#include <time.h>

#include "platform/clock.h"

namespace tomeo::platform {

FILETIME LocalFileTimeFromUtc(const timespec& utc) {
    tm local{};
    const time_t seconds = utc.tv_sec;
    if (localtime_r(&seconds, &local) == nullptr) return 0;
    const CivilTime civil{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                          local.tm_hour,        local.tm_min,     local.tm_sec};
    return civil_to_filetime(civil) + static_cast<FILETIME>(utc.tv_nsec / 100);
}

timespec UtcFromLocalFileTime(FILETIME local_time) {
    const CivilTime c = filetime_to_civil(local_time);
    tm local{};
    local.tm_year = c.year - 1900;
    local.tm_mon = c.month - 1;
    local.tm_mday = c.day;
    local.tm_hour = c.hour;
    local.tm_min = c.minute;
    local.tm_sec = c.second;
    local.tm_isdst = -1;  // let the zone's rule decide
    timespec utc{};
    utc.tv_sec = mktime(&local);
    utc.tv_nsec = static_cast<long>(local_time % kFileTimeTicksPerSecond) * 100;
    return utc;
}

FILETIME CurrentLocalFileTime() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return LocalFileTimeFromUtc(now);
}

}  // namespace tomeo::platform
