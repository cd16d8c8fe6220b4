#include "core/filetime.h"

namespace tomeo {
namespace {

// Days between 1601-01-01 and 1970-01-01.
constexpr std::int64_t kDays1601To1970 = 134774;

// Howard Hinnant's civil-from-days and days-from-civil, counted from 1970-01-01.
constexpr std::int64_t days_from_civil(std::int64_t y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

static_assert(days_from_civil(1601, 1, 1) == -kDays1601To1970);

}  // namespace

CivilTime filetime_to_civil(FILETIME time) {
    const std::int64_t seconds = static_cast<std::int64_t>(time / kFileTimeTicksPerSecond);
    const std::int64_t days = seconds / 86400 - kDays1601To1970;
    const std::int64_t rest = seconds % 86400;

    const std::int64_t z = days + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    CivilTime c;
    c.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    c.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    c.year = static_cast<int>(yoe + era * 400 + (c.month <= 2));
    c.hour = static_cast<int>(rest / 3600);
    c.minute = static_cast<int>(rest / 60 % 60);
    c.second = static_cast<int>(rest % 60);
    return c;
}

FILETIME civil_to_filetime(const CivilTime& c) {
    const std::int64_t days = days_from_civil(c.year, c.month, c.day) + kDays1601To1970;
    const std::int64_t seconds = days * 86400 + c.hour * 3600 + c.minute * 60 + c.second;
    return seconds < 0 ? 0 : static_cast<FILETIME>(seconds) * kFileTimeTicksPerSecond;
}

}  // namespace tomeo

namespace tomeo {
namespace {

int clamp(int value, int low, int high) {
    return value < low ? low : (value > high ? high : value);
}

}  // namespace

DosDateTime filetime_to_dos(FILETIME time) {
    CivilTime c = filetime_to_civil(time);
    if (c.year < 1980) c = CivilTime{1980, 1, 1, 0, 0, 0};
    if (c.year > 2107) c = CivilTime{2107, 12, 31, 23, 59, 58};
    DosDateTime dos;
    dos.date = static_cast<std::uint16_t>((c.year - 1980) * 512 + c.month * 32 + c.day);
    dos.time = static_cast<std::uint16_t>(c.hour * 2048 + c.minute * 32 + c.second / 2);
    return dos;
}

FILETIME dos_to_filetime(DosDateTime dos) {
    CivilTime c;
    c.year = 1980 + (dos.date >> 9);
    c.month = clamp((dos.date >> 5) & 0x0F, 1, 12);
    c.day = clamp(dos.date & 0x1F, 1, 31);
    c.hour = clamp(dos.time >> 11, 0, 23);
    c.minute = clamp((dos.time >> 5) & 0x3F, 0, 59);
    c.second = clamp((dos.time & 0x1F) * 2, 0, 58);
    return civil_to_filetime(c);
}

FILETIME truncate_to_dos_resolution(FILETIME time) {
    const FILETIME two_seconds = 2 * kFileTimeTicksPerSecond;
    return time - time % two_seconds;
}

}  // namespace tomeo
