#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include "platform/clock.h"

namespace tomeo::platform {
namespace {

// Runs a check in a fixed time zone and restores the previous one.
class TimeZone {
public:
    explicit TimeZone(const char* zone) {
        if (const char* old = getenv("TZ")) {
            saved_ = old;
            had_ = true;
        }
        setenv("TZ", zone, 1);
        tzset();
    }
    ~TimeZone() {
        if (had_) {
            setenv("TZ", saved_.c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }

private:
    std::string saved_;
    bool had_ = false;
};

TEST(Clock, LocalTimeIsUtcShiftedByTheZone) {
    TimeZone zone("MSK-3");             // Moscow, UTC+3, no daylight saving
    const timespec utc{1205591458, 0};  // 2008-03-15 14:30:58 UTC
    const FILETIME local = LocalFileTimeFromUtc(utc);
    const CivilTime c = filetime_to_civil(local);
    EXPECT_EQ(c.hour, 17);
    EXPECT_EQ(c.minute, 30);
    EXPECT_EQ(c.second, 58);
    EXPECT_EQ(UtcFromLocalFileTime(local).tv_sec, utc.tv_sec);
}

TEST(Clock, SubSecondsSurviveTheRoundTrip) {
    TimeZone zone("UTC0");
    const timespec utc{1700000000, 123456700};
    const timespec back = UtcFromLocalFileTime(LocalFileTimeFromUtc(utc));
    EXPECT_EQ(back.tv_sec, utc.tv_sec);
    EXPECT_EQ(back.tv_nsec, utc.tv_nsec);
}

}  // namespace
}  // namespace tomeo::platform
