#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "core/time/EarthTime.h"

using namespace keldar::time;

namespace {

// Sets TZ for one test and puts back what was there.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone)
    {
        if (const char* old = std::getenv("TZ")) {
            hadOld_ = true;
            old_ = old;
        }
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~ScopedTimeZone()
    {
        if (hadOld_)
            ::setenv("TZ", old_.c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }

private:
    bool hadOld_ = false;
    std::string old_;
};

DateTimeParts localPartsOf(int y, int mo, int d, int h, int mi, int s, int ms)
{
    auto p = utcToLocal(CalendarTime::fromParts(y, mo, d, h, mi, s, ms)).parts();
    p.dayOfWeek = 0;
    return p;
}

}  // namespace

TEST(EarthTime, ClockToCaptureTime)
{
    const auto english = LocaleNames::english();
    EXPECT_EQ(formatCaptureTime(clockToCaptureTime(0), english), "Saturday 1 of Jan 2000 11:58:55");
    EXPECT_DOUBLE_EQ(clockToCaptureTime(0).days(), clockEpoch().days());

    const auto example = clockToCaptureTime(126471340).parts();
    EXPECT_EQ(example.year, 2004);
    EXPECT_EQ(example.month, 1);
    EXPECT_EQ(example.day, 4);
    EXPECT_EQ(example.hour, 6);
    EXPECT_EQ(example.minute, 54);
    EXPECT_EQ(example.second, 35);
    EXPECT_EQ(example.millisecond, 816);
    EXPECT_EQ(formatCaptureTime(clockToCaptureTime(126471340), english), "Sunday 4 of Jan 2004 06:54:35");

    // A negative clock lies before the epoch.
    EXPECT_EQ(formatCaptureTime(clockToCaptureTime(-1), english), "Saturday 1 of Jan 2000 11:58:54");
    EXPECT_EQ(formatCaptureTime(clockToCaptureTime(-43136), english), "Friday 31 of Dec 1999 23:59:59");
    // The extremes of the 32-bit clock stay representable.
    EXPECT_EQ(clockToCaptureTime(INT32_MAX).parts().year, 2068);
    EXPECT_EQ(clockToCaptureTime(INT32_MIN).parts().year, 1931);
}

TEST(EarthTime, MillisecondsAreDroppedNotRoundedIntoSeconds)
{
    const auto names = LocaleNames::english();
    EXPECT_EQ(formatCaptureTime(CalendarTime::fromParts(2004, 1, 4, 6, 54, 35, 999), names),
              "Sunday 4 of Jan 2004 06:54:35");
    EXPECT_EQ(formatCaptureTime(CalendarTime::fromParts(2012, 10, 9, 0, 0, 0, 0), names),
              "Tuesday 9 of Oct 2012 00:00:00");
}

TEST(EarthTime, NamesComeFromTheUserLocale)
{
    // Without an installed locale of the user's the C library answers in English, which is
    // what a fresh machine and the tests see.
    const char* saved = std::getenv("LC_ALL");
    const std::string savedValue = saved ? saved : "";
    ::setenv("LC_ALL", "C", 1);
    const auto names = LocaleNames::current();
    EXPECT_EQ(names.longDayNames[0], "Sunday");
    EXPECT_EQ(names.longDayNames[6], "Saturday");
    EXPECT_EQ(names.shortMonthNames[0], "Jan");
    EXPECT_EQ(names.shortMonthNames[8], "Sep");
    EXPECT_EQ(formatCaptureTime(clockToCaptureTime(126471340), names), "Sunday 4 of Jan 2004 06:54:35");
    if (saved)
        ::setenv("LC_ALL", savedValue.c_str(), 1);
    else
        ::unsetenv("LC_ALL");

    // Names of another language go where the English ones stand.
    LocaleNames german = LocaleNames::english();
    german.longDayNames[0] = "Sonntag";
    german.shortMonthNames[0] = "Jan";
    EXPECT_EQ(formatCaptureTime(clockToCaptureTime(126471340), german), "Sonntag 4 of Jan 2004 06:54:35");
}

TEST(EarthTime, ClockTextParsing)
{
    EXPECT_EQ(parseClockText("126471340"), 126471340);
    EXPECT_EQ(parseClockText("-00000001"), -1);
    EXPECT_FALSE(parseClockText("12647A340").has_value());
    EXPECT_FALSE(parseClockText("G_0001.jp").has_value());
    EXPECT_FALSE(parseClockText("").has_value());
}

TEST(EarthTime, UtcToLocalFollowsTheZoneRulesOfThatDate)
{
    {
        ScopedTimeZone zone("Europe/Berlin");
        EXPECT_EQ(localPartsOf(2004, 1, 4, 6, 54, 35, 816), (DateTimeParts{2004, 1, 4, 7, 54, 35, 816, 0}));
        EXPECT_EQ(localPartsOf(2004, 7, 4, 6, 54, 35, 816), (DateTimeParts{2004, 7, 4, 8, 54, 35, 816, 0}));
        EXPECT_EQ(localPartsOf(2004, 12, 31, 23, 30, 0, 0), (DateTimeParts{2005, 1, 1, 0, 30, 0, 0, 0}));
    }
    {
        ScopedTimeZone zone("America/New_York");
        EXPECT_EQ(localPartsOf(2004, 1, 4, 6, 54, 35, 816), (DateTimeParts{2004, 1, 4, 1, 54, 35, 816, 0}));
        EXPECT_EQ(localPartsOf(2004, 7, 4, 6, 54, 35, 0), (DateTimeParts{2004, 7, 4, 2, 54, 35, 0, 0}));
    }
    {
        ScopedTimeZone zone("Asia/Kolkata");
        EXPECT_EQ(localPartsOf(2004, 1, 4, 20, 0, 0, 0), (DateTimeParts{2004, 1, 5, 1, 30, 0, 0, 0}));
    }
    {
        ScopedTimeZone zone("UTC");
        EXPECT_EQ(localPartsOf(2004, 1, 4, 6, 54, 35, 816), (DateTimeParts{2004, 1, 4, 6, 54, 35, 816, 0}));
    }
}

TEST(EarthTime, TimeZoneNameOutcomes)
{
    TimeZoneInfo info;
    info.standardName = "Central European Standard Time";
    info.daylightName = "Central European Summer Time";
    info.state = TimeZoneInfo::State::NoDaylightSaving;
    EXPECT_EQ(timeZoneName(info), "TimeZone UNKNOWN");
    info.state = TimeZoneInfo::State::Standard;
    EXPECT_EQ(timeZoneName(info), "Central European Standard Time");
    info.state = TimeZoneInfo::State::Daylight;
    EXPECT_EQ(timeZoneName(info), "Central European Summer Time");
    info.state = TimeZoneInfo::State::Failed;
    EXPECT_EQ(timeZoneName(info), "TimeZone really UNKNOWN");
}

TEST(EarthTime, TimeZoneFromTheSystem)
{
    {
        ScopedTimeZone zone("Asia/Tokyo");  // no daylight saving today
        EXPECT_EQ(currentTimeZoneInfo().state, TimeZoneInfo::State::NoDaylightSaving);
        EXPECT_EQ(timeZoneName(), "TimeZone UNKNOWN");
    }
    {
        ScopedTimeZone zone("UTC");
        EXPECT_EQ(timeZoneName(), "TimeZone UNKNOWN");
    }
    {
        ScopedTimeZone zone("Europe/Berlin");
        const auto info = currentTimeZoneInfo();
        ASSERT_TRUE(info.state == TimeZoneInfo::State::Standard || info.state == TimeZoneInfo::State::Daylight);
        EXPECT_FALSE(info.standardName.empty());
        EXPECT_FALSE(info.daylightName.empty());
        EXPECT_NE(info.standardName, info.daylightName);
        std::time_t now = std::time(nullptr);
        std::tm local{};
        ::localtime_r(&now, &local);
        EXPECT_EQ(timeZoneName(), local.tm_isdst > 0 ? info.daylightName : info.standardName);
    }
    {
        ScopedTimeZone zone("Australia/Sydney");  // daylight saving in the other half of the year
        const auto info = currentTimeZoneInfo();
        EXPECT_TRUE(info.state == TimeZoneInfo::State::Standard || info.state == TimeZoneInfo::State::Daylight);
    }
}
