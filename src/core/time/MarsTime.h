#pragma once
// Mars time from the capture time: sols since landing, the Martian time elapsed since
// landing and the local mean solar time at the landing site. Two fixed lengths (the sol of
// 88775 s and the Martian second of 1.0274884259259 s) and a fixed landing local time per
// rover; no orbital arithmetic.

#include <cstdint>
#include <string>

#include "core/time/CalendarTime.h"

namespace keldar::time {

enum class Rover { Spirit, Opportunity };

inline constexpr std::int32_t kSecondsPerSol = 88775;
inline constexpr double kMarsSecond = 1.0274884259259;

CalendarTime landingTime(Rover rover);

// The low 32 bits of the whole seconds between the two times (never negative before wrap).
std::int32_t secondsSinceLanding(CalendarTime capture, CalendarTime landing);
// seconds / 88775 rounded to the nearest integer, ties to even.
std::int32_t solsSinceLanding(std::int32_t seconds);

struct MarsBreakdown {
    double totalSeconds = 0, totalMinutes = 0, totalHours = 0, sols = 0;
    double remainderSeconds = 0, remainderMinutes = 0, remainderHours = 0;
};
MarsBreakdown marsBreakdown(std::int32_t secondsSinceLanding);

struct MarsClock {
    double hour = 0, minute = 0, second = 0;
};
MarsClock landingLocalTime(Rover rover);
// The landing local time advanced by the remainders, with one carry per unit.
MarsClock marsLocalTime(const MarsClock& landing, const MarsBreakdown& elapsed);

std::string formatMarsTime(const MarsClock& clock);       // "16:40:05"
std::string formatLandingLocalTime(const MarsClock& clock); // "14:24:15", plain numbers
// Spirit only for the exact text "2 Spirit"; everything else counts as Opportunity.
Rover roverForText(std::string_view roverText);

// Whole reals shown as plain decimal integers.
std::string wholeNumberText(double value);

}  // namespace keldar::time
