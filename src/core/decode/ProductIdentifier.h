#pragma once
// The product identifier decoder: a MER file name (27 characters, then the extension or a
// "-" suffix for products this program made) taken apart into its fields and plain words.
// Pure: any name is accepted, nothing is opened, nothing fails.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace keldar::decode {

enum class StatusColour { Green, Red };

struct StereoStatus {
    std::string text;
    StatusColour colour = StatusColour::Green;
    friend bool operator==(const StereoStatus&, const StereoStatus&) = default;
};

// The fixed texts that other parts of the program compare against.
inline constexpr std::string_view kStereoPossible = "This image may be part of a Stereo pair";
inline constexpr std::string_view kMonoscopic = "Monoscopic image, Stereo View Impossible";
inline constexpr std::string_view kCombinedStatus = "This image is a 3D anaglyph or colour composite";
inline constexpr std::string_view kInvalidClock = "Invalid Spacecraft Clock Value";
inline constexpr std::string_view kInvalidSequence = "Invalid Sequence Integer";
inline constexpr std::string_view kNotApplicable = "N/A";

// Every std::optional text is "none" when its code table has no row for the code: the
// caller then leaves its display as it was (which is not the same as an empty text).
struct DecodedIdentifier {
    // Raw fields, cut by position; shorter or empty when the name is short.
    std::string roverDigit, cameraLetter, clockText, productTypeCode, site, drive, sequence,
        sequenceCategory, sequenceNumberText, eyeLetter, filterDigit, producerLetter,
        versionCharacter, markerCharacter;

    std::int32_t clockValue = 0;   // meaningful only when clockValid
    bool clockValid = false;
    std::int32_t sequenceNumber = 0;  // meaningful only when sequenceNumberValid
    bool sequenceNumberValid = false;

    std::string identifier;  // the first 27 characters without extension or suffix
    std::string eyePrefix;   // characters 0..23
    std::string leftEyeName = std::string(kNotApplicable);
    std::string rightEyeName = std::string(kNotApplicable);

    bool validIdentifier = false;
    bool combinedProduct = false;

    std::optional<std::string> roverText, locationText, cameraText;
    std::string productTypeText;
    std::optional<std::string> categoryText;
    std::string sequenceNumberDisplay;
    std::string sequenceRangeText;
    std::optional<std::string> eyeText;
    std::optional<StereoStatus> stereoStatus;
    std::string filterText = std::string(kNotApplicable);
    std::optional<std::string> producerText;
    std::string clockDisplay;
};

// name: a bare file name or a path; only the part after the last '/' counts.
DecodedIdentifier decodeProductIdentifier(std::string_view name);

// The identifier with the eye letter (position 23) replaced; names shorter than 24 characters
// are returned unchanged.
std::string partnerName(const DecodedIdentifier& decoded, char eyeLetter);

// The part after the last path separator.
std::string_view baseName(std::string_view path);

}  // namespace keldar::decode
