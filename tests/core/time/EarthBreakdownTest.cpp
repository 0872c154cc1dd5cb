// The clock broken into Earth units: floors toward minus infinity, remainders never negative.

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "core/time/EarthBreakdown.h"

using namespace keldar::time;

namespace {

struct BreakdownCase {
    std::int32_t clock;
    EarthBreakdown expected;
    const char* elapsed;
};

TEST(EarthBreakdown, WholeUnitsRemaindersAndElapsedText)
{
    const BreakdownCase cases[] = {
        {126471340, {2107855, 126471300, 40, 35130, 2107800, 55, 1463, 35112, 18},
         "1463 Days, 18 Hours, 55 Minutes, 40 Seconds."},
        {0, {0, 0, 0, 0, 0, 0, 0, 0, 0}, "0 Days, 0 Hours, 0 Minutes, 0 Seconds."},
        // One second before the epoch is the last second of the day before it.
        {-1, {-1, -60, 59, -1, -60, 59, -1, -24, 23}, "-1 Days, 23 Hours, 59 Minutes, 59 Seconds."},
        {-60, {-1, -60, 0, -1, -60, 59, -1, -24, 23}, "-1 Days, 23 Hours, 59 Minutes, 0 Seconds."},
        {-126471340, {-2107856, -126471360, 20, -35131, -2107860, 4, -1464, -35136, 5},
         "-1464 Days, 5 Hours, 4 Minutes, 20 Seconds."},
        // The least 32-bit clock: the whole minutes pass the 32-bit range without wrapping.
        {std::numeric_limits<std::int32_t>::min(),
         {-35791395, -2147483700, 52, -596524, -35791440, 45, -24856, -596544, 20},
         "-24856 Days, 20 Hours, 45 Minutes, 52 Seconds."},
    };
    for (const auto& c : cases) {
        const EarthBreakdown b = breakDownClock(c.clock);
        EXPECT_EQ(b, c.expected) << c.clock;
        EXPECT_EQ(elapsedText(b), c.elapsed) << c.clock;
        // The parts add up to the clock again.
        EXPECT_EQ(b.totalDays * 86400 + b.remainderHours * 3600 + b.remainderMinutes * 60 + b.remainderSeconds,
                  c.clock);
    }
}

}  // namespace
