#pragma once
// Every web address the link pages open, written once. The author's own pages and mail address
// are the project's placeholders under example.org.

#include <QLatin1String>

#include "core/search/SolSearch.h"

namespace keldar::ui::web {

// The rovers and the mission.
// The gallery pages are the SOL searcher's too: the search rules keep them.
inline constexpr QLatin1String kOpportunityGallery{search::kOpportunityGallery.data(),
                                                   static_cast<qsizetype>(search::kOpportunityGallery.size())};
inline constexpr QLatin1String kSpiritGallery{search::kSpiritGallery.data(),
                                              static_cast<qsizetype>(search::kSpiritGallery.size())};
inline constexpr QLatin1String kMissionHome{"https://mars.nasa.gov/mer/"};

// The author.
inline constexpr QLatin1String kAuthorHome{"https://keldar.example.org/"};
inline constexpr QLatin1String kAuthorMail{"keldar@example.org"};
inline constexpr QLatin1String kAuthorStamps{"https://keldar.example.org/mars-stamps.html"};

// Space education and the Red Rover projects.
inline constexpr QLatin1String kStudentInitiative{"https://www.sseti.net/"};
inline constexpr QLatin1String kStudentSociety{"https://seds.org/"};
inline constexpr QLatin1String kToyRoverProject{"http://mars.lego.com/"};
inline constexpr QLatin1String kToyMakerHome{"https://www.lego.com/"};
inline constexpr QLatin1String kPlanetaryExplore{"https://www.planetary.org/space-missions"};
inline constexpr QLatin1String kPlanetaryRedRover{"https://www.planetary.org/rrgtm/"};
inline constexpr QLatin1String kPlanetaryHome{"https://www.planetary.org/"};

// Mars-related sites and tools.
inline constexpr QLatin1String kPancamImages{"https://pancam.sese.asu.edu/"};
inline constexpr QLatin1String kPdsSoftware{"https://pds.nasa.gov/tools/about/"};
inline constexpr QLatin1String kMaestro{"http://mars.telascience.org/"};
inline constexpr QLatin1String kImageJ{"https://imagej.net/ij/"};
inline constexpr QLatin1String kGeologySiteName{"PDS Geosciences Node"};
inline constexpr QLatin1String kGeologyHome{"https://pds-geosciences.wustl.edu/"};
inline constexpr QLatin1String kGeologyLinks{"https://pds-geosciences.wustl.edu/missions/mer/"};
inline constexpr QLatin1String kRoverBlog{"https://www.planetary.org/articles"};
inline constexpr QLatin1String kNewsSiteName{"Mars Daily"};
inline constexpr QLatin1String kNewsSite{"https://www.marsdaily.com/"};
inline constexpr QLatin1String kColourImageDatabase{"https://photojournal.jpl.nasa.gov/"};
inline constexpr QLatin1String kCoinNews{"https://www.coinworld.com/news"};
inline constexpr QLatin1String kSpaceCoinShop{"https://catalog.usmint.gov/"};
inline constexpr QLatin1String kRoverFanSite{"https://www.unmannedspaceflight.com/"};
inline constexpr QLatin1String kStitcher{"http://matthewalunbrown.com/autostitch/autostitch.html"};
inline constexpr QLatin1String kHiriseViewer{"https://www.uahirise.org/hiview/"};
inline constexpr QLatin1String kExploratoriumMars{"https://www.exploratorium.edu/mars/"};

}  // namespace keldar::ui::web
