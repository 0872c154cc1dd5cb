#include "core/imaging/ColourNaming.h"

namespace keldar::imaging {

char bandFilterDigit(Band band) {
    switch (band) {
    case Band::Red: return '4';
    case Band::Green: return '5';
    case Band::Blue: return '6';
    }
    return '?';
}

BandPicks bandsPickedBy(std::string_view eyeLetter, std::string_view filterDigit) {
    BandPicks picks;
    if (eyeLetter != "L" || filterDigit.size() != 1) return picks;
    for (Band band : kAllBands) picks[band] = filterDigit.front() == bandFilterDigit(band);
    return picks;
}

std::string derivedBandName(std::string_view eyePrefix, Band band, std::string_view extension) {
    std::string name(eyePrefix);
    name += bandFilterDigit(band);
    name += "M1";
    name += extension;
    return name;
}

std::string bandFilterCode(std::string_view fileName) {
    return fileName.size() <= 23 ? std::string() : std::string(fileName.substr(23, 2));
}

std::string straightFilterSuffix(std::string_view red, std::string_view green, std::string_view blue) {
    // Appended piece by piece: "-" + std::string(...) trips a false -Wrestrict in GCC 12's
    // optimised builds.
    std::string suffix = "-";
    suffix.append(red).append(green).append(blue);
    return suffix;
}

std::string blendedFilterSuffix(std::string_view red, std::string_view green, std::string_view blue) {
    std::string suffix = "-";
    suffix.append(red).append(green).append(green).append(green).append(blue);
    return suffix;
}

std::optional<AnaglyphNameProposal> proposeColourName(std::string_view directory, std::string_view base,
                                                      std::string_view suffix, bool solarized,
                                                      const std::function<bool(const std::string&)>& exists,
                                                      int maxCounter) {
    // The save dialog writes ".jpg" (its JPEG entry) or ".bmp" (every other entry).
    return proposeCounterName(directory, base, suffix, solarized ? "-Solarized0" : "-0", exists, maxCounter,
                              {".jpg", ".bmp"});
}

}  // namespace keldar::imaging
