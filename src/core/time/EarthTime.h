#pragma once
// Spacecraft clock to Earth time: the clock is plain seconds since the clock epoch
// (1 January 2000 11:58:55.816 UTC), with no leap seconds and no correction.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/time/CalendarTime.h"

namespace keldar::time {

CalendarTime clockEpoch();
std::optional<std::int32_t> parseClockText(std::string_view clockText);
CalendarTime clockToCaptureTime(std::int64_t clockValue);

// Weekday and month names for the capture-time format.
struct LocaleNames {
    std::array<std::string, 7> longDayNames;     // Sunday first
    std::array<std::string, 12> shortMonthNames; // January first
    static LocaleNames english();
    static LocaleNames current();  // from the user's LC_TIME locale
};

// "dddd d of mmm yyyy hh:mm:ss"; milliseconds are dropped after rounding to the millisecond.
std::string formatCaptureTime(CalendarTime time, const LocaleNames& names);

// UTC to local time by the rules of the process's time zone (TZ / tzdata) for that date.
CalendarTime utcToLocal(CalendarTime utc);

// What the operating system reports of the time zone now. The C library knows the zone
// names only as abbreviations ("CET"); the desktop layer offers the long names.
struct TimeZoneInfo {
    enum class State { Failed, NoDaylightSaving, Standard, Daylight };
    State state = State::Failed;
    std::string standardName;
    std::string daylightName;
};
TimeZoneInfo currentTimeZoneInfo();
// "TimeZone UNKNOWN", the standard or daylight name, or "TimeZone really UNKNOWN".
std::string timeZoneName(const TimeZoneInfo& info);
inline std::string timeZoneName() { return timeZoneName(currentTimeZoneInfo()); }

}  // namespace keldar::time
