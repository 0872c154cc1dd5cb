#include "core/time/MissionTime.h"

#include <array>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <span>
#include <utility>

namespace keldar::time {
namespace {

struct ClockSegment {
    double firstClock, lastClock;    // spacecraft clock seconds
    double firstOffset, lastOffset;  // UTC - (clock epoch + clock), seconds
};

#include "core/time/MissionClockCorrelation.inc"

// 2000-01-01T11:58:55.816 UTC, the spacecraft clock's zero, in POSIX seconds.
constexpr double kClockEpochUtc = 946727935.816;
constexpr double kPi = 3.14159265358979323846;
constexpr double kDegree = kPi / 180.0;
// The mean solar day of Mars in SI seconds.
constexpr double kSolSeconds = 88775.244147;

std::span<const ClockSegment> segmentsOf(Rover rover)
{
    if (rover == Rover::Spirit)
        return kSpiritClockSegments;
    return kOpportunityClockSegments;
}

// The offset at a clock value and whether the value lies within the correlated record. A gap
// between two segments (a clock update happened somewhere in it) is split at its middle; the
// first and last segments are extended beyond the record.
double clockOffset(std::span<const ClockSegment> segments, double clock, bool& withinRecord)
{
    withinRecord = clock >= segments.front().firstClock && clock <= segments.back().lastClock;
    std::size_t i = 0;
    while (i + 1 < segments.size() && clock >= (segments[i].lastClock + segments[i + 1].firstClock) / 2)
        ++i;
    const ClockSegment& s = segments[i];
    if (s.lastClock == s.firstClock)
        return s.firstOffset;
    return s.firstOffset + (s.lastOffset - s.firstOffset) * (clock - s.firstClock) / (s.lastClock - s.firstClock);
}

double wrap(double value, double period)
{
    const double r = std::fmod(value, period);
    return r < 0 ? r + period : r;
}

// Local true solar date minus sol number: sol 1 is the sol holding the first correlated noon.
double solDateOffset(Rover rover)
{
    const ClockSegment& first = segmentsOf(rover).front();
    const double noonUtc = kClockEpochUtc + first.firstClock + first.firstOffset;
    return std::floor(marsSolarTime(noonUtc, siteEastLongitude(rover)).localTrueSolarDate) - 1.0;
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

}  // namespace

double terrestrialMinusUtcSeconds(double utcSeconds)
{
    // Starts of each TAI - UTC value since 1999 (POSIX seconds). Earlier instants take 32 s,
    // which is exact back to 1999-01-01 and all this program needs.
    static constexpr std::array<std::pair<double, double>, 5> kSteps{{
        {1136073600.0, 33.0},  // 2006-01-01
        {1230768000.0, 34.0},  // 2009-01-01
        {1341100800.0, 35.0},  // 2012-07-01
        {1435708800.0, 36.0},  // 2015-07-01
        {1483228800.0, 37.0},  // 2017-01-01
    }};
    double taiMinusUtc = 32.0;
    for (const auto& [start, value] : kSteps)
        if (utcSeconds >= start)
            taiMinusUtc = value;
    return taiMinusUtc + 32.184;
}

MarsSolarTime marsSolarTime(double utcSeconds, double eastLongitude)
{
    // Days from J2000 in Terrestrial Time.
    const double dt = (utcSeconds + terrestrialMinusUtcSeconds(utcSeconds)) / 86400.0 + 2440587.5 - 2451545.0;
    const double meanAnomaly = (19.3871 + 0.52402073 * dt) * kDegree;
    const double fictitiousMeanSun = 270.3871 + 0.524038496 * dt;

    static constexpr double kAmplitude[] = {0.0071, 0.0057, 0.0039, 0.0037, 0.0021, 0.0020, 0.0018};
    static constexpr double kPeriod[] = {2.2353, 2.7543, 1.1177, 15.7866, 2.1354, 2.4694, 32.8493};
    static constexpr double kPhase[] = {49.409, 168.173, 191.837, 21.736, 15.704, 95.528, 49.095};
    double perturbers = 0;
    for (int i = 0; i < 7; ++i)
        perturbers += kAmplitude[i] * std::cos((0.985626 * dt / kPeriod[i] + kPhase[i]) * kDegree);

    const double m = meanAnomaly;
    const double equationOfCentre = (10.691 + 3.0e-7 * dt) * std::sin(m) + 0.623 * std::sin(2 * m) +
                                    0.050 * std::sin(3 * m) + 0.005 * std::sin(4 * m) +
                                    0.0005 * std::sin(5 * m) + perturbers;
    MarsSolarTime t;
    t.ls = wrap(fictitiousMeanSun + equationOfCentre, 360.0);
    const double ls = t.ls * kDegree;
    t.equationOfTime = 2.861 * std::sin(2 * ls) - 0.071 * std::sin(4 * ls) + 0.002 * std::sin(6 * ls) -
                       equationOfCentre;
    t.marsSolDate = (dt - 4.5) / 1.0274912517 + 44796.0 - 0.0009626;
    t.coordinatedMarsTime = wrap(24.0 * t.marsSolDate, 24.0);

    const double westLongitude = wrap(-eastLongitude, 360.0);
    t.lmstHours = wrap(t.coordinatedMarsTime - westLongitude / 15.0, 24.0);
    t.ltstHours = wrap(t.lmstHours + t.equationOfTime / 15.0, 24.0);
    t.localTrueSolarDate = t.marsSolDate + (t.equationOfTime - westLongitude) / 360.0;
    return t;
}

double siteEastLongitude(Rover rover)
{
    return rover == Rover::Spirit ? 175.4729 : 354.4734;
}

MissionTime missionTime(Rover rover, double sclkSeconds)
{
    MissionTime r;
    // A clock far outside the 32-bit range is no clock reading; it would also overflow the sol.
    if (!std::isfinite(sclkSeconds) || std::fabs(sclkSeconds) > 1e11)
        return r;
    r.valid = true;
    r.utcSeconds = kClockEpochUtc + sclkSeconds + clockOffset(segmentsOf(rover), sclkSeconds, r.withinRecord);
    r.utcIso = formatUtcIso(r.utcSeconds);
    const MarsSolarTime mars = marsSolarTime(r.utcSeconds, siteEastLongitude(rover));
    static const double spiritOffset = solDateOffset(Rover::Spirit);
    static const double opportunityOffset = solDateOffset(Rover::Opportunity);
    const double offset = rover == Rover::Spirit ? spiritOffset : opportunityOffset;
    r.sol = static_cast<int>(std::floor(mars.localTrueSolarDate) - offset);
    r.lmstHours = mars.lmstHours;
    r.ltstHours = mars.ltstHours;
    r.ls = mars.ls;
    return r;
}

int lastRecordedSol(Rover rover)
{
    return rover == Rover::Spirit ? kSpiritLastSol : kOpportunityLastSol;
}

std::optional<SolSpan> solSpan(Rover rover, int sol)
{
    if (sol < 1 || sol > kMaximumSol)
        return std::nullopt;
    const double longitude = siteEastLongitude(rover);
    const ClockSegment& first = segmentsOf(rover).front();
    const double noonUtc = kClockEpochUtc + first.firstClock + first.firstOffset;
    const double noonDate = marsSolarTime(noonUtc, longitude).localTrueSolarDate;
    const double offset = solDateOffset(rover);

    // The local true solar date rises at the mean rate give or take a few per cent, so a few
    // steps at that rate home in on the instant of a given date.
    const auto instantOf = [&](double date) {
        double t = noonUtc + (date - noonDate) * kSolSeconds;
        for (int i = 0; i < 30; ++i) {
            const double step = (date - marsSolarTime(t, longitude).localTrueSolarDate) * kSolSeconds;
            t += step;
            if (std::fabs(step) < 1e-4)
                break;
        }
        return t;
    };
    SolSpan span;
    span.sol = sol;
    span.withinRecord = sol <= lastRecordedSol(rover);
    span.startUtcSeconds = instantOf(offset + sol);
    span.endUtcSeconds = instantOf(offset + sol + 1);
    span.startUtcIso = formatUtcIso(span.startUtcSeconds);
    span.endUtcIso = formatUtcIso(span.endUtcSeconds);
    return span;
}

std::string formatSolarTime(double hours)
{
    if (!std::isfinite(hours))
        return "--:--:--";
    // The small allowance keeps 15:32:30 from showing as 15:32:29 after rounding in hours.
    const auto seconds = static_cast<long>(std::floor(wrap(hours, 24.0) * 3600.0 + 1e-6)) % 86400;
    char text[16];
    std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld", seconds / 3600, seconds / 60 % 60, seconds % 60);
    return text;
}

std::string formatUtcIso(double utcSeconds)
{
    if (!std::isfinite(utcSeconds) || std::fabs(utcSeconds) > 1e13)
        return {};
    const std::int64_t ms = std::llround(utcSeconds * 1000.0);
    const std::int64_t days = floorDiv(ms, 86400000);
    const std::int64_t ofDay = ms - days * 86400000;
    // Civil date from days since 1970-01-01 (proleptic Gregorian).
    const std::int64_t z = days + 719468;
    const std::int64_t era = floorDiv(z, 146097);
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const std::int64_t day = doy - (153 * mp + 2) / 5 + 1;
    const std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t year = yoe + era * 400 + (month <= 2);
    char text[128];  // room for any 64-bit fields, so no truncation warning
    std::snprintf(text, sizeof text, "%04lld-%02lld-%02lldT%02lld:%02lld:%02lld.%03lldZ",
                  static_cast<long long>(year), static_cast<long long>(month), static_cast<long long>(day),
                  static_cast<long long>(ofDay / 3600000), static_cast<long long>(ofDay / 60000 % 60),
                  static_cast<long long>(ofDay / 1000 % 60), static_cast<long long>(ofDay % 1000));
    return text;
}

std::optional<Rover> roverForName(std::string_view name)
{
    std::string lower;
    for (const char c : name)
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower == "spirit" || lower == "2")
        return Rover::Spirit;
    if (lower == "opportunity" || lower == "1")
        return Rover::Opportunity;
    return std::nullopt;
}

std::optional<MissionTime> missionTimeOf(const decode::DecodedIdentifier& decoded)
{
    const std::optional<Rover> rover = roverForDigit(decoded.roverDigit);
    if (!rover || !decoded.clockValid)
        return std::nullopt;
    return missionTime(*rover, decoded.clockValue);
}

std::optional<Rover> roverForDigit(std::string_view digit)
{
    if (digit == "2")
        return Rover::Spirit;
    if (digit == "1")
        return Rover::Opportunity;
    return std::nullopt;
}

std::string roverName(Rover rover)
{
    return rover == Rover::Spirit ? "Spirit" : "Opportunity";
}

}  // namespace keldar::time
