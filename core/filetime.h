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
