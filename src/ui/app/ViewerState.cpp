#include "ui/app/ViewerState.h"

namespace keldar::ui {

decode::DecodedIdentifier placeholderIdentifier() {
    decode::DecodedIdentifier placeholder;
    const std::string x(1, 'x');
    const std::string zero(1, '0');
    for (std::string* single : {&placeholder.roverDigit, &placeholder.cameraLetter,
                                &placeholder.eyeLetter, &placeholder.filterDigit,
                                &placeholder.producerLetter, &placeholder.versionCharacter,
                                &placeholder.markerCharacter, &placeholder.sequenceCategory})
        *single = x;
    for (std::string* longer : {&placeholder.clockText, &placeholder.productTypeCode, &placeholder.site,
                                &placeholder.drive, &placeholder.sequence,
                                &placeholder.sequenceNumberText, &placeholder.identifier,
                                &placeholder.eyePrefix})
        *longer = zero;
    return placeholder;
}

CategoryDirectories categoryDirectoriesFor(const QString& homeDirectory) {
    return {homeDirectory + QStringLiteral("/ImageCategories/Anaglyphs/"),
            homeDirectory + QStringLiteral("/ImageCategories/Colour/"),
            homeDirectory + QStringLiteral("/All-MER-Images/"),
            homeDirectory + QStringLiteral("/ImageCategories/Colour/456_RGB/"),
            homeDirectory + QStringLiteral("/ImageCategories/Panoramas/"),
            homeDirectory + QStringLiteral("/ImageCategories/Movies/")};
}

}  // namespace keldar::ui
