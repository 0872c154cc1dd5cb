#include "core/decode/ProductIdentifier.h"

#include <array>

#include "core/decode/DecimalInteger.h"

namespace keldar::decode {
namespace {

struct CodeText {
    std::string_view code;
    std::string_view text;
};

template <std::size_t N>
std::optional<std::string> lookUp(const std::array<CodeText, N>& table, std::string_view code)
{
    for (const auto& row : table)
        if (row.code == code)
            return std::string(row.text);
    return std::nullopt;
}

constexpr std::array<CodeText, 2> kRoverTexts{{{"1", "1 Opportunity"}, {"2", "2 Spirit"}}};
constexpr std::array<CodeText, 2> kLocationTexts{{{"1", "Meridiani  Planum"}, {"2", "Gusev  Crater"}}};

constexpr std::array<CodeText, 6> kCameraTexts{{
    {"F", "Forward HAZCAM"},
    {"R", "Rear HAZCAM"},
    {"N", "NAVCAM Navigational Camera"},
    {"P", "PANCAM Panoramic Camera"},
    {"M", "Microscopic Imager"},
    {"E", "EDLcam (Descent Imager)"},
}};

constexpr std::array<CodeText, 8> kProductTypeNames{{
    {"EFF", "Full Frame EDR"},
    {"ESF", "Sub Frame EDR"},
    {"EDN", "Downsampled EDR"},
    {"ETH", "Thumbnail EDR"},
    {"ERS", "Row Summed EDR"},
    {"ECS", "Column Summed EDR"},
    {"ERP", "Reference Pixels EDR"},
    {"EHG", "Histogram EDR"},
}};

constexpr std::array<CodeText, 16> kCategoryTexts{{
    {"C", "Cruise."},
    {"D", "IDD & RAT."},
    {"E", "Engineering."},
    {"F", "Flight Software."},
    {"G", "(Spare)"},
    {"K", "(Spare)"},
    {"M", "Master. (Surface only)"},
    {"N", "In-Situ instr. (APXS, MB, MI.)"},
    {"P", "PMA and Remote Sensing instrument."},
    {"R", "Rover Driving."},
    {"S", "Submaster."},
    {"T", "Test."},
    {"W", "Seq. triggered by a communications window."},
    {"X", "Contingency."},
    {"Y", "(Spare)"},
    {"Z", "SCM Sequences."},
}};

constexpr std::array<CodeText, 4> kEyeTexts{{
    {"L", "Left Eye"}, {"R", "Right Eye"}, {"M", "Monoscopic"}, {"N", "N/A"}}};

constexpr std::array<CodeText, 11> kProducerTexts{{
    {"A", "Arizona State University"},
    {"C", "Cornell University"},
    {"F", "USGS at Flagstaff"},
    {"J", "Johannes Gutenberg Univ. (Germany)"},
    {"M", "MIPL (OPGS) at JPL"},
    {"N", "NASA Ames Research (L. Orvesk)"},
    {"P", "Max Plank Institute (Germany)"},
    {"S", "SOAS at JPL"},
    {"U", "University of Arizona"},
    {"V", "SSV Team (E. Dunmark) at JPL"},
    {"X", "Other"},
}};

struct FilterRow {
    std::string_view eye;
    std::string_view digit;
    std::string_view text;
};

constexpr std::array<FilterRow, 18> kEyeFilterTexts{{
    {"L", "1", "Filter 1 739nm (338nm bandpass)"},
    {"L", "2", "Filter 2 753nm (20nm bandpass)"},
    {"L", "3", "Filter 3 673nm (16nm bandpass)"},
    {"L", "4", "Filter 4 601nm (17nm bandpass)"},
    {"L", "5", "Filter 5 535nm (20nm bandpass)"},
    {"L", "6", "Filter 6 482nm (30nm bandpass)"},
    {"L", "7", "Filter 7 432nm (32nm bandpass)"},
    {"L", "8", "Filter 8 440nm (20nm) Solar ND 5.0"},
    {"R", "1", "Filter 1 436nm (37nm Shortpass)"},
    {"R", "2", "Filter 2 754nm (20nm bandpass)"},
    {"R", "3", "Filter 3 803nm (20nm bandpass)"},
    {"R", "4", "Filter 4 864nm (17nm bandpass)"},
    {"R", "5", "Filter 5 904nm (26nm bandpass)"},
    {"R", "6", "Filter 6 934nm (25nm bandpass)"},
    {"R", "7", "Filter 7 1009nm (38nm bandpass)"},
    {"R", "8", "Filter 8 880nm (20nm) Solar ND 5.0"},
    {"M", "1", "MI window closed, 500-700nm"},
    {"M", "2", "MI window open, 400-700nm"},
}};

// The hazard and navigation cameras have one broad band whatever the filter digit says.
constexpr std::array<CodeText, 3> kCameraFilterTexts{{
    {"F", "Forward HAZCAM, 400-1100nm"},
    {"R", "Rear HAZCAM, 400-1100nm"},
    {"N", "NAVCAM, 400-1100nm"},
}};

std::string cut(std::string_view name, std::size_t position, std::size_t width)
{
    if (position >= name.size())
        return {};
    return std::string(name.substr(position, width));
}

std::string sequenceRange(const DecodedIdentifier& d)
{
    if (d.sequenceCategory != "P")
        return "000";
    std::string text = "0";
    if (!d.sequenceNumberValid)
        return text;
    const std::int32_t n = d.sequenceNumber;
    // Later rows replace earlier ones, so the order of the tests matters.
    if (n > 0 && n < 500)
        text = "Misc imaging setup/parm sequences.";
    if (n > 0)
        text = "Misc imaging setup/parm sequences.";
    if (n > 499 && n < 1000)
        text = "Unallocated, for possible future use.";
    if (n > 999 && n < 1500)
        text = "HAZCAM sequences.";
    if (n > 1499 && n < 2000)
        text = "NAVCAM sequences.";
    if (n > 1999 && n < 2900)
        text = "PANCAM sequences.";
    if (n > 2899 && n < 3000)
        text = "MI (microscopic imager) sequences.";
    if (n > 2999 && n < 4000)
        text = "Mini-TES sequences.";
    if (n > 3999 && n < 4096)
        text = "Misc. PMA actuation sequences (deploy).";
    return text;
}

std::string filterText(const DecodedIdentifier& d)
{
    std::string text(kNotApplicable);
    for (const auto& row : kEyeFilterTexts)
        if (row.eye == d.eyeLetter && row.digit == d.filterDigit)
            text = row.text;
    for (const auto& row : kCameraFilterTexts)
        if (row.code == d.cameraLetter)
            text = row.text;
    return text;
}

}  // namespace

std::string_view baseName(std::string_view path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

DecodedIdentifier decodeProductIdentifier(std::string_view path)
{
    const std::string_view name = baseName(path);
    DecodedIdentifier d;

    d.roverDigit = cut(name, 0, 1);
    d.cameraLetter = cut(name, 1, 1);
    d.clockText = cut(name, 2, 9);
    d.productTypeCode = cut(name, 11, 3);
    d.site = cut(name, 14, 2);
    d.drive = cut(name, 16, 2);
    d.sequence = cut(name, 18, 5);
    d.sequenceCategory = cut(name, 18, 1);
    d.sequenceNumberText = cut(name, 19, 4);
    d.eyeLetter = cut(name, 23, 1);
    d.filterDigit = cut(name, 24, 1);
    d.producerLetter = cut(name, 25, 1);
    d.versionCharacter = cut(name, 26, 1);
    d.markerCharacter = cut(name, 27, 1);

    d.roverText = lookUp(kRoverTexts, d.roverDigit);
    d.locationText = lookUp(kLocationTexts, d.roverDigit);
    d.cameraText = lookUp(kCameraTexts, d.cameraLetter);
    if (const auto typeName = lookUp(kProductTypeNames, d.productTypeCode))
        d.productTypeText = d.productTypeCode + " " + *typeName;
    else
        d.productTypeText = d.productTypeCode;

    d.validIdentifier = (d.roverDigit == "1" || d.roverDigit == "2") && d.cameraLetter.size() == 1 &&
                        std::string_view("FRNPME").find(d.cameraLetter[0]) != std::string_view::npos;

    if (const auto clock = parseDecimalInt32(d.clockText)) {
        d.clockValue = *clock;
        d.clockValid = true;
        d.clockDisplay = d.clockText;
    } else {
        d.clockDisplay = kInvalidClock;
    }

    d.categoryText = lookUp(kCategoryTexts, d.sequenceCategory);
    if (const auto number = parseDecimalInt32(d.sequenceNumberText)) {
        d.sequenceNumber = *number;
        d.sequenceNumberValid = true;
        d.sequenceNumberDisplay = d.sequenceNumberText;
    } else {
        d.sequenceNumberDisplay = kInvalidSequence;
    }
    d.sequenceRangeText = sequenceRange(d);

    d.eyeText = lookUp(kEyeTexts, d.eyeLetter);
    if (d.eyeLetter == "L" || d.eyeLetter == "R")
        d.stereoStatus = StereoStatus{std::string(kStereoPossible), StatusColour::Green};
    else if (d.eyeLetter == "M" || d.eyeLetter == "N")
        d.stereoStatus = StereoStatus{std::string(kMonoscopic), StatusColour::Red};
    d.filterText = filterText(d);
    d.producerText = lookUp(kProducerTexts, d.producerLetter);

    d.identifier = cut(name, 0, 23) + d.eyeLetter + d.filterDigit + d.producerLetter + d.versionCharacter;
    d.eyePrefix = cut(name, 0, 24);

    if (d.eyeLetter == "L") {
        d.leftEyeName = d.identifier;
        d.rightEyeName = partnerName(d, 'R');
    } else if (d.eyeLetter == "R") {
        d.rightEyeName = d.identifier;
        d.leftEyeName = partnerName(d, 'L');
    }

    d.combinedProduct = d.markerCharacter == "-";
    if (d.combinedProduct) {
        d.eyeText = "COMBINED";
        d.stereoStatus = StereoStatus{std::string(kCombinedStatus), StatusColour::Green};
    }
    return d;
}

std::string partnerName(const DecodedIdentifier& decoded, char eyeLetter)
{
    std::string name = decoded.identifier;
    if (name.size() > 23)
        name[23] = eyeLetter;
    return name;
}

}  // namespace keldar::decode
