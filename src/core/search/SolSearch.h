#pragma once
// The rules of the SOL search, without windows: whether the image on display is the one
// wanted, one of a later sol (the wanted sol is not in the directory), or one to pass; the
// result lines; and the address of the mission's gallery page for a rover, camera and sol.

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

// The mission's public gallery pages of all raw images of each rover; the page of one sol and
// camera is named after the page, without ".html", with "_" + camera + sol.
inline constexpr std::string_view kOpportunityGallery = "https://mars.nasa.gov/mer/gallery/all/opportunity.html";
inline constexpr std::string_view kSpiritGallery = "https://mars.nasa.gov/mer/gallery/all/spirit.html";

// The gallery page of the rover without ".html" + "_" + camera field + sol field + ".html",
// all in lower case: Opportunity, "P", "7" gives ".../opportunity_p7.html". Rover 2 is
// Spirit, any other Opportunity.
std::string galleryAddress(int rover, std::string_view cameraField, std::string_view solField);

}  // namespace keldar::search
