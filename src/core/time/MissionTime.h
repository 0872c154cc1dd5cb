#pragma once
// Mission time as the rover teams published it, beside the classic fixed-rule figures of
// EarthTime.h and MarsTime.h (which stay as they are): the UTC of a spacecraft clock value by
// the rovers' own clock correlation, and the local mean and true solar time, the solar
// longitude and the sol number at the landing site by the Mars24 algorithm (Allison and
// McEwen 2000, with the current constants).
//
// UTC instants are POSIX seconds: seconds since 1970-01-01T00:00:00 UTC, leap seconds not
// counted.

#include <optional>
#include <string>
#include <string_view>

#include "core/decode/ProductIdentifier.h"
#include "core/time/MarsTime.h"

namespace keldar::time {

// TT - UTC in seconds: TAI - UTC from the leap-second table (32 s from 1999) plus 32.184 s.
double terrestrialMinusUtcSeconds(double utcSeconds);

// Mars24 quantities at one instant and one site.
struct MarsSolarTime {
    double marsSolDate = 0;          // MSD, days
    double coordinatedMarsTime = 0;  // MTC, hours 0..24
    double ls = 0;                   // areocentric solar longitude, degrees 0..360
    double equationOfTime = 0;       // degrees (true minus mean sun, 15 degrees per hour)
    double lmstHours = 0;            // local mean solar time, 0..24
    double ltstHours = 0;            // local true solar time, 0..24
    // Days counted in local true solar time at the site: it rises by one at each local
    // midnight, so its integer part numbers the site's sols.
    double localTrueSolarDate = 0;
};
// eastLongitude: planetocentric degrees east (Mars24 itself counts west).
MarsSolarTime marsSolarTime(double utcSeconds, double eastLongitude);

// The landing sites' planetocentric east longitudes.
double siteEastLongitude(Rover rover);

struct MissionTime {
    bool valid = false;          // false only for a clock value that is not a finite number
    bool withinRecord = false;   // false: extrapolated beyond the first or last correlated sol
    double utcSeconds = 0;       // POSIX seconds
    std::string utcIso;          // "2004-01-25T07:18:28.123Z"
    int sol = 0;                 // landing sol = 1; sols begin at local true midnight
    double lmstHours = 0, ltstHours = 0, ls = 0;
};
// sclkSeconds: the spacecraft clock, as in the product identifier (fractions allowed).
MissionTime missionTime(Rover rover, double sclkSeconds);

// The mission time of a decoded product: none when the name gives no rover digit (1 or 2) or
// no readable clock.
std::optional<MissionTime> missionTimeOf(const decode::DecodedIdentifier& decoded);

// The UTC span of one sol at the rover's site, local true midnight to midnight.
struct SolSpan {
    int sol = 0;
    bool withinRecord = false;  // the sol lies between the landing and the last correlated sol
    double startUtcSeconds = 0, endUtcSeconds = 0;
    std::string startUtcIso, endUtcIso;
};
// None for a sol below 1 or above kMaximumSol.
std::optional<SolSpan> solSpan(Rover rover, int sol);
inline constexpr int kMaximumSol = 99999;

// The last sol that the clock correlation covers.
int lastRecordedSol(Rover rover);

// "hh:mm:ss", truncated to the whole second (as a clock shows), wrapped into 0..24 h.
std::string formatSolarTime(double hours);
// ISO 8601 UTC with milliseconds and "Z".
std::string formatUtcIso(double utcSeconds);

// "spirit", "opportunity", "2" (Spirit) or "1" (Opportunity), any case.
std::optional<Rover> roverForName(std::string_view name);
// From the identifier's rover digit: "2" Spirit, "1" Opportunity, anything else none.
std::optional<Rover> roverForDigit(std::string_view digit);
std::string roverName(Rover rover);  // "Spirit" or "Opportunity"

}  // namespace keldar::time
