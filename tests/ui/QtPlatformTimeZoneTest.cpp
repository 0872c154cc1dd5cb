// The desktop's time-zone seam: the state from the C library, the names in full.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "platform/QtPlatform.h"

using keldar::platform::QtPlatform;
using keldar::time::TimeZoneInfo;

namespace {

class ZoneScope {
public:
    explicit ZoneScope(const char* zone)
    {
        if (const char* old = std::getenv("TZ"))
            old_ = old;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~ZoneScope()
    {
        if (old_.empty())
            ::unsetenv("TZ");
        else
            ::setenv("TZ", old_.c_str(), 1);
        ::tzset();
    }

private:
    std::string old_;
};

bool daylightNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return local.tm_isdst > 0;
}

}  // namespace

TEST(QtPlatformTimeZone, LongNamesForZonesWithDaylightSaving)
{
    const struct {
        const char* zone;
        const char* standard;
        const char* daylight;
    } cases[] = {
        {"Europe/Berlin", "Central European Standard Time", "Central European Summer Time"},
        {"America/New_York", "Eastern Standard Time", "Eastern Daylight Time"},
        {":Europe/London", "Greenwich Mean Time", "British Summer Time"},
    };
    QtPlatform platform;
    for (const auto& c : cases) {
        ZoneScope scope(c.zone);
        const TimeZoneInfo info = keldar::platform::systemTimeZoneInfo();
        EXPECT_EQ(info.standardName, c.standard) << c.zone;
        EXPECT_EQ(info.daylightName, c.daylight) << c.zone;
        EXPECT_EQ(platform.timeZoneName().toStdString(), daylightNow() ? c.daylight : c.standard) << c.zone;
    }
}

TEST(QtPlatformTimeZone, ZonesWithoutDaylightSavingAreUnknown)
{
    QtPlatform platform;
    for (const char* zone : {"Asia/Tokyo", "UTC", "Asia/Kolkata"}) {
        ZoneScope scope(zone);
        EXPECT_EQ(platform.timeZoneName(), QStringLiteral("TimeZone UNKNOWN")) << zone;
    }
}

TEST(QtPlatformTimeZone, UnknownZoneIdKeepsTheLibraryNames)
{
    // A POSIX rule string is no zone database id: the abbreviations stand.
    ZoneScope scope("AAA+3BBB,M3.5.0,M10.5.0");
    const TimeZoneInfo info = keldar::platform::systemTimeZoneInfo();
    EXPECT_EQ(info.standardName, "AAA");
    EXPECT_EQ(info.daylightName, "BBB");
}
