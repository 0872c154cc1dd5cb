#include "core/time/EarthBreakdown.h"

#include <cmath>

namespace keldar::time {

namespace {

std::int64_t floorDivide(std::int64_t value, std::int64_t divisor) {
    return static_cast<std::int64_t>(std::floor(static_cast<double>(value) / static_cast<double>(divisor)));
}

}  // namespace

EarthBreakdown breakDownClock(std::int32_t clockValue) {
    EarthBreakdown b;
    b.totalMinutes = floorDivide(clockValue, 60);
    b.minutesAsSeconds = b.totalMinutes * 60;
    b.remainderSeconds = clockValue - b.minutesAsSeconds;
    b.totalHours = floorDivide(b.totalMinutes, 60);
    b.hoursAsMinutes = b.totalHours * 60;
    b.remainderMinutes = b.totalMinutes - b.hoursAsMinutes;
    b.totalDays = floorDivide(b.totalHours, 24);
    b.daysAsHours = b.totalDays * 24;
    b.remainderHours = b.totalHours - b.daysAsHours;
    return b;
}

std::string elapsedText(const EarthBreakdown& b) {
    return std::to_string(b.totalDays) + " Days, " + std::to_string(b.remainderHours) + " Hours, " +
           std::to_string(b.remainderMinutes) + " Minutes, " + std::to_string(b.remainderSeconds) + " Seconds.";
}

}  // namespace keldar::time
