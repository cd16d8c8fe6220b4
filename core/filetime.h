// Timestamps as the program keeps them: a 64-bit count of 100 ns units since
// 1601-01-01 holding local wall-clock time (not UTC), and its calendar form.
// Pure arithmetic; converting from and to the system's clock belongs to platform/.
#pragma once

#include <cstdint>

namespace tomeo {

using FILETIME = std::uint64_t;

struct CivilTime {
    int year = 1601;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

inline constexpr FILETIME kFileTimeTicksPerSecond = 10'000'000;

CivilTime filetime_to_civil(FILETIME time);
FILETIME civil_to_filetime(const CivilTime& civil);

}  // namespace tomeo

namespace tomeo {

// DOS date and time words as zip archives store them (local time, no time-zone shift):
// date = (year - 1980) * 512 + month * 32 + day, time = hour * 2048 + minute * 32 +
// second / 2. Two-second resolution: an odd second is rounded down. Years outside
// 1980..2107 are clamped; fields out of range in stored words are clamped on reading.
struct DosDateTime {
    std::uint16_t date = 0;
    std::uint16_t time = 0;
};

DosDateTime filetime_to_dos(FILETIME time);
FILETIME dos_to_filetime(DosDateTime dos);

// The time as the DOS format would keep it (whole seconds, even seconds).
FILETIME truncate_to_dos_resolution(FILETIME time);

}  // namespace tomeo
