#include "core/decode/ArchiveNames.h"
#include "core/decode/ProductIdentifier.h"

#include <cctype>
#include <string>

#include <gtest/gtest.h>

namespace keldar::decode {
namespace {

TEST(LocationCounterTest, CountsPast99WithLettersAndMarksTheOpenEnd) {
    const struct {
        const char* characters;
        std::string text;
    } cases[] = {
        {"00", "0"},    {"07", "7"},    {"99", "99"},           {"A0", "100"},          {"A9", "109"},
        {"AA", "110"},  {"AZ", "135"},  {"B0", "136"},          {"ZZ", "1035"},         {"0A", "1036"},
        {"0Z", "1061"}, {"1A", "1062"}, {"9Z", "1295"},         {"##", "1296 or more"}, {"__", "1296 or more"},
        {"a0", ""},     {"0a", ""},     {"#0", ""},             {"0", ""},              {"100", ""},
        {"", ""},       {"-1", ""},     {"A_", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(locationCounterText(decodeLocationCounter(c.characters)), c.text) << c.characters;
    }
}

TEST(ArchiveNameTest, LowerCaseArchiveNamesDecodeLikeTheProductIdentifier) {
    const std::string name = upperCaseArchiveName("/data/mer/browse/2n292280938effb100p0703l0m1.img.jpg");
    EXPECT_EQ(name, "/data/mer/browse/2N292280938EFFB100P0703L0M1.IMG.JPG");
    const DecodedIdentifier d = decodeProductIdentifier(name);
    EXPECT_TRUE(d.validIdentifier);
    EXPECT_EQ(d.identifier, "2N292280938EFFB100P0703L0M1");
    EXPECT_EQ(d.site, "B1");
    EXPECT_EQ(locationCounterText(decodeLocationCounter(d.site)), "137");
    EXPECT_EQ(upperCaseArchiveName("/lower/dir/"), "/lower/dir/");
}

TEST(ArchiveAddressTest, BrowseFolderOfEveryRoverCameraAndSol) {
    const std::string base = "https://planetarydata.jpl.nasa.gov/img/data/mer/";
    struct Camera {
        char letter;
        char volume;
    };
    const Camera cameras[] = {{'P', 'p'}, {'N', 'n'}, {'F', 'h'}, {'R', 'h'}, {'M', 'm'}, {'E', 'd'}};
    const struct {
        std::int64_t sol;
        const char* folder;
    } sols[] = {{1, "sol0001"}, {99, "sol0099"}, {1000, "sol1000"}};
    for (int rover : {1, 2}) {
        const std::string roverFolder = rover == 1 ? "opportunity/" : "spirit/";
        for (const Camera& camera : cameras) {
            for (const auto& sol : sols) {
                const std::string expected = base + roverFolder + "mer" + std::to_string(rover) + camera.volume +
                                             "o_0xxx/browse/" + sol.folder + "/edr/";
                EXPECT_EQ(archiveBrowseAddress(rover, camera.letter, sol.sol), expected);
                EXPECT_EQ(archiveBrowseAddress(rover, static_cast<char>(std::tolower(camera.letter)), sol.sol),
                          expected);
            }
        }
    }
    // What the archive cannot hold falls back to the nearest folder it has.
    EXPECT_EQ(archiveBrowseAddress(2, 'X', 5), base + "spirit/");
    EXPECT_EQ(archiveBrowseAddress(1, 'P', -1), base + "opportunity/");
    EXPECT_EQ(archiveBrowseAddress(3, 'P', 5), base);
    EXPECT_EQ(archiveBrowseAddress(2, 'N', 12345), base + "spirit/mer2no_0xxx/browse/sol12345/edr/");
    EXPECT_EQ(archiveRoverAddress(1), base + "opportunity/");
    EXPECT_EQ(archiveRoverAddress(2), base + "spirit/");
}

}  // namespace
}  // namespace keldar::decode
