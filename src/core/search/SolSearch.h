#pragma once
// The rules of the SOL search, without windows: whether the image on display is the one
// wanted, one of a later sol (the wanted sol is not in the directory), or one to pass; the
// result lines; and the archive folder that "Find at NASA" opens for a rover, camera and sol.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace keldar::search {

struct SolWanted {
    int rover = 1;        // 1 Opportunity, 2 Spirit
    char camera = 'F';    // F, R, N, P, M or E
    std::int32_t sol = 100;
};

enum class SolVerdict { Pass, Found, NotPresent };

struct SolJudgement {
    SolVerdict verdict = SolVerdict::Pass;
    // The rover digit was not a number: the search goes back to the top of the list and the
    // rover number keeps its previous value.
    bool invalidRoverDigit = false;
    int roverNumber = 0;
};

// The image on display as the Data action left it. `currentSol` counts from 0 at landing; the
// sol number shown (and wanted) is one more.
struct SolSeen {
    std::string_view roverDigit;
    std::string_view cameraLetter;
    std::int32_t currentSol = 0;
};

// Only an image of the wanted rover and camera ends the search: at the wanted sol it is found,
// past it the wanted sol is not in the directory. Images of the wanted rover and camera before
// the wanted sol, and of any other rover or camera, are passed.
SolJudgement judgeSolImage(const SolWanted& wanted, const SolSeen& seen, int previousRoverNumber);

std::string solFoundText(std::int32_t sol);       // "SOL 100 images FOUND!"
std::string solNotPresentText(std::int32_t sol);  // "CLICK the Find at NASA button above. SOL 7 images ..."
inline constexpr std::string_view kInvalidRoverDigitText = "Invalid File Name X Value";

// The mission's raw-image gallery pages are gone; what "Find at NASA" and the gallery links
// open is the rover's folder of the PDS imaging archive (see decode/ArchiveNames.h).
inline constexpr std::string_view kOpportunityGallery = "https://planetarydata.jpl.nasa.gov/img/data/mer/opportunity/";
inline constexpr std::string_view kSpiritGallery = "https://planetarydata.jpl.nasa.gov/img/data/mer/spirit/";

// The archive's browse folder of the searched rover, camera (the first letter of the camera
// field) and sol (the sol field as a whole number): Opportunity, "P", "7" gives
// ".../opportunity/mer1po_0xxx/browse/sol0007/edr/". Rover 2 is Spirit, any other
// Opportunity. A field the archive has no folder for gives the rover's folder.
std::string galleryAddress(int rover, std::string_view cameraField, std::string_view solField);

}  // namespace keldar::search
