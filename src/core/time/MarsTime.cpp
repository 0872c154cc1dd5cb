#include "core/time/MarsTime.h"

#include <cmath>
#include <cstdio>

namespace keldar::time {

CalendarTime landingTime(Rover rover)
{
    return rover == Rover::Spirit ? CalendarTime::fromParts(2004, 1, 4, 4, 35, 0, 0)
                                  : CalendarTime::fromParts(2004, 1, 25, 5, 5, 0, 0);
}

std::int32_t secondsSinceLanding(CalendarTime capture, CalendarTime landing)
{
    // Only the low 32 bits are kept, as the state field is a 32-bit integer.
    const auto whole = static_cast<std::uint64_t>(wholeSecondsBetween(capture, landing));
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(whole & 0xFFFFFFFFu));
}

std::int32_t solsSinceLanding(std::int32_t seconds)
{
    return static_cast<std::int32_t>(std::nearbyint(static_cast<double>(seconds) / kSecondsPerSol));
}

MarsBreakdown marsBreakdown(std::int32_t secondsSinceLanding)
{
    MarsBreakdown b;
    b.totalSeconds = std::floor(static_cast<double>(secondsSinceLanding) / kMarsSecond);
    b.totalMinutes = std::floor(b.totalSeconds / 60.0);
    b.remainderSeconds = b.totalSeconds - 60.0 * b.totalMinutes;
    b.totalHours = std::floor(b.totalMinutes / 60.0);
    b.remainderMinutes = b.totalMinutes - 60.0 * b.totalHours;
    b.sols = std::floor(b.totalHours / 24.0);
    b.remainderHours = b.totalHours - 24.0 * b.sols;
    return b;
}

MarsClock landingLocalTime(Rover rover)
{
    return rover == Rover::Spirit ? MarsClock{14, 24, 15} : MarsClock{13, 20, 49};
}

MarsClock marsLocalTime(const MarsClock& landing, const MarsBreakdown& elapsed)
{
    MarsClock t{landing.hour + elapsed.remainderHours, landing.minute + elapsed.remainderMinutes,
                landing.second + elapsed.remainderSeconds};
    // One carry per unit is enough: each addend is below a full unit.
    if (t.second > 59) {
        t.second -= 60;
        t.minute += 1;
    }
    if (t.minute > 59) {
        t.minute -= 60;
        t.hour += 1;
    }
    if (t.hour > 23)
        t.hour -= 24;
    return t;
}

std::string wholeNumberText(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.0f", value);
    return text;
}

std::string formatMarsTime(const MarsClock& clock)
{
    char text[48];
    std::snprintf(text, sizeof text, "%02.0f:%02.0f:%02.0f", clock.hour, clock.minute, clock.second);
    return text;
}

std::string formatLandingLocalTime(const MarsClock& clock)
{
    return wholeNumberText(clock.hour) + ":" + wholeNumberText(clock.minute) + ":" + wholeNumberText(clock.second);
}

Rover roverForText(std::string_view roverText)
{
    return roverText == "2 Spirit" ? Rover::Spirit : Rover::Opportunity;
}

}  // namespace keldar::time
