#include "core/time/EarthTime.h"

#include <QLocale>
#include <QTimeZone>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
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
    const QLocale locale;
    LocaleNames names;
    for (int d = 0; d < 7; ++d)  // QLocale counts Monday = 1 .. Sunday = 7
        names.longDayNames[static_cast<std::size_t>(d)] =
            locale.dayName(d == 0 ? 7 : d, QLocale::LongFormat).toStdString();
    for (int m = 0; m < 12; ++m)
        names.shortMonthNames[static_cast<std::size_t>(m)] =
            locale.monthName(m + 1, QLocale::ShortFormat).toStdString();
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

namespace {

// The IANA name of the process's zone: TZ if set, else the target of /etc/localtime.
std::string systemZoneId()
{
    if (const char* tz = std::getenv("TZ"); tz && *tz)
        return tz[0] == ':' ? std::string(tz + 1) : std::string(tz);
    std::error_code error;
    const auto target = std::filesystem::read_symlink("/etc/localtime", error).string();
    const auto at = target.find("zoneinfo/");
    return error || at == std::string::npos ? std::string() : target.substr(at + 9);
}

std::string zoneLongName(const std::string& zoneId, QTimeZone::TimeType type, const char* fallback)
{
    const QTimeZone zone(QByteArray::fromStdString(zoneId));
    std::string name;
    if (zone.isValid())
        name = zone.displayName(type, QTimeZone::LongName, QLocale()).toStdString();
    if (name.empty())
        name = fallback ? fallback : "";
    if (name.size() > 32)  // the operating system keeps at most 32 characters of a zone name
        name.resize(32);
    return name;
}

}  // namespace

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
    const std::string id = systemZoneId();
    info.standardName = zoneLongName(id, QTimeZone::StandardTime, ::tzname[0]);
    info.daylightName = zoneLongName(id, QTimeZone::DaylightTime, ::tzname[1]);
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
