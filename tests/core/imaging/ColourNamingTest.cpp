// The colour composer's names: picks, derived band names, filter codes, suffixes and the
// save name proposal with its solarized form.

#include "core/imaging/ColourNaming.h"

#include <set>

#include <gtest/gtest.h>

namespace keldar::imaging {
namespace {

TEST(ColourNamingTest, OnlyALeftEyeFilterFourFiveOrSixPicksABand) {
    struct Case {
        const char* eye;
        const char* filter;
        std::array<bool, 3> picked;  // red, green, blue
    };
    const Case cases[] = {
        {"L", "4", {true, false, false}}, {"L", "5", {false, true, false}}, {"L", "6", {false, false, true}},
        {"R", "5", {}}, {"L", "2", {}}, {"L", "7", {}}, {"x", "x", {}}, {"", "", {}}, {"L", "45", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(bandsPickedBy(c.eye, c.filter).picked, c.picked) << c.eye << c.filter;
}

TEST(ColourNamingTest, DerivedNamesReplaceTheFilterAndForceProducerAndVersion) {
    const std::string prefix = "2P126471340EDN0000P2303L";  // of 2P126471340EDN0000P2303L5M1.JPG
    EXPECT_EQ(derivedBandName(prefix, Band::Red, ".JPG"), "2P126471340EDN0000P2303L4M1.JPG");
    EXPECT_EQ(derivedBandName(prefix, Band::Green, ".JPG"), "2P126471340EDN0000P2303L5M1.JPG");
    EXPECT_EQ(derivedBandName(prefix, Band::Blue, ".JPG"), "2P126471340EDN0000P2303L6M1.JPG");
    EXPECT_EQ(derivedBandName(prefix, Band::Blue, ""), "2P126471340EDN0000P2303L6M1");
}

TEST(ColourNamingTest, FilterCodesAndSuffixes) {
    EXPECT_EQ(bandFilterCode("2P126471340EDN0000P2303L5M1.JPG"), "L5");
    EXPECT_EQ(bandFilterCode("short.jpg"), "");
    EXPECT_EQ(bandFilterCode(std::string(23, 'x') + "R"), "R");
    EXPECT_EQ(straightFilterSuffix("L4", "L5", "L6"), "-L4L5L6");
    EXPECT_EQ(blendedFilterSuffix("L4", "L5", "L6"), "-L4L5L5L5L6");
}

TEST(ColourNamingTest, SolarizedProposalKeepsTheCounterOfThePlainName) {
    std::set<std::string> existing;
    auto exists = [&existing](const std::string& path) { return existing.count(path) > 0; };
    for (bool solarized : {false, true}) {
        const auto first = proposeColourName("/h/456_RGB/", "B", "-L4L5L6", solarized, exists);
        ASSERT_TRUE(first);
        EXPECT_EQ(first->relativeName, "B-L4L5L6-01.jpg");
        EXPECT_EQ(first->proposedPath, solarized ? "/h/456_RGB/B-L4L5L6-Solarized01" : "/h/456_RGB/B-L4L5L6-01");
    }
    // Every proposal is free whichever format the dialog then writes (".jpg" or ".bmp"); a
    // saved solarized picture does not move the plain counter.
    const struct {
        std::set<std::string> existing;
        bool solarized;
        int counter;
    } cases[] = {
        {{"/h/456_RGB/B-L4L5L6-01.jpg"}, true, 2},
        {{"/h/456_RGB/B-L4L5L6-01.bmp"}, false, 2},
        {{"/h/456_RGB/B-L4L5L6-01.bmp", "/h/456_RGB/B-L4L5L6-02.jpg"}, false, 3},
        {{"/h/456_RGB/B-L4L5L6-Solarized01.jpg"}, false, 1},
        {{"/h/456_RGB/B-L4L5L6-Solarized01.jpg"}, true, 2},
        {{"/h/456_RGB/B-L4L5L6-Solarized01.bmp"}, true, 2},
        {{"/h/456_RGB/B-L4L5L6-01.jpeg"}, false, 1},  // the dialog never writes ".jpeg"
    };
    for (const auto& c : cases) {
        existing = c.existing;
        const auto proposal = proposeColourName("/h/456_RGB", "B", "-L4L5L6", c.solarized, exists);
        ASSERT_TRUE(proposal);
        EXPECT_EQ(proposal->counter, c.counter) << *c.existing.begin() << " solarized " << c.solarized;
    }
}

TEST(ColourNamingTest, SaveFilterListEndsAllWithoutASemicolonAndOpensOnJpeg) {
    const std::vector<SaveFilter> filters = parseSaveFilters(kColourSaveFilterText);
    ASSERT_EQ(filters.size(), 4u);
    EXPECT_EQ(filters[0].description, "All (*.jpg;*.jpeg;*.bmp)");
    EXPECT_EQ(filters[kColourPreselectedFilter - 1].description, "JPEG Image File (*.jpg)");
}

}  // namespace
}  // namespace keldar::imaging
