// The naming rules of a saved anaglyph, without a disk: suffix, counter, stem, filters.

#include <set>

#include <gtest/gtest.h>

#include "core/imaging/AnaglyphNaming.h"
#include "ui/stereo/AnaglyphSaveDialog.h"

namespace keldar::imaging {
namespace {

TEST(AnaglyphNamingTest, SuffixRecordsBrightnessContrastMergeInThatOrder) {
    EXPECT_EQ(anaglyphSettingsSuffix(30, 16, 50), "-B30C16M50");
    EXPECT_EQ(anaglyphSettingsSuffix(0, 0, 0), "-B0C0M0");
    EXPECT_EQ(anaglyphSettingsSuffix(100, 7, 100), "-B100C7M100");
}

TEST(AnaglyphNamingTest, CounterIsWrittenAfterAZeroWithoutLeadingZeros) {
    EXPECT_EQ(anaglyphCounterEnding(1), "-01");
    EXPECT_EQ(anaglyphCounterEnding(9), "-09");
    EXPECT_EQ(anaglyphCounterEnding(12), "-012");
}

TEST(AnaglyphNamingTest, BaseNameDropsDirectoryAndOnlyTheLastExtension) {
    EXPECT_EQ(fileBaseName("/data/2N128287039EFF0300P1512L0M1.JPG"), "2N128287039EFF0300P1512L0M1");
    EXPECT_EQ(fileBaseName("pair.tar.jpg"), "pair.tar");
    EXPECT_EQ(fileBaseName("/a.b/noextension"), "noextension");
    EXPECT_EQ(fileBaseName(""), "");
}

TEST(AnaglyphNamingTest, StemRemovesTheExtensionOfTheLastComponentOnly) {
    EXPECT_EQ(pathStem("/a/pair.jpg"), "/a/pair");
    EXPECT_EQ(pathStem("/a/pair.jpg.jpg"), "/a/pair.jpg");
    EXPECT_EQ(pathStem("/a.b/pair"), "/a.b/pair");
    EXPECT_EQ(pathStem("pair"), "pair");
}

TEST(AnaglyphNamingTest, JoinPathPutsExactlyOneSlash) {
    EXPECT_EQ(joinPath("/home/Anaglyphs/", "x.jpg"), "/home/Anaglyphs/x.jpg");
    EXPECT_EQ(joinPath("/home/Anaglyphs", "x.jpg"), "/home/Anaglyphs/x.jpg");
}

TEST(AnaglyphNamingTest, ProposalTakesTheFirstCounterWhoseJpegNameIsFree) {
    std::set<std::string> existing;
    auto exists = [&existing](const std::string& path) { return existing.count(path) > 0; };

    auto first = proposeAnaglyphName("/h/Anaglyphs/", "L0M1", "-B30C16M50", exists);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->counter, 1);
    EXPECT_EQ(first->relativeName, "L0M1-B30C16M50-01.jpg");
    EXPECT_EQ(first->proposedPath, "/h/Anaglyphs/L0M1-B30C16M50-01");

    existing.insert("/h/Anaglyphs/L0M1-B30C16M50-01.jpg");
    auto second = proposeAnaglyphName("/h/Anaglyphs/", "L0M1", "-B30C16M50", exists);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->relativeName, "L0M1-B30C16M50-02.jpg");
    EXPECT_EQ(second->proposedPath, "/h/Anaglyphs/L0M1-B30C16M50-02");

    // Only the ".jpg" name is tested: a BMP of the same name does not move the counter.
    existing = {"/h/Anaglyphs/L0M1-B30C16M50-01.bmp"};
    EXPECT_EQ(proposeAnaglyphName("/h/Anaglyphs", "L0M1", "-B30C16M50", exists)->counter, 1);

    // Other settings are other names.
    existing = {"/h/Anaglyphs/L0M1-B30C16M50-01.jpg"};
    EXPECT_EQ(proposeAnaglyphName("/h/Anaglyphs", "L0M1", "-B31C16M50", exists)->counter, 1);
}

TEST(AnaglyphNamingTest, ProposalGivesUpWhenEveryNameIsTaken) {
    int asked = 0;
    auto everything = [&asked](const std::string&) { return ++asked > 0; };
    EXPECT_FALSE(proposeAnaglyphName("/h", "x", "-B30C16M50", everything, 5));
    EXPECT_EQ(asked, 5);
}

TEST(AnaglyphNamingTest, SaveFilterListHasFourEntriesWithJpegSecond) {
    const std::vector<SaveFilter> filters = parseSaveFilters(kAnaglyphSaveFilterText);
    ASSERT_EQ(filters.size(), 4u);
    EXPECT_EQ(filters[0].description, "All (*.jpg;*.jpeg;*.bmp;)");
    EXPECT_EQ(filters[0].patterns, "*.jpg;*.jpeg;*.bmp");
    EXPECT_EQ(filters[1].description, "JPEG Image File (*.jpg)");
    EXPECT_EQ(filters[2].patterns, "*.jpeg");
    EXPECT_EQ(filters[3].description, "Bitmaps (*.bmp)");
    EXPECT_EQ(kAnaglyphPreselectedFilter, 2);
    EXPECT_EQ(filters[kAnaglyphJpegFilter - 1].patterns, "*.jpg");
    // A description without patterns is dropped, not paired with nothing.
    EXPECT_EQ(parseSaveFilters("A|*.a|B").size(), 1u);
}

TEST(AnaglyphNamingTest, ToolkitFilterListsThePatternsInParentheses) {
    EXPECT_EQ(ui::toolkitFilter(parseSaveFilters(kAnaglyphSaveFilterText)).toStdString(),
              "All (*.jpg *.jpeg *.bmp);;JPEG Image File (*.jpg);;JPEG Image File (*.jpeg);;Bitmaps (*.bmp)");
}

TEST(AnaglyphNamingTest, FilterIndexFromTheChosenNamePrefersThePreselectedThenTheMostSpecific) {
    const std::vector<SaveFilter> filters = parseSaveFilters(kAnaglyphSaveFilterText);
    struct Case {
        const char* name;
        int preselected;
        int expected;
    };
    for (const Case& c : {Case{"/d/pair.jpg", 2, 2}, Case{"/d/pair.JPG", 2, 2}, Case{"/d/pair.jpeg", 2, 3},
                          Case{"/d/pair.bmp", 2, 4}, Case{"/d/pair.BMP", 2, 4}, Case{"/d/pair", 2, 2},
                          Case{"/d/pair.png", 2, 2}, Case{"/d/pair.jpg", 4, 2}, Case{"/d/pair.bmp", 1, 1},
                          Case{"/d.bmp/pair", 2, 2}}) {
        EXPECT_EQ(filterIndexForName(c.name, filters, c.preselected), c.expected)
            << c.name << " with " << c.preselected << " preselected";
    }
}

TEST(AnaglyphNamingTest, BaseNamesLoseTheirLastExtensionAndSavedAnaglyphsAreKnown) {
    EXPECT_EQ(fileBaseName("/d/X.IMG.JPG"), "X.IMG");
    EXPECT_EQ(fileBaseName("/d/X.v2.JPG"), "X.v2");
    EXPECT_EQ(fileBaseName("/d.x/pair"), "pair");
    for (const char* name : {"X-B30C16M50-01.jpg", "X.v2-B30C16M50-012.bmp", "/o/X.IMG-B0C1M100-01.jpg"})
        EXPECT_TRUE(isAnaglyphOutputName(name)) << name;
    for (const char* name : {"X.jpg", "X-B30C16M50.jpg", "X-B30C16-01.jpg", "B30C16M50-01.jpg", "X-Bx0C16M50-01.jpg"})
        EXPECT_FALSE(isAnaglyphOutputName(name)) << name;
}

TEST(AnaglyphNamingTest, FilterIndexTwoWritesJpegEveryOtherBmpOnTheStem) {
    struct Case {
        const char* chosen;
        int index;
        AnaglyphFileFormat format;
        const char* written;
    };
    for (const Case& c : {Case{"/a/pair.jpg", 2, AnaglyphFileFormat::Jpeg, "/a/pair.jpg"},
                          Case{"/a/pair.jpg", 3, AnaglyphFileFormat::Bmp, "/a/pair.bmp"},
                          Case{"/a/pair.jpg", 1, AnaglyphFileFormat::Bmp, "/a/pair.bmp"},
                          Case{"/a/pair.bmp", 2, AnaglyphFileFormat::Jpeg, "/a/pair.jpg"},
                          Case{"/a/pair", 4, AnaglyphFileFormat::Bmp, "/a/pair.bmp"},
                          Case{"/a.d/pair", 2, AnaglyphFileFormat::Jpeg, "/a.d/pair.jpg"},
                          // Dots inside a proposed name are no extension: only the last, real one goes.
                          Case{"/o/X.v2-B30C16M50-01", 2, AnaglyphFileFormat::Jpeg, "/o/X.v2-B30C16M50-01.jpg"},
                          Case{"/o/X.IMG-B30C16M50-01", 4, AnaglyphFileFormat::Bmp, "/o/X.IMG-B30C16M50-01.bmp"},
                          Case{"/o/X.IMG-B30C16M50-01.jpg", 2, AnaglyphFileFormat::Jpeg, "/o/X.IMG-B30C16M50-01.jpg"}}) {
        const AnaglyphSaveTarget target = anaglyphSaveTarget(c.chosen, c.index);
        EXPECT_EQ(target.format, c.format) << c.chosen << " index " << c.index;
        EXPECT_EQ(target.path, c.written) << c.chosen << " index " << c.index;
    }
}

}  // namespace
}  // namespace keldar::imaging
