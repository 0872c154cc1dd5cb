// The gallery's grouping: the sample directory under the headings a user looks for, stereo
// pairs, filter sets and sequences told apart, archive names beside their upper-case kin, the
// filter fields, and twenty thousand names at once.

#include "core/gallery/Grouping.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include <unistd.h>

#include "core/sample/SampleDirectory.h"
#include "core/sequence/SequenceFrames.h"
#include "core/time/MissionTime.h"

namespace keldar::gallery {
namespace {

namespace fs = std::filesystem;

std::string fileName(const std::string& path) { return fs::path(path).filename().string(); }

// "2N...L0M1": rover, camera, clock, product type, site and drive "A100", sequence, eye, filter.
std::string productName(char rover, char camera, long clock, const char* sequence, char eye, char filter) {
    char name[40];
    std::snprintf(name, sizeof name, "%c%c%09ldEFFA100%s%c%cM1", rover, camera, clock, sequence, eye, filter);
    return name;
}

// A clock in the middle of `sol` of the rover with identifier digit `rover`.
long clockOnSol(char rover, int sol) {
    const time::Rover r = rover == '2' ? time::Rover::Spirit : time::Rover::Opportunity;
    long low = 0, high = 999999999;
    while (low < high) {
        const long mid = low + (high - low) / 2;
        if (time::missionTime(r, static_cast<double>(mid)).sol < sol)
            low = mid + 1;
        else
            high = mid;
    }
    return low + 40000;
}

const GalleryGroup* groupOf(const std::vector<GalleryGroup>& groups, const std::string& sequence) {
    for (const GalleryGroup& g : groups)
        if (g.sequence == sequence) return &g;
    return nullptr;
}

class SampleGalleryTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = fs::temp_directory_path() / ("keldar-gallery-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        ASSERT_EQ(sample::writeSampleDirectory(dir_.string()), "");
        std::string error;
        paths_ = sequence::directoryPictures(dir_.string(), error);
        ASSERT_EQ(error, "");
    }
    static void TearDownTestSuite() { fs::remove_all(dir_); }
    static inline fs::path dir_;
    static inline std::vector<std::string> paths_;
};

TEST_F(SampleGalleryTest, HeadingsInSolOrderThenMadeHereThenOtherPictures) {
    const std::vector<GalleryGroup> groups = groupPictures(paths_);
    const std::vector<std::string> expected = {
        "Before landing - PANCAM - C0117 - 1 frame",
        "Sol 3 - NAVCAM - P1507 - 2 frames, stereo",
        "Sol 13 - NAVCAM - P1512 - 2 frames, stereo",
        "Sol 40 - PANCAM - P2411 - 3 frames, filter set L4 L5 L6",
        "Sol 48 - NAVCAM - P0730 - 16 frames, stereo",
        "Sol 71 - front HAZCAM - P1214 - 1 frame",
        "Sol 120 - rear HAZCAM - P1312 - 1 frame",
        "Sol 150 - Microscopic Imager - P2937 - 1 frame",
        "Sol 486 - NAVCAM - P1853 - 16 frames, sequence",
        "Sol 512 - NAVCAM - P1706 - 1 frame",
        "Made here",
        "Other pictures",
    };
    std::vector<std::string> headings;
    for (const GalleryGroup& g : groups) headings.push_back(g.heading);
    EXPECT_EQ(headings, expected);
    for (std::size_t i = 1; i + 2 < groups.size(); ++i)
        EXPECT_LE(groups[i - 1].sol, groups[i].sol) << groups[i].heading;
}

TEST_F(SampleGalleryTest, EachPictureInTheGroupOfItsKind) {
    const std::vector<GalleryGroup> groups = groupPictures(paths_);
    std::map<std::string, std::vector<GroupKind>> placed;
    for (const GalleryGroup& g : groups)
        for (const GalleryItem& item : g.items) placed[fileName(item.path)].push_back(g.kind);
    using K = sample::SampleEntry::Kind;
    std::size_t pictures = 0;
    for (const sample::SampleEntry& e : sample::sampleEntries()) {
        if (e.kind == K::Label) continue;
        ++pictures;
        const GroupKind want = e.kind == K::Product    ? GroupKind::Products
                               : e.kind == K::Combined ? GroupKind::MadeHere
                                                       : GroupKind::Other;
        EXPECT_EQ(placed[e.name], std::vector<GroupKind>{want}) << e.name;
    }
    EXPECT_EQ(placed.size(), pictures);
    ASSERT_EQ(groups.back().items.size(), 1u);
    EXPECT_EQ(fileName(groups.back().items[0].path), "IMG_0001.jpg");
    EXPECT_EQ(groups.back().items[0].identifier, "");
    EXPECT_FALSE(groups.back().items[0].sol);

    // The anaglyph goes by the pair it was made from.
    const GalleryGroup& made = groups[groups.size() - 2];
    ASSERT_EQ(made.items.size(), 1u);
    const GalleryGroup* pair = groupOf(groups, "P1512");
    ASSERT_NE(pair, nullptr);
    EXPECT_EQ(made.items[0].identifier, pair->items[0].identifier);
    EXPECT_EQ(made.items[0].sol, 13);
    EXPECT_EQ(made.items[0].ltst, pair->items[0].ltst);
}

TEST_F(SampleGalleryTest, StereoPairsFilterSetAndSequencesMarked) {
    const std::vector<GalleryGroup> groups = groupPictures(paths_);
    const sample::SamplePanorama panorama = sample::samplePanorama();
    const sample::SampleDustDevil devil = sample::sampleDustDevil();
    std::vector<std::string> panoramaNames;
    for (int i = 0; i < sample::kPanoramaFrames; ++i) {
        panoramaNames.push_back(panorama.left[i]);
        panoramaNames.push_back(panorama.right[i]);
    }
    struct Case {
        std::string sequence;
        std::vector<std::string> names;  // empty: not looked at
        std::size_t items;
        bool stereo, filterSet, sequenceOfFrames;
    };
    const std::vector<Case> cases = {
        {"P1507", {}, 2, true, false, false},
        {"P1512", {}, 2, true, false, false},
        {"P2411", {}, 3, false, true, false},
        {panorama.sequence, panoramaNames, 16, true, false, true},
        {devil.sequence, devil.frames, 16, false, false, true},
        {"P1214", {}, 1, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sequence);
        const GalleryGroup* g = groupOf(groups, c.sequence);
        ASSERT_NE(g, nullptr);
        ASSERT_EQ(g->items.size(), c.items);
        EXPECT_EQ(g->frames, static_cast<int>(c.items));
        EXPECT_EQ(g->stereo, c.stereo);
        EXPECT_EQ(g->filterSet, c.filterSet);
        EXPECT_EQ(g->sequenceOfFrames, c.sequenceOfFrames);
        std::vector<std::string> names;
        for (const GalleryItem& item : g->items) {
            names.push_back(fileName(item.path));
            EXPECT_EQ(item.stereoPaired, c.stereo);
            EXPECT_EQ(item.inFilterSet, c.filterSet);
            EXPECT_EQ(item.ltst.size(), 8u);
            EXPECT_NE(item.tooltip.find("UTC"), std::string::npos);
        }
        if (!c.names.empty()) {
            EXPECT_EQ(names, c.names) << "clock order, the left eye first";
        }
    }
    const GalleryItem& filterFour = groupOf(groups, "P2411")->items[0];
    EXPECT_EQ(filterFour.tooltip.substr(0, 28), filterFour.identifier + "\n");
    EXPECT_NE(filterFour.tooltip.find("Opportunity, PANCAM"), std::string::npos) << filterFour.tooltip;
    EXPECT_NE(filterFour.tooltip.find("Left Eye, Filter 4 601nm"), std::string::npos) << filterFour.tooltip;
}

TEST_F(SampleGalleryTest, FilterFields) {
    const std::vector<GalleryGroup> groups = groupPictures(paths_);
    const std::string devilFrame = sample::sampleDustDevil().frames[3];
    struct Case {
        const char* what;
        GalleryFilter filter;
        int passing;
        std::string among;  // a file name that passes, "" none in particular
    };
    const auto filter = [](std::optional<char> camera, std::optional<char> eye, std::string type,
                           std::optional<int> first, std::optional<int> last, std::string text) {
        return GalleryFilter{camera, eye, std::move(type), first, last, std::move(text)};
    };
    const std::vector<Case> cases = {
        {"nothing asked", {}, 46, "IMG_0001.jpg"},
        {"NAVCAM, the anaglyph too", filter('n', {}, "", {}, {}, ""), 38, devilFrame},
        {"right eyes", filter({}, 'r', "", {}, {}, ""), 11, sample::samplePanorama().right[7]},
        {"product type in lower case", filter({}, {}, "eff", {}, {}, ""), 45, devilFrame},
        {"a product type not there", filter({}, {}, "EDN", {}, {}, ""), 0, ""},
        {"sols 40 to 48", filter({}, {}, "", 40, 48, ""), 19, sample::samplePanorama().left[0]},
        {"before landing", filter({}, {}, "", {}, 0, ""), 1, ""},
        {"from sol 500", filter({}, {}, "", 500, {}, ""), 1, ""},
        {"one filter of the set", filter('P', 'L', "", {}, {}, "l5"), 1, ""},
        {"text in the name only", filter({}, {}, "", {}, {}, "-b30c16"), 1, ""},
        {"text in another case", filter({}, {}, "", {}, {}, "img_0001"), 1, "IMG_0001.jpg"},
        {"a sequence by text", filter({}, {}, "", {}, {}, "p1853"), 16, devilFrame},
        {"no field passes a picture that is no product", filter('N', {}, "", {}, {}, "img_"), 0, ""},
    };
    for (const Case& c : cases) {
        int passing = 0;
        bool amongThem = c.among.empty();
        for (const GalleryGroup& g : groups)
            for (const GalleryItem& item : g.items)
                if (passes(item, g, c.filter)) {
                    ++passing;
                    amongThem = amongThem || fileName(item.path) == c.among;
                }
        EXPECT_EQ(passing, c.passing) << c.what;
        EXPECT_TRUE(amongThem) << c.what << ": " << c.among;
    }
}

TEST(GroupingTest, ArchiveNamesGroupWithTheirUpperCaseKin) {
    const long clock = 292280938;
    const std::vector<std::string> paths = {
        "/mer/2N292280938EFFB100P0703L0M1.JPG",
        "/mer/2n292280938effb100p0703r0m1.img.jpg",
        "/mer/2n292280938effb100p0703l0m1.img",
    };
    const std::vector<GalleryGroup> groups = groupPictures(paths);
    ASSERT_EQ(groups.size(), 1u);
    const GalleryGroup& g = groups[0];
    const int sol = time::missionTime(time::Rover::Spirit, clock).sol;
    EXPECT_EQ(g.heading, "Sol " + std::to_string(sol) + " - NAVCAM - P0703 - 2 frames, stereo");
    EXPECT_EQ(g.sol, sol);
    EXPECT_EQ(g.sequence, "P0703");
    ASSERT_EQ(g.items.size(), 3u);
    for (const GalleryItem& item : g.items) EXPECT_TRUE(item.stereoPaired) << item.path;
    EXPECT_EQ(g.items[0].identifier, "2N292280938EFFB100P0703L0M1");
    EXPECT_EQ(g.items[2].identifier, "2N292280938EFFB100P0703R0M1");
    EXPECT_EQ(g.items[0].path, paths[0]) << "names as on disk, the same product by name";
    EXPECT_EQ(g.items[1].path, paths[2]);
}

TEST(GroupingTest, NamesThatAreNoWholeProductAreOtherPictures) {
    const std::vector<std::string> paths = {
        "/d/2N292280938.jpg",                   // a clock and nothing more
        "/d/2N292280938EFFB100P0703L0M1X.JPG",  // one character too many
        "/d/9N292280938EFFB100P0703L0M1.JPG",   // no rover
        "/d/2N2922809X8EFFB100P0703L0M1.JPG",   // no clock
        "/d/2N292280938EFFB100P0703L0M1.txt",   // no picture
        "/d/2N292280938EFFB100P0703L0M1-B30C16M50-01.txt",
    };
    const std::vector<GalleryGroup> groups = groupPictures(paths);
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0].kind, GroupKind::Other);
    EXPECT_EQ(groups[0].items.size(), paths.size());
}

TEST(GroupingTest, FilterSetsStereoAndSequencesOfSyntheticFrames) {
    struct Shot {
        long seconds;
        char eye, filter;
    };
    struct Case {
        const char* what;
        char camera;
        std::vector<Shot> shots;    // in the order they were taken
        std::string heading;        // after the sequence
        std::string paired, inSet;  // per shot, '1' marked
        bool sequenceOfFrames;
    };
    const std::vector<Case> cases = {
        {"one pointing through three filters",
         'P',
         {{0, 'L', '4'}, {0, 'L', '5'}, {0, 'L', '6'}},
         "3 frames, filter set L4 L5 L6",
         "000",
         "111",
         false},
        {"two pointings come back to the filters",
         'P',
         {{0, 'L', '2'}, {8, 'L', '5'}, {16, 'L', '7'}, {60, 'L', '2'}, {68, 'L', '5'}, {76, 'L', '7'}},
         "6 frames, 2 filter sets L2 L5 L7",
         "000000",
         "111111",
         true},
        {"filters far apart in time", 'P', {{0, 'L', '4'}, {1200, 'L', '5'}}, "2 frames", "00", "00", false},
        {"a stray frame after the set",
         'P',
         {{0, 'L', '2'}, {10, 'L', '5'}, {900, 'L', '7'}},
         "3 frames, filter set L2 L5",
         "000",
         "110",
         false},
        {"one filter again and again",
         'P',
         {{0, 'L', '2'}, {30, 'L', '2'}, {60, 'L', '2'}},
         "3 frames, sequence",
         "000",
         "000",
         true},
        {"PANCAM stereo through one filter",
         'P',
         {{0, 'L', '4'}, {0, 'R', '4'}},
         "2 frames, stereo",
         "11",
         "00",
         false},
        {"left and right through other filters", 'P', {{0, 'L', '4'}, {0, 'R', '5'}}, "2 frames", "00", "00", false},
        {"stereo filter sets",
         'P',
         {{0, 'L', '2'}, {0, 'R', '2'}, {5, 'L', '7'}, {5, 'R', '1'}},
         "4 frames, stereo, 2 filter sets L2 L7 R1 R2",
         "1100",
         "1111",
         false},
        {"a pair beside a lone eye",
         'N',
         {{0, 'L', '0'}, {0, 'R', '0'}, {40, 'L', '0'}},
         "3 frames, stereo",
         "110",
         "000",
         true},
        {"HAZCAM filter digits make no set", 'F', {{0, 'L', '1'}, {0, 'L', '2'}}, "2 frames", "00", "00", false},
    };
    const long base = clockOnSol('2', 200);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> names, paths;
        for (const Shot& s : c.shots)
            names.push_back(productName('2', c.camera, base + s.seconds, "P2500", s.eye, s.filter));
        for (auto it = names.rbegin(); it != names.rend(); ++it) paths.push_back("/d/" + *it + ".JPG");
        const std::vector<GalleryGroup> groups = groupPictures(paths);
        ASSERT_EQ(groups.size(), 1u);
        const GalleryGroup& g = groups[0];
        EXPECT_EQ(g.heading, std::string("Sol 200 - ") + sequence::cameraWord(c.camera) + " - P2500 - " + c.heading);
        EXPECT_EQ(g.stereo, c.paired.find('1') != std::string::npos);
        EXPECT_EQ(g.filterSet, c.inSet.find('1') != std::string::npos);
        EXPECT_EQ(g.sequenceOfFrames, c.sequenceOfFrames);
        std::string paired, inSet;
        std::vector<std::string> order;
        for (const GalleryItem& item : g.items) {
            order.push_back(item.identifier);
            paired += item.stereoPaired ? '1' : '0';
            inSet += item.inFilterSet ? '1' : '0';
        }
        EXPECT_EQ(order, names);
        EXPECT_EQ(paired, c.paired);
        EXPECT_EQ(inSet, c.inSet);
    }
}

TEST(GroupingTest, BothRoversInOneSlotAreNamed) {
    const std::vector<std::string> paths = {
        "/d/" + productName('2', 'P', clockOnSol('2', 40), "P2411", 'L', '4') + ".JPG",
        "/d/" + productName('1', 'P', clockOnSol('1', 40), "P2411", 'L', '4') + ".JPG",
        "/d/" + productName('1', 'P', clockOnSol('1', 40), "P2412", 'L', '4') + ".JPG",
    };
    std::vector<std::string> headings;
    for (const GalleryGroup& g : groupPictures(paths)) headings.push_back(g.heading);
    EXPECT_EQ(headings, (std::vector<std::string>{"Sol 40 - Opportunity PANCAM - P2411 - 1 frame",
                                                  "Sol 40 - Spirit PANCAM - P2411 - 1 frame",
                                                  "Sol 40 - PANCAM - P2412 - 1 frame"}));
}

TEST(GroupingTest, TwentyThousandNames) {
    const char cameras[] = {'N', 'P', 'F', 'R'};
    const long base = clockOnSol('1', 300);
    std::vector<std::string> paths;
    for (int i = 0; i < 20000; ++i) {
        if (i % 20 == 19) {
            paths.push_back("/mer/holiday-" + std::to_string(i) + ".jpg");
            continue;
        }
        const int shot = i / 2;
        char sequence[8];
        std::snprintf(sequence, sizeof sequence, "P%04d", shot / 150 % 40);
        paths.push_back("/mer/" +
                        productName('1', cameras[shot / 37 % 4], base + 61L * shot, sequence, i % 2 ? 'R' : 'L', '0') +
                        ".JPG");
    }
    const auto start = std::chrono::steady_clock::now();
    const std::vector<GalleryGroup> groups = groupPictures(paths);
    const auto took = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start);
    std::cout << "grouped " << paths.size() << " names into " << groups.size() << " groups in " << took.count()
              << " ms\n";

    ASSERT_FALSE(groups.empty());
    EXPECT_EQ(groups.back().heading, "Other pictures");
    EXPECT_EQ(groups.back().items.size(), 1000u);
    std::size_t items = groups.back().items.size(), paired = 0;
    for (std::size_t i = 0; i + 1 < groups.size(); ++i) {
        const GalleryGroup& g = groups[i];
        items += g.items.size();
        for (std::size_t k = 0; k < g.items.size(); ++k) {
            paired += g.items[k].stereoPaired;
            if (k > 0) {
                EXPECT_LE(g.items[k - 1].identifier.substr(2, 9), g.items[k].identifier.substr(2, 9)) << g.heading;
            }
        }
        if (i + 2 < groups.size()) {
            EXPECT_LT(std::tie(g.sol, g.camera, g.sequence),
                      std::tie(groups[i + 1].sol, groups[i + 1].camera, groups[i + 1].sequence))
                << groups[i + 1].heading;
        }
    }
    // Every tenth shot lost its right eye to a holiday picture.
    EXPECT_EQ(paired, 18000u);
    EXPECT_EQ(items, paths.size());
}

}  // namespace
}  // namespace keldar::gallery
