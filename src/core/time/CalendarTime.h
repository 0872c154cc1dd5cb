#pragma once
// Calendar time: days since 30 December 1899 00:00 as a double, the fraction being the time
// of day. Built from and split into parts; splitting rounds to the nearest millisecond.

#include <cstdint>

namespace keldar::time {

struct DateTimeParts {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
    int dayOfWeek = 0;  // 0 = Sunday .. 6 = Saturday; filled by split, ignored by build
    friend bool operator==(const DateTimeParts&, const DateTimeParts&) = default;
};

class CalendarTime {
public:
    constexpr CalendarTime() = default;
    constexpr explicit CalendarTime(double days) : days_(days) {}

    // Parts out of range (month 13, hour 24 ...) are the caller's fault; they are not checked.
    static CalendarTime fromParts(int year, int month, int day, int hour = 0, int minute = 0,
                                  int second = 0, int millisecond = 0);
    static CalendarTime fromParts(const DateTimeParts& parts);

    constexpr double days() const { return days_; }
    DateTimeParts parts() const;  // rounded to the nearest millisecond

private:
    double days_ = 0.0;
};

// |a - b| x 86400 truncated toward zero; never negative.
std::int64_t wholeSecondsBetween(CalendarTime a, CalendarTime b);

// Days from 1899-12-30 to the given civil date (proleptic Gregorian).
std::int64_t daysFromCivil(int year, int month, int day);

}  // namespace keldar::time
