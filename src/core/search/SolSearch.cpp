#include "core/search/SolSearch.h"


#include "core/decode/ArchiveNames.h"
#include "core/decode/DecimalInteger.h"

namespace keldar::search {

SolJudgement judgeSolImage(const SolWanted& wanted, const SolSeen& seen, int previousRoverNumber) {
    SolJudgement judgement;
    const std::optional<std::int32_t> rover = decode::parseDecimalInt32(seen.roverDigit);
    judgement.invalidRoverDigit = !rover.has_value();
    judgement.roverNumber = rover ? *rover : previousRoverNumber;

    const bool wantedRover = (judgement.roverNumber == 1 || judgement.roverNumber == 2) &&
                             judgement.roverNumber == wanted.rover;
    const bool wantedCamera = seen.cameraLetter.size() == 1 && seen.cameraLetter[0] == wanted.camera;
    if (!wantedRover || !wantedCamera) return judgement;
    // The sol number as displayed is one more than the sols since landing.
    const std::int64_t shownSol = static_cast<std::int64_t>(seen.currentSol) + 1;
    if (shownSol == wanted.sol) judgement.verdict = SolVerdict::Found;
    else if (shownSol > wanted.sol) judgement.verdict = SolVerdict::NotPresent;
    return judgement;
}

std::string solFoundText(std::int32_t sol) { return "SOL " + std::to_string(sol) + " images FOUND!"; }

std::string solNotPresentText(std::int32_t sol) {
    return "CLICK the Find at NASA button above. SOL " + std::to_string(sol) + " images not present in your directory";
}

std::string galleryAddress(int rover, std::string_view cameraField, std::string_view solField) {
    const int archiveRover = rover == 2 ? 2 : 1;
    const char camera = cameraField.size() == 1 ? cameraField[0] : '?';
    const std::optional<std::int32_t> sol = decode::parseDecimalInt32(solField);
    return decode::archiveBrowseAddress(archiveRover, camera, sol ? *sol : -1);
}

}  // namespace keldar::search
