#include "core/time/ImageData.h"

#include <cstdio>

namespace keldar::time {

ImageDataResult computeImageData(std::string_view fileName, const CarriedState& previous, const LocaleNames& names)
{
    ImageDataResult r;
    r.decoded = decode::decodeProductIdentifier(fileName);
    const decode::DecodedIdentifier& d = r.decoded;

    // Decoded fields as displays; "none" leaves the display as it was.
    r.roverText = d.roverText;
    r.locationText = d.locationText;
    r.cameraText = d.cameraText;
    r.clockDisplay = d.clockDisplay;
    r.productTypeText = d.productTypeText;
    r.site = d.site;
    r.drive = d.drive;
    r.sequence = d.sequence;
    r.categoryText = d.categoryText;
    r.sequenceNumberDisplay = d.sequenceNumberDisplay;
    r.sequenceRangeText = d.sequenceRangeText;
    r.eyeText = d.eyeText;
    r.stereoStatus = d.stereoStatus;
    r.filterText = d.filterText;
    r.producerText = d.producerText;
    r.versionText = d.versionCharacter;

    // A clock that does not convert keeps the previous one, so the times below repeat it.
    r.next.clockValue = d.clockValid ? d.clockValue : previous.clockValue;

    r.captureTime = clockToCaptureTime(r.next.clockValue);
    r.utcTimeText = formatCaptureTime(r.captureTime, names);

    MarsValues& m = r.mars;
    m.secondsSinceSpiritLanding = secondsSinceLanding(r.captureTime, landingTime(Rover::Spirit));
    m.secondsSinceOpportunityLanding = secondsSinceLanding(r.captureTime, landingTime(Rover::Opportunity));
    m.solsSinceSpiritLanding = solsSinceLanding(m.secondsSinceSpiritLanding);
    m.solsSinceOpportunityLanding = solsSinceLanding(m.secondsSinceOpportunityLanding);

    // The Mars time computation reads the rover display as it stands now: for a name whose
    // rover digit has no row, that is still the previous image's rover.
    m.roverTextUsed = r.roverText.value_or(previous.roverTextDisplay);
    m.chosenRover = roverForText(m.roverTextUsed);
    m.breakdown = marsBreakdown(m.chosenRover == Rover::Spirit ? m.secondsSinceSpiritLanding
                                                              : m.secondsSinceOpportunityLanding);
    m.landingLocal = landingLocalTime(m.chosenRover);
    m.landingLocalTimeText = formatLandingLocalTime(m.landingLocal);
    m.localTime = marsLocalTime(m.landingLocal, m.breakdown);
    m.marsTimeText = formatMarsTime(m.localTime);

    r.localCaptureTime = utcToLocal(r.captureTime);
    r.localTimeText = formatCaptureTime(r.localCaptureTime, names);

    if (d.roverDigit == "2")
        r.next.currentSol = m.solsSinceSpiritLanding;
    else if (d.roverDigit == "1")
        r.next.currentSol = m.solsSinceOpportunityLanding;
    else
        r.next.currentSol = previous.currentSol;
    r.solText = std::to_string(static_cast<std::int64_t>(r.next.currentSol) + 1);

    if (!d.validIdentifier) {
        const std::string invalid(kInvalid);
        r.roverText = r.locationText = r.cameraText = invalid;
        r.solText = r.productTypeText = r.site = r.drive = r.sequence = r.sequenceRangeText = invalid;
        r.categoryText = r.eyeText = r.producerText = invalid;
        r.filterText = r.versionText = r.utcTimeText = invalid;
        r.sequenceNumberDisplay = std::string(1, '0');
    }
    // Times from the carried clock are another picture's: `next` keeps that clock for the
    // searchers, but no text shows them as this name's.
    r.ownTimes = d.validIdentifier && d.clockValid;
    if (!r.ownTimes) r.utcTimeText = r.localTimeText = r.solText = std::string(kInvalid);

    r.identifierText = d.identifier;
    r.rightEyeNameText = d.rightEyeName;
    r.leftEyeNameText = d.leftEyeName;
    if (d.combinedProduct) {
        // Applied after the invalid overwrite too, so the combined status always stands.
        r.eyeText = "COMBINED";
        r.stereoStatus = decode::StereoStatus{std::string(decode::kCombinedStatus), decode::StatusColour::Green};
        r.rightEyeNameText.clear();
        r.leftEyeNameText.clear();
    }

    r.next.roverTextDisplay = r.roverText.value_or(previous.roverTextDisplay);
    return r;
}

std::string isoUtcText(CalendarTime time)
{
    const DateTimeParts p = time.parts();
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", p.year, p.month, p.day, p.hour,
                  p.minute, p.second, p.millisecond);
    return text;
}

}  // namespace keldar::time
