#include <gtest/gtest.h>

#include "core/time/CalendarTime.h"

using namespace keldar::time;

TEST(CalendarTime, DayZeroAndKnownDates)
{
    EXPECT_DOUBLE_EQ(CalendarTime::fromParts(1899, 12, 30).days(), 0.0);
    EXPECT_DOUBLE_EQ(CalendarTime::fromParts(1900, 1, 1).days(), 2.0);
    EXPECT_DOUBLE_EQ(CalendarTime::fromParts(2000, 1, 1).days(), 36526.0);
    EXPECT_DOUBLE_EQ(CalendarTime::fromParts(2000, 1, 1, 12).days(), 36526.5);
    EXPECT_DOUBLE_EQ(CalendarTime::fromParts(2004, 2, 29).days() + 1, CalendarTime::fromParts(2004, 3, 1).days());
    EXPECT_EQ(CalendarTime(0.0).parts().dayOfWeek, 6);      // a Saturday
    EXPECT_EQ(CalendarTime(36526.0).parts().dayOfWeek, 6);  // 1 January 2000, a Saturday
    EXPECT_EQ(CalendarTime::fromParts(2004, 1, 4).parts().dayOfWeek, 0);  // a Sunday
}

TEST(CalendarTime, PartsRoundTripToTheMillisecond)
{
    const DateTimeParts samples[] = {
        {2000, 1, 1, 11, 58, 55, 816, 0}, {2004, 1, 25, 5, 5, 0, 0, 0}, {1970, 1, 1, 0, 0, 0, 1, 0},
        {2038, 1, 19, 3, 14, 7, 999, 0},  {1932, 2, 29, 23, 59, 59, 999, 0}, {2100, 12, 31, 0, 0, 0, 500, 0},
    };
    for (const auto& p : samples) {
        DateTimeParts back = CalendarTime::fromParts(p).parts();
        back.dayOfWeek = 0;
        EXPECT_EQ(back, p) << p.year << '-' << p.month << '-' << p.day;
    }
}

TEST(CalendarTime, SplittingRoundsToTheNearestMillisecondAcrossMidnight)
{
    const double almostMidnight = CalendarTime::fromParts(2003, 12, 31).days() + 1.0 - 0.0004 / 86400.0;
    const auto p = CalendarTime(almostMidnight).parts();
    EXPECT_EQ(p.year, 2004);
    EXPECT_EQ(p.month, 1);
    EXPECT_EQ(p.day, 1);
    EXPECT_EQ(p.hour, 0);
    EXPECT_EQ(p.millisecond, 0);
    const double justBefore = CalendarTime::fromParts(2003, 12, 31).days() + 1.0 - 0.0006 / 86400.0;
    EXPECT_EQ(CalendarTime(justBefore).parts().millisecond, 999);
}

TEST(CalendarTime, WholeSecondsAreSymmetricAndTruncated)
{
    const auto a = CalendarTime::fromParts(2004, 1, 4, 4, 35, 0, 0);
    const auto b = CalendarTime::fromParts(2004, 1, 4, 6, 54, 35, 816);
    EXPECT_EQ(wholeSecondsBetween(a, b), 8375);
    EXPECT_EQ(wholeSecondsBetween(b, a), 8375);
    EXPECT_EQ(wholeSecondsBetween(a, a), 0);
    const auto c = CalendarTime::fromParts(2004, 1, 4, 4, 35, 0, 999);
    EXPECT_EQ(wholeSecondsBetween(a, c), 0);
    const auto d = CalendarTime::fromParts(2004, 1, 5, 5, 14, 35, 0);  // exactly 88775 s later
    EXPECT_EQ(wholeSecondsBetween(a, d), 88775);
}
