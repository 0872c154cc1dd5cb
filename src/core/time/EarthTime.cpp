#include "core/time/EarthTime.h"

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <langinfo.h>
#include <mutex>
#include <stdexcept>

#include "core/decode/DecimalInteger.h"

namespace keldar::time {

CalendarTime clockEpoch()
{
    return CalendarTime::fromParts(2000, 1, 1, 11, 58, 55, 816);
}

std::optional<std::int32_t> parseClockText(std::string_view clockText)
{
    return decode::parseDecimalInt32(clockText);
}

CalendarTime clockToCaptureTime(std::int64_t clockValue)
{
    const long double seconds = static_cast<long double>(clockEpoch().days()) * 86400.0L +
                                static_cast<long double>(clockValue);
    return CalendarTime(static_cast<double>(seconds / 86400.0L));
}

LocaleNames LocaleNames::english()
{
    return LocaleNames{
        {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"},
        {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"}};
}

LocaleNames LocaleNames::current()
{
    // The user's LC_TIME; where that locale is not installed the C library answers in English.
    static std::once_flag adopted;
    std::call_once(adopted, [] { std::setlocale(LC_TIME, ""); });
    static constexpr nl_item kDays[] = {DAY_1, DAY_2, DAY_3, DAY_4, DAY_5, DAY_6, DAY_7};
    static constexpr nl_item kMonths[] = {ABMON_1, ABMON_2, ABMON_3, ABMON_4,  ABMON_5,  ABMON_6,
                                          ABMON_7, ABMON_8, ABMON_9, ABMON_10, ABMON_11, ABMON_12};
    LocaleNames names;
    for (std::size_t d = 0; d < 7; ++d)
        names.longDayNames[d] = ::nl_langinfo(kDays[d]);
    for (std::size_t m = 0; m < 12; ++m)
        names.shortMonthNames[m] = ::nl_langinfo(kMonths[m]);
    return names;
}

std::string formatCaptureTime(CalendarTime time, const LocaleNames& names)
{
    const DateTimeParts p = time.parts();
    char clock[16];
    std::snprintf(clock, sizeof clock, "%02d:%02d:%02d", p.hour, p.minute, p.second);
    return names.longDayNames[static_cast<std::size_t>(p.dayOfWeek)] + " " + std::to_string(p.day) + " of " +
           names.shortMonthNames[static_cast<std::size_t>(p.month - 1)] + " " + std::to_string(p.year) + " " +
           clock;
}

CalendarTime utcToLocal(CalendarTime utc)
{
    const DateTimeParts p = utc.parts();
    const std::int64_t unixDays = daysFromCivil(p.year, p.month, p.day) - 25569;
    const auto seconds = static_cast<std::time_t>(unixDays * 86400 + p.hour * 3600 + p.minute * 60 + p.second);
    ::tzset();
    std::tm local{};
    if (!::localtime_r(&seconds, &local))
        throw std::runtime_error("The UTC time could not be converted to local time.");
    return CalendarTime::fromParts(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                                   local.tm_min, local.tm_sec, p.millisecond);
}

TimeZoneInfo currentTimeZoneInfo()
{
    ::tzset();
    TimeZoneInfo info;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (now == static_cast<std::time_t>(-1) || !::localtime_r(&now, &local))
        return info;  // Failed

    // A zone "has" daylight saving when this year's January and July differ in it.
    bool observesDaylight = false;
    for (int month : {0, 6}) {
        std::tm probe{};
        probe.tm_year = local.tm_year;
        probe.tm_mon = month;
        probe.tm_mday = 1;
        probe.tm_hour = 12;
        probe.tm_isdst = -1;
        std::time_t t = std::mktime(&probe);
        std::tm back{};
        if (t != static_cast<std::time_t>(-1) && ::localtime_r(&t, &back) && back.tm_isdst > 0)
            observesDaylight = true;
    }
    info.standardName = ::tzname[0] ? ::tzname[0] : "";
    info.daylightName = ::tzname[1] ? ::tzname[1] : "";
    if (!observesDaylight)
        info.state = TimeZoneInfo::State::NoDaylightSaving;
    else
        info.state = local.tm_isdst > 0 ? TimeZoneInfo::State::Daylight : TimeZoneInfo::State::Standard;
    return info;
}

std::string timeZoneName(const TimeZoneInfo& info)
{
    switch (info.state) {
    case TimeZoneInfo::State::NoDaylightSaving:
        return "TimeZone UNKNOWN";
    case TimeZoneInfo::State::Standard:
        return info.standardName;
    case TimeZoneInfo::State::Daylight:
        return info.daylightName;
    case TimeZoneInfo::State::Failed:
        break;
    }
    return "TimeZone really UNKNOWN";
}

}  // namespace keldar::time
