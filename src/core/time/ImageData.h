#pragma once
// The decoding and time steps that the main window runs for every selected file, as one pure
// computation: it takes the name and the values carried over from the previous image and
// returns every display text. Windows and keldar-cli both use it, so they show the same.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/decode/ProductIdentifier.h"
#include "core/time/CalendarTime.h"
#include "core/time/EarthTime.h"
#include "core/time/MarsTime.h"

namespace keldar::time {

inline constexpr std::string_view kInvalid = "Invalid";

// Values a run carries from one image to the next.
struct CarriedState {
    std::int32_t clockValue = 0;       // last clock that converted
    std::int32_t currentSol = 5;       // kept for a rover digit other than 1 or 2
    std::string roverTextDisplay = "Waiting";  // what the rover display showed before
};

struct MarsValues {
    std::int32_t secondsSinceSpiritLanding = 0, secondsSinceOpportunityLanding = 0;
    std::int32_t solsSinceSpiritLanding = 0, solsSinceOpportunityLanding = 0;
    Rover chosenRover = Rover::Opportunity;  // by the rover display text at that moment
    std::string roverTextUsed;               // the text the choice was made on
    MarsBreakdown breakdown;
    MarsClock landingLocal;
    MarsClock localTime;
    std::string marsTimeText;
    std::string landingLocalTimeText;
};

// Display texts after the whole action. std::nullopt: leave the display as it was.
struct ImageDataResult {
    decode::DecodedIdentifier decoded;

    std::optional<std::string> roverText, locationText, cameraText;
    std::string clockDisplay;
    std::string productTypeText, site, drive, sequence;
    std::optional<std::string> categoryText;
    std::string sequenceNumberDisplay, sequenceRangeText;
    std::optional<std::string> eyeText;
    std::optional<decode::StereoStatus> stereoStatus;
    std::string filterText;
    std::optional<std::string> producerText;
    std::string versionText;
    std::string identifierText, rightEyeNameText, leftEyeNameText;
    std::string utcTimeText, localTimeText, solText;
    // The times are this name's own: a product identifier whose clock converted. Otherwise
    // they come from the carried clock, and their texts above say "Invalid".
    bool ownTimes = false;

    CalendarTime captureTime;
    CalendarTime localCaptureTime;
    MarsValues mars;
    CarriedState next;  // to hand to the next image
};

// fileName: bare name or path (only the part after the last '/' counts).
ImageDataResult computeImageData(std::string_view fileName, const CarriedState& previous,
                                 const LocaleNames& names);

// ISO 8601 with milliseconds and "Z", e.g. "2004-01-04T06:54:35.816Z".
std::string isoUtcText(CalendarTime time);

}  // namespace keldar::time
