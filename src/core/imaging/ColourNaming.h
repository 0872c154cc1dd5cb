#pragma once
// The names of the colour composer: which band the current product fills, the band names
// derived from it, the filter codes read from the band file names, the filter suffix of a
// saved composite and its proposed save name. No file is touched here.

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/imaging/AnaglyphNaming.h"

namespace keldar::imaging {

// The three band slots, in the order the composite's channels are named.
enum class Band { Red = 0, Green = 1, Blue = 2 };
inline constexpr std::array<Band, 3> kAllBands = {Band::Red, Band::Green, Band::Blue};

// The left panoramic camera's filter digit of each band: 4 red, 5 green, 6 blue.
char bandFilterDigit(Band band);

// Which bands a product fills by itself: a left-eye image through filter 4, 5 or 6 fills red,
// green or blue; everything else nothing.
struct BandPicks {
    std::array<bool, 3> picked{};
    bool operator[](Band band) const { return picked[static_cast<std::size_t>(band)]; }
    bool& operator[](Band band) { return picked[static_cast<std::size_t>(band)]; }
};
BandPicks bandsPickedBy(std::string_view eyeLetter, std::string_view filterDigit);

// eye prefix + filter digit + "M1" + extension: the current identifier with its filter
// replaced and producer and version forced to "M" and "1".
std::string derivedBandName(std::string_view eyePrefix, Band band, std::string_view extension);

// The eye letter and filter digit of a band file name (characters 23 and 24); shorter when
// the name is.
std::string bandFilterCode(std::string_view fileName);

// "-" + red + green + blue code (the straight combination: -L4L5L6), and the blended
// combination's form with the green code three times (-L4L5L5L5L6).
std::string straightFilterSuffix(std::string_view red, std::string_view green, std::string_view blue);
std::string blendedFilterSuffix(std::string_view red, std::string_view green, std::string_view blue);

// The composer's save dialog filter list (no ";" after the last pattern of "All") and the
// entry it opens on; the format follows the anaglyph rule (anaglyphSaveTarget): entry 2
// writes JPEG, every other entry BMP.
inline constexpr std::string_view kColourSaveFilterText =
    "All (*.jpg;*.jpeg;*.bmp)|*.jpg;*.jpeg;*.bmp|JPEG Image File (*.jpg)|*.jpg|"
    "JPEG Image File (*.jpeg)|*.jpeg|Bitmaps (*.bmp)|*.bmp";
inline constexpr int kColourPreselectedFilter = 2;

// base + suffix + "-0" + counter, the first counter whose "-0" name with ".jpg" is free in
// `directory`; a solarized picture is proposed as base + suffix + "-Solarized0" + counter.
// A counter whose proposed name exists as ".jpg" or ".bmp" is passed too, so every save,
// JPEG or bitmap, is offered a free name.
std::optional<AnaglyphNameProposal> proposeColourName(std::string_view directory, std::string_view base,
                                                      std::string_view suffix, bool solarized,
                                                      const std::function<bool(const std::string& path)>& exists,
                                                      int maxCounter = kMaxAnaglyphCounter);

}  // namespace keldar::imaging
