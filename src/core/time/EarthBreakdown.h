#pragma once
// The spacecraft clock broken into whole Earth minutes, hours and days, as the Earth variables
// page shows it. The floors go toward minus infinity, so a negative clock gives negative totals
// with remainders that stay between 0 and 59 (or 23).

#include <cstdint>
#include <string>

namespace keldar::time {

struct EarthBreakdown {
    std::int64_t totalMinutes = 0;      // floor(clock / 60)
    std::int64_t minutesAsSeconds = 0;  // totalMinutes x 60
    std::int64_t remainderSeconds = 0;  // clock - 60 x totalMinutes
    std::int64_t totalHours = 0;        // floor(totalMinutes / 60)
    std::int64_t hoursAsMinutes = 0;
    std::int64_t remainderMinutes = 0;
    std::int64_t totalDays = 0;         // floor(totalHours / 24)
    std::int64_t daysAsHours = 0;
    std::int64_t remainderHours = 0;
    friend bool operator==(const EarthBreakdown&, const EarthBreakdown&) = default;
};

// 64-bit results: for every clock a 9-character clock text can hold they equal the 32-bit ones,
// and the extremes of a 32-bit clock cannot overflow.
EarthBreakdown breakDownClock(std::int32_t clockValue);

// "1463 Days, 18 Hours, 55 Minutes, 40 Seconds."
std::string elapsedText(const EarthBreakdown& breakdown);

}  // namespace keldar::time
