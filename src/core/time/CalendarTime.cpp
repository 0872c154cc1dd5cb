#include "core/time/CalendarTime.h"

#include <cmath>

namespace keldar::time {
namespace {

constexpr std::int64_t kMsPerDay = 86'400'000;
constexpr std::int64_t kUnixEpochDays = 25569;  // 1899-12-30 to 1970-01-01

// Civil date <-> days since 1970-01-01, proleptic Gregorian (era arithmetic, exact for all ints).
std::int64_t daysSinceUnixEpoch(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void civilFromDays(std::int64_t z, int& year, int& month, int& day)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(y + (month <= 2));
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b)
{
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

}  // namespace

std::int64_t daysFromCivil(int year, int month, int day)
{
    return daysSinceUnixEpoch(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) + kUnixEpochDays;
}

CalendarTime CalendarTime::fromParts(int year, int month, int day, int hour, int minute, int second,
                                     int millisecond)
{
    const double date = static_cast<double>(daysFromCivil(year, month, day));
    const double time =
        static_cast<double>(hour * 3600000 + minute * 60000 + second * 1000 + millisecond) / kMsPerDay;
    return CalendarTime(date + time);
}

CalendarTime CalendarTime::fromParts(const DateTimeParts& p)
{
    return fromParts(p.year, p.month, p.day, p.hour, p.minute, p.second, p.millisecond);
}

DateTimeParts CalendarTime::parts() const
{
    // Round the whole instant to the millisecond first, so 23:59:59.9996 becomes the next day.
    const auto totalMs = static_cast<std::int64_t>(std::nearbyint(days_ * kMsPerDay));
    const std::int64_t date = floorDiv(totalMs, kMsPerDay);
    std::int64_t ms = totalMs - date * kMsPerDay;

    DateTimeParts p;
    civilFromDays(date - kUnixEpochDays, p.year, p.month, p.day);
    p.hour = static_cast<int>(ms / 3600000);
    ms %= 3600000;
    p.minute = static_cast<int>(ms / 60000);
    ms %= 60000;
    p.second = static_cast<int>(ms / 1000);
    p.millisecond = static_cast<int>(ms % 1000);
    p.dayOfWeek = static_cast<int>(((date % 7) + 7 + 6) % 7);  // day 0 was a Saturday
    return p;
}

std::int64_t wholeSecondsBetween(CalendarTime a, CalendarTime b)
{
    // Extended precision, as the difference of two nearby doubles times 86400 would otherwise
    // lose whole seconds to representation error.
    const long double difference = static_cast<long double>(a.days()) - static_cast<long double>(b.days());
    return static_cast<std::int64_t>(std::fabs(difference) * 86400.0L);
}

}  // namespace keldar::time
