// The SOL and birthday search rules: which image ends a search, the gallery address, and
// which birthdays can be searched for.

#include <gtest/gtest.h>

#include "core/search/BirthdaySearch.h"
#include "core/search/SolSearch.h"

namespace keldar::search {
namespace {

TEST(SolSearch, OnlyTheWantedRoverAndCameraEndTheSearch) {
    const SolWanted opportunityPancam7{1, 'P', 7};
    const struct {
        const char* what;
        const char* rover;
        const char* camera;
        std::int32_t currentSol;
        SolVerdict verdict;
    } cases[] = {
        {"wanted sol (shown as current + 1)", "1", "P", 6, SolVerdict::Found},
        {"an earlier sol is passed", "1", "P", 5, SolVerdict::Pass},
        {"a later sol: not in the directory", "1", "P", 7, SolVerdict::NotPresent},
        {"other camera, later sol", "1", "N", 90, SolVerdict::Pass},
        {"other rover, wanted sol", "2", "P", 6, SolVerdict::Pass},
        {"rover 3 is no rover", "3", "P", 6, SolVerdict::Pass},
    };
    for (const auto& c : cases) {
        const SolJudgement j = judgeSolImage(opportunityPancam7, {c.rover, c.camera, c.currentSol}, 0);
        EXPECT_EQ(j.verdict, c.verdict) << c.what;
        EXPECT_FALSE(j.invalidRoverDigit) << c.what;
    }
}

TEST(SolSearch, ARoverDigitThatIsNoNumberKeepsThePreviousRoverNumber) {
    const SolJudgement j = judgeSolImage({1, 'F', 100}, {"X", "F", 99}, 1);
    EXPECT_TRUE(j.invalidRoverDigit);
    EXPECT_EQ(j.roverNumber, 1);
    EXPECT_EQ(j.verdict, SolVerdict::Found);  // the step goes on with the kept number
}

TEST(SolSearch, ResultLinesAndGalleryAddresses) {
    EXPECT_EQ(solFoundText(100), "SOL 100 images FOUND!");
    EXPECT_EQ(solNotPresentText(7), "CLICK the Find at NASA button above. SOL 7 images not present in your directory");
    const std::string archive = "https://planetarydata.jpl.nasa.gov/img/data/mer/";
    EXPECT_EQ(galleryAddress(1, "P", "7"), archive + "opportunity/mer1po_0xxx/browse/sol0007/edr/");
    EXPECT_EQ(galleryAddress(1, "F", "100"), archive + "opportunity/mer1ho_0xxx/browse/sol0100/edr/");
    EXPECT_EQ(galleryAddress(2, "N", "12"), archive + "spirit/mer2no_0xxx/browse/sol0012/edr/");
    EXPECT_EQ(galleryAddress(2, "M", "3"), archive + "spirit/mer2mo_0xxx/browse/sol0003/edr/");
    EXPECT_EQ(galleryAddress(2, "N", "x"), archive + "spirit/");  // a field that is no sol
    EXPECT_EQ(std::string(kOpportunityGallery), archive + "opportunity/");
    EXPECT_EQ(std::string(kSpiritGallery), archive + "spirit/");
}

TEST(BirthdaySearch, RefusesDatesThatAreNoBirthday) {
    const struct {
        int month, day;
        bool refused;
    } cases[] = {{0, 4, true},  {1, 0, true},  {13, 1, true}, {4, 31, true},  {2, 30, true},
                 {2, 29, false}, {4, 30, false}, {1, 4, false}, {12, 31, false}};
    for (const auto& c : cases)
        EXPECT_EQ(birthdayRefusal(c.month, c.day).has_value(), c.refused) << c.month << "/" << c.day;
    EXPECT_EQ(*birthdayRefusal(4, 31), "April has no day 31. Please choose another day in the calendar.");
}

TEST(BirthdaySearch, ImagesMatchByTheirUtcDateInAnyYear) {
    using time::CalendarTime;
    EXPECT_TRUE(takenOnBirthday(CalendarTime::fromParts(2004, 1, 4, 23, 59, 59), 1, 4));
    EXPECT_TRUE(takenOnBirthday(CalendarTime::fromParts(2007, 1, 4, 0, 0, 0), 1, 4));
    EXPECT_FALSE(takenOnBirthday(CalendarTime::fromParts(2004, 1, 5, 0, 0, 0), 1, 4));
    EXPECT_FALSE(takenOnBirthday(CalendarTime::fromParts(2004, 1, 3, 23, 59, 59), 1, 4));
    EXPECT_TRUE(takenOnBirthday(CalendarTime::fromParts(2008, 2, 29, 12), 2, 29));
    EXPECT_FALSE(takenOnBirthday(CalendarTime::fromParts(2005, 3, 1, 12), 2, 29));
    EXPECT_FALSE(birthdayInYear(2005, 2, 29).has_value());
    EXPECT_EQ(birthdayInYear(2004, 2, 29)->days(), CalendarTime::fromParts(2004, 2, 29).days());
}

}  // namespace
}  // namespace keldar::search
