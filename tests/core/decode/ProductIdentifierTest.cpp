#include <gtest/gtest.h>

#include "core/decode/ProductIdentifier.h"

using namespace keldar::decode;

namespace {
std::string sequenceRangeOf(const std::string& sequence)
{
    return decodeProductIdentifier("2P126471340EDN0000" + sequence + "L5M1.JPG").sequenceRangeText;
}
}  // namespace

TEST(ProductIdentifier, ExampleNameDecodesEveryField)
{
    const auto d = decodeProductIdentifier("2P126471340EDN0000P2303L5M1.JPG");
    EXPECT_EQ(d.roverText, "2 Spirit");
    EXPECT_EQ(d.locationText, "Gusev  Crater");
    EXPECT_EQ(d.cameraText, "PANCAM Panoramic Camera");
    EXPECT_TRUE(d.clockValid);
    EXPECT_EQ(d.clockValue, 126471340);
    EXPECT_EQ(d.clockDisplay, "126471340");
    EXPECT_EQ(d.productTypeText, "EDN Downsampled EDR");
    EXPECT_EQ(d.site, "00");
    EXPECT_EQ(d.drive, "00");
    EXPECT_EQ(d.sequence, "P2303");
    EXPECT_EQ(d.categoryText, "PMA and Remote Sensing instrument.");
    EXPECT_EQ(d.sequenceNumber, 2303);
    EXPECT_EQ(d.sequenceNumberDisplay, "2303");
    EXPECT_EQ(d.sequenceRangeText, "PANCAM sequences.");
    EXPECT_EQ(d.eyeText, "Left Eye");
    ASSERT_TRUE(d.stereoStatus.has_value());
    EXPECT_EQ(d.stereoStatus->text, "This image may be part of a Stereo pair");
    EXPECT_EQ(d.stereoStatus->colour, StatusColour::Green);
    EXPECT_EQ(d.filterText, "Filter 5 535nm (20nm bandpass)");
    EXPECT_EQ(d.producerText, "MIPL (OPGS) at JPL");
    EXPECT_EQ(d.versionCharacter, "1");
    EXPECT_EQ(d.markerCharacter, ".");
    EXPECT_EQ(d.identifier, "2P126471340EDN0000P2303L5M1");
    EXPECT_EQ(d.eyePrefix, "2P126471340EDN0000P2303L");
    EXPECT_EQ(d.leftEyeName, d.identifier);
    EXPECT_EQ(d.rightEyeName, "2P126471340EDN0000P2303R5M1");
    EXPECT_TRUE(d.validIdentifier);
    EXPECT_FALSE(d.combinedProduct);
}

TEST(ProductIdentifier, OnlyTheBaseNameOfAPathCounts)
{
    const auto d = decodeProductIdentifier("/data/mer/sol1/2P126471340EDN0000P2303L5M1.JPG");
    EXPECT_EQ(d.identifier, "2P126471340EDN0000P2303L5M1");
    EXPECT_TRUE(d.validIdentifier);
}

TEST(ProductIdentifier, CameraRowsOverrideTheEyeFilterRows)
{
    EXPECT_EQ(decodeProductIdentifier("2N126471340EDN0000P2303L5M1.JPG").filterText, "NAVCAM, 400-1100nm");
    EXPECT_EQ(decodeProductIdentifier("2F126471340EDN0000P2303R3M1.JPG").filterText, "Forward HAZCAM, 400-1100nm");
    EXPECT_EQ(decodeProductIdentifier("2R126471340EDN0000P2303M1M1.JPG").filterText, "Rear HAZCAM, 400-1100nm");
    // Pancam and the microscope keep the eye rows.
    EXPECT_EQ(decodeProductIdentifier("1P126471340EDN0000P2303R8M1.JPG").filterText,
              "Filter 8 880nm (20nm) Solar ND 5.0");
    EXPECT_EQ(decodeProductIdentifier("1M126471340EDN0000P2303M2M1.JPG").filterText, "MI window open, 400-700nm");
    EXPECT_EQ(decodeProductIdentifier("1P126471340EDN0000P2303L9M1.JPG").filterText, "N/A");
    EXPECT_EQ(decodeProductIdentifier("1P126471340EDN0000P2303M3M1.JPG").filterText, "N/A");
}

TEST(ProductIdentifier, CombinedProductKeepsItsSourceIdentifier)
{
    const auto d = decodeProductIdentifier("1N241637757EFF8615P1999L0M1-B30C30M50-01.jpg");
    EXPECT_TRUE(d.combinedProduct);
    EXPECT_TRUE(d.validIdentifier);
    EXPECT_EQ(d.eyeText, "COMBINED");
    ASSERT_TRUE(d.stereoStatus.has_value());
    EXPECT_EQ(d.stereoStatus->text, "This image is a 3D anaglyph or colour composite");
    EXPECT_EQ(d.stereoStatus->colour, StatusColour::Green);
    EXPECT_EQ(d.identifier, "1N241637757EFF8615P1999L0M1");
    EXPECT_EQ(d.sequenceRangeText, "NAVCAM sequences.");
    EXPECT_EQ(d.filterText, "NAVCAM, 400-1100nm");
    // The partner names are still built from the first 27 characters.
    EXPECT_EQ(d.rightEyeName, "1N241637757EFF8615P1999R0M1");
}

TEST(ProductIdentifier, SequenceRangeBoundaries)
{
    const std::pair<const char*, const char*> cases[] = {
        {"P0000", "0"},
        {"P0001", "Misc imaging setup/parm sequences."},
        {"P0499", "Misc imaging setup/parm sequences."},
        {"P0500", "Unallocated, for possible future use."},
        {"P0999", "Unallocated, for possible future use."},
        {"P1000", "HAZCAM sequences."},
        {"P1499", "HAZCAM sequences."},
        {"P1500", "NAVCAM sequences."},
        {"P2000", "PANCAM sequences."},
        {"P2899", "PANCAM sequences."},
        {"P2900", "MI (microscopic imager) sequences."},
        {"P3000", "Mini-TES sequences."},
        {"P3999", "Mini-TES sequences."},
        {"P4000", "Misc. PMA actuation sequences (deploy)."},
        {"P4095", "Misc. PMA actuation sequences (deploy)."},
        {"P4096", "Misc imaging setup/parm sequences."},
        {"P9999", "Misc imaging setup/parm sequences."},
        {"P-001", "0"},
        {"C2303", "000"},
        {"R1500", "000"},
        {"P23A3", "0"},
    };
    for (const auto& [sequence, range] : cases)
        EXPECT_EQ(sequenceRangeOf(sequence), range) << sequence;
}

TEST(ProductIdentifier, SequenceNumberThatDoesNotConvert)
{
    const auto d = decodeProductIdentifier("2P126471340EDN0000P23A3L5M1.JPG");
    EXPECT_FALSE(d.sequenceNumberValid);
    EXPECT_EQ(d.sequenceNumberDisplay, "Invalid Sequence Integer");
    EXPECT_EQ(d.sequenceRangeText, "0");
    const auto blank = decodeProductIdentifier("2P126471340EDN0000C 303L5M1.JPG");
    EXPECT_EQ(blank.sequenceNumberDisplay, "Invalid Sequence Integer");
    EXPECT_EQ(blank.sequenceRangeText, "000");
}

TEST(ProductIdentifier, ShortNameThatIsNotAnIdentifier)
{
    const auto d = decodeProductIdentifier("IMG_0001.jpg");
    EXPECT_EQ(d.roverDigit, "I");
    EXPECT_FALSE(d.validIdentifier);
    EXPECT_FALSE(d.roverText.has_value());
    EXPECT_FALSE(d.locationText.has_value());
    EXPECT_EQ(d.cameraText, "Microscopic Imager");
    EXPECT_EQ(d.clockText, "G_0001.jp");
    EXPECT_FALSE(d.clockValid);
    EXPECT_EQ(d.clockDisplay, "Invalid Spacecraft Clock Value");
    EXPECT_EQ(d.productTypeCode, "g");
    EXPECT_EQ(d.productTypeText, "g");
    EXPECT_EQ(d.site, "");
    EXPECT_EQ(d.drive, "");
    EXPECT_EQ(d.sequence, "");
    EXPECT_EQ(d.eyeLetter, "");
    EXPECT_EQ(d.markerCharacter, "");
    EXPECT_FALSE(d.categoryText.has_value());
    EXPECT_EQ(d.sequenceRangeText, "000");
    EXPECT_EQ(d.sequenceNumberDisplay, "Invalid Sequence Integer");
    EXPECT_EQ(d.filterText, "N/A");
    EXPECT_FALSE(d.eyeText.has_value());
    EXPECT_FALSE(d.stereoStatus.has_value());
    EXPECT_FALSE(d.producerText.has_value());
    EXPECT_EQ(d.identifier, "IMG_0001.jpg");
    EXPECT_EQ(d.leftEyeName, "N/A");
    EXPECT_EQ(d.rightEyeName, "N/A");
    EXPECT_FALSE(d.combinedProduct);
}

TEST(ProductIdentifier, EmptyNameDecodesToEmptyFields)
{
    const auto d = decodeProductIdentifier("");
    EXPECT_FALSE(d.validIdentifier);
    EXPECT_EQ(d.identifier, "");
    EXPECT_FALSE(d.clockValid);
    EXPECT_EQ(d.productTypeText, "");
    EXPECT_EQ(d.filterText, "N/A");
    EXPECT_EQ(partnerName(d, 'R'), "");
}

TEST(ProductIdentifier, ComparisonsAreCaseSensitive)
{
    const auto d = decodeProductIdentifier("2p126471340edn0000p2303l5m1.jpg");
    EXPECT_FALSE(d.validIdentifier);
    EXPECT_FALSE(d.cameraText.has_value());
    EXPECT_EQ(d.productTypeText, "edn");
    EXPECT_FALSE(d.categoryText.has_value());
    EXPECT_EQ(d.sequenceRangeText, "000");
    EXPECT_FALSE(d.eyeText.has_value());
    EXPECT_FALSE(d.stereoStatus.has_value());
    EXPECT_EQ(d.filterText, "N/A");
    EXPECT_FALSE(d.producerText.has_value());
    EXPECT_EQ(d.leftEyeName, "N/A");
    EXPECT_EQ(d.rightEyeName, "N/A");
    // The rover row still matches: the digit has no case.
    EXPECT_EQ(d.roverText, "2 Spirit");
}

TEST(ProductIdentifier, EyeTableAndPartners)
{
    struct Case { char eye; const char* text; const char* status; StatusColour colour; const char* left; const char* right; };
    const Case cases[] = {
        {'L', "Left Eye", "This image may be part of a Stereo pair", StatusColour::Green,
         "1N128287181EFF0000P1500L0M1", "1N128287181EFF0000P1500R0M1"},
        {'R', "Right Eye", "This image may be part of a Stereo pair", StatusColour::Green,
         "1N128287181EFF0000P1500L0M1", "1N128287181EFF0000P1500R0M1"},
        {'M', "Monoscopic", "Monoscopic image, Stereo View Impossible", StatusColour::Red, "N/A", "N/A"},
        {'N', "N/A", "Monoscopic image, Stereo View Impossible", StatusColour::Red, "N/A", "N/A"},
    };
    for (const auto& c : cases) {
        std::string name = "1N128287181EFF0000P1500L0M1.JPG";
        name[23] = c.eye;
        const auto d = decodeProductIdentifier(name);
        EXPECT_EQ(d.eyeText, c.text) << c.eye;
        ASSERT_TRUE(d.stereoStatus.has_value());
        EXPECT_EQ(d.stereoStatus->text, c.status) << c.eye;
        EXPECT_EQ(d.stereoStatus->colour, c.colour) << c.eye;
        EXPECT_EQ(d.leftEyeName, c.left) << c.eye;
        EXPECT_EQ(d.rightEyeName, c.right) << c.eye;
    }
    const auto other = decodeProductIdentifier("1N128287181EFF0000P1500X0M1.JPG");
    EXPECT_FALSE(other.eyeText.has_value());
    EXPECT_FALSE(other.stereoStatus.has_value());
}

TEST(ProductIdentifier, CodeTablesAndMisses)
{
    EXPECT_EQ(decodeProductIdentifier("1E128287181EFF0000P1500L0M1").cameraText, "EDLcam (Descent Imager)");
    EXPECT_EQ(decodeProductIdentifier("1F128287181EFF0000P1500L0M1").locationText, "Meridiani  Planum");
    EXPECT_EQ(decodeProductIdentifier("1F128287181ERP0000P1500L0M1").productTypeText, "ERP Reference Pixels EDR");
    EXPECT_EQ(decodeProductIdentifier("1F128287181XYZ0000P1500L0M1").productTypeText, "XYZ");
    EXPECT_EQ(decodeProductIdentifier("1F128287181EFF0000W1500L0V1").categoryText,
              "Seq. triggered by a communications window.");
    EXPECT_EQ(decodeProductIdentifier("1F128287181EFF0000D1500L0V1").categoryText, "IDD & RAT.");
    EXPECT_EQ(decodeProductIdentifier("1F128287181EFF0000D1500L0V1").producerText, "SSV Team (E. Dunmark) at JPL");
    EXPECT_FALSE(decodeProductIdentifier("1F128287181EFF0000A1500L0Q1").categoryText.has_value());
    EXPECT_FALSE(decodeProductIdentifier("1F128287181EFF0000A1500L0Q1").producerText.has_value());
    // Rover digit 3 and camera Q: not valid, and the tables have no row.
    const auto d = decodeProductIdentifier("3Q128287181EFF0000P1500L0M1.JPG");
    EXPECT_FALSE(d.validIdentifier);
    EXPECT_FALSE(d.roverText.has_value());
    EXPECT_FALSE(d.cameraText.has_value());
    // Site and drive may hold letters.
    EXPECT_EQ(decodeProductIdentifier("2N292280938EFFB100P0703L0M1.JPG").site, "B1");
}

TEST(ProductIdentifier, ClockThatDoesNotConvert)
{
    const auto d = decodeProductIdentifier("2P12647A340EDN0000P2303L5M1.JPG");
    EXPECT_FALSE(d.clockValid);
    EXPECT_EQ(d.clockDisplay, "Invalid Spacecraft Clock Value");
    EXPECT_TRUE(d.validIdentifier);  // the clock is not part of the verdict
    const auto negative = decodeProductIdentifier("2P-00000001EDN0000P2303L5M1.JPG");
    EXPECT_TRUE(negative.clockValid);
    EXPECT_EQ(negative.clockValue, -1);
}
