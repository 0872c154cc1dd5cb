// Published MER product identifiers, read from the real-data folder beside the checkout.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/decode/ProductIdentifier.h"

using namespace keldar::decode;
namespace fs = std::filesystem;

namespace {

const fs::path kRealData = KELDAR_REALDATA_DIR;

struct Row {
    std::string productId, rover, sclk;
};

std::vector<Row> readProducts()
{
    std::vector<Row> rows;
    std::ifstream in(kRealData / "products.csv");
    std::string line;
    std::getline(in, line);  // header
    while (std::getline(in, line)) {
        std::stringstream fields(line);
        Row row;
        std::getline(fields, row.productId, ',');
        std::getline(fields, row.rover, ',');
        std::getline(fields, row.sclk, ',');
        if (!row.productId.empty())
            rows.push_back(row);
    }
    return rows;
}

}  // namespace

TEST(RealIdentifiers, PublishedIdentifiersDecodeAsValid)
{
    if (!fs::exists(kRealData / "products.csv"))
        GTEST_SKIP() << "real MER data not found at " << kRealData << " (it lives beside the checkout only)";
    const auto rows = readProducts();
    ASSERT_GE(rows.size(), 50u);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.productId);
        const auto d = decodeProductIdentifier(row.productId + ".JPG");
        EXPECT_TRUE(d.validIdentifier);
        EXPECT_EQ(d.identifier, row.productId);
        EXPECT_EQ(d.roverText, row.rover == "1" ? "1 Opportunity" : "2 Spirit");
        ASSERT_TRUE(d.clockValid);
        ASSERT_TRUE(d.cameraText.has_value());
        EXPECT_NE(d.filterText, "");
        if (!row.sclk.empty()) {  // the published clock has a fraction; the name keeps the whole seconds
            EXPECT_EQ(std::to_string(d.clockValue), row.sclk.substr(0, row.sclk.find('.')));
        }
    }
}

TEST(RealIdentifiers, ArchiveLowerCaseNamesAreNotValid)
{
    const fs::path images = kRealData / "images";
    if (!fs::exists(images))
        GTEST_SKIP() << "real MER images not found at " << images;
    int seen = 0;
    for (const auto& entry : fs::directory_iterator(images)) {
        const std::string name = entry.path().filename().string();
        if (name.size() < 2 || (name[1] != 'n' && name[1] != 'p'))
            continue;
        ++seen;
        SCOPED_TRACE(name);
        const auto d = decodeProductIdentifier(name);
        EXPECT_FALSE(d.validIdentifier);       // camera letter in lower case has no row
        EXPECT_FALSE(d.cameraText.has_value());
        EXPECT_EQ(d.roverText, "2 Spirit");    // the digit still matches
        EXPECT_EQ(d.eyeLetter, "l");
        EXPECT_FALSE(d.eyeText.has_value());
        EXPECT_EQ(d.leftEyeName, "N/A");
        EXPECT_TRUE(d.clockValid);
    }
    EXPECT_GE(seen, 8);

    const auto upper = decodeProductIdentifier("1F483288473EFFCMUFP1214L0M1.IMG");
    EXPECT_TRUE(upper.validIdentifier);
    EXPECT_EQ(upper.site, "CM");
    EXPECT_EQ(upper.drive, "UF");
    EXPECT_EQ(upper.filterText, "Forward HAZCAM, 400-1100nm");
}
