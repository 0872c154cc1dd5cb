#include "core/decode/ArchiveNames.h"
#include "core/decode/ProductIdentifier.h"

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

}  // namespace
}  // namespace keldar::decode
