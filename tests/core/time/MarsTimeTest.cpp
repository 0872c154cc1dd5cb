#include <gtest/gtest.h>

#include "core/time/EarthTime.h"
#include "core/time/MarsTime.h"

using namespace keldar::time;

TEST(MarsTime, ExampleImageOnSpiritsLandingSol)
{
    const auto capture = clockToCaptureTime(126471340);
    const std::int32_t seconds = secondsSinceLanding(capture, landingTime(Rover::Spirit));
    EXPECT_EQ(seconds, 8375);
    EXPECT_EQ(solsSinceLanding(seconds) + 1, 1);

    const auto b = marsBreakdown(seconds);
    EXPECT_EQ(b.totalSeconds, 8150);
    EXPECT_EQ(b.totalMinutes, 135);
    EXPECT_EQ(b.totalHours, 2);
    EXPECT_EQ(b.sols, 0);
    EXPECT_EQ(b.remainderHours, 2);
    EXPECT_EQ(b.remainderMinutes, 15);
    EXPECT_EQ(b.remainderSeconds, 50);
    EXPECT_EQ(formatMarsTime(marsLocalTime(landingLocalTime(Rover::Spirit), b)), "16:40:05");
}

TEST(MarsTime, ExactlyOneSolAfterLanding)
{
    const auto b = marsBreakdown(88775);
    EXPECT_EQ(solsSinceLanding(88775) + 1, 2);
    EXPECT_EQ(b.sols, 1);
    EXPECT_EQ(b.remainderHours, 0);
    EXPECT_EQ(b.remainderMinutes, 0);
    EXPECT_EQ(b.remainderSeconds, 0);
    EXPECT_EQ(formatMarsTime(marsLocalTime(landingLocalTime(Rover::Spirit), b)), "14:24:15");
    EXPECT_EQ(formatMarsTime(marsLocalTime(landingLocalTime(Rover::Opportunity), b)), "13:20:49");
}

TEST(MarsTime, SolNumberRoundsWhileTranspiredSolsFloor)
{
    EXPECT_EQ(solsSinceLanding(60000), 1);  // sol text "2"
    EXPECT_EQ(marsBreakdown(60000).sols, 0);
    // The sol number steps half a sol after each multiple of 88775 seconds.
    EXPECT_EQ(solsSinceLanding(44387), 0);
    EXPECT_EQ(solsSinceLanding(44388), 1);
    EXPECT_EQ(solsSinceLanding(88775 * 3 + 44387), 3);
    EXPECT_EQ(solsSinceLanding(88775 * 3 + 44388), 4);
    EXPECT_EQ(solsSinceLanding(0), 0);
}

TEST(MarsTime, CarryFromTheLastSecondOfASol)
{
    MarsBreakdown almostASol;
    almostASol.remainderHours = 23;
    almostASol.remainderMinutes = 59;
    almostASol.remainderSeconds = 59;
    const auto t = marsLocalTime(landingLocalTime(Rover::Opportunity), almostASol);
    EXPECT_EQ(formatMarsTime(t), "13:20:48");
    // Spirit: 14:24:15 + 9:35:45 is exactly midnight.
    MarsBreakdown toMidnight;
    toMidnight.remainderHours = 9;
    toMidnight.remainderMinutes = 35;
    toMidnight.remainderSeconds = 45;
    EXPECT_EQ(formatMarsTime(marsLocalTime(landingLocalTime(Rover::Spirit), toMidnight)), "00:00:00");
}

TEST(MarsTime, BreakdownFloorsTowardMinusInfinity)
{
    // A capture long after landing can wrap the 32-bit seconds negative; floors stay consistent.
    const auto b = marsBreakdown(-1);
    EXPECT_EQ(b.totalSeconds, -1);
    EXPECT_EQ(b.totalMinutes, -1);
    EXPECT_EQ(b.remainderSeconds, 59);
    EXPECT_EQ(b.totalHours, -1);
    EXPECT_EQ(b.remainderMinutes, 59);
    EXPECT_EQ(b.sols, -1);
    EXPECT_EQ(b.remainderHours, 23);
}

TEST(MarsTime, CruiseImagesCountDownToLanding)
{
    const auto capture = CalendarTime::fromParts(2004, 1, 3, 4, 35, 0, 500);  // a day before Spirit landed
    EXPECT_EQ(secondsSinceLanding(capture, landingTime(Rover::Spirit)), 86399);
    EXPECT_EQ(secondsSinceLanding(landingTime(Rover::Spirit), capture), 86399);
}

TEST(MarsTime, TextsAndRoverChoice)
{
    EXPECT_EQ(formatLandingLocalTime(landingLocalTime(Rover::Spirit)), "14:24:15");
    EXPECT_EQ(formatLandingLocalTime(landingLocalTime(Rover::Opportunity)), "13:20:49");
    EXPECT_EQ(formatLandingLocalTime(MarsClock{9, 5, 0}), "9:5:0");
    EXPECT_EQ(formatMarsTime(MarsClock{9, 5, 0}), "09:05:00");
    EXPECT_EQ(roverForText("2 Spirit"), Rover::Spirit);
    EXPECT_EQ(roverForText("1 Opportunity"), Rover::Opportunity);
    EXPECT_EQ(roverForText("Invalid"), Rover::Opportunity);
    EXPECT_EQ(roverForText("2 spirit"), Rover::Opportunity);
    EXPECT_EQ(wholeNumberText(8150), "8150");
    EXPECT_EQ(wholeNumberText(-3), "-3");
    const auto opportunity = landingTime(Rover::Opportunity).parts();
    EXPECT_EQ(opportunity.day, 25);
    EXPECT_EQ(opportunity.hour, 5);
    EXPECT_EQ(opportunity.minute, 5);
}
