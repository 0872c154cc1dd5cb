#pragma once
// Colour composites from three greyscale band images (red, green, blue filters).
//
// The straight combination takes each band's grey value as its channel. The blended
// ("mer2rgb") combination blends the red and the blue band each with the green band, and takes
// the green channel from the green band after one JPEG encode/decode at quality 100, as the
// composer does by writing the green band to a temporary JPEG file and reading it back.

#include "core/imaging/ImageBuffer.h"

#include <string>

namespace keldar::imaging {

inline constexpr int kMer2RgbDefaultRed = 70;   // red slider position after "MER2RGB Method"
inline constexpr int kMer2RgbDefaultBlue = 70;  // blue slider position after "MER2RGB Method"

// One JPEG encode at `quality` and decode, in memory: the pixels a picture has after it was
// written to a JPEG file and read back. Returns "" on success; fails for an empty picture.
std::string jpegRoundTrip(const ImageBuffer& picture, ImageBuffer& out, int quality = 100);

// CombineAllChannels of the three bands into `out` (least width and height of the three).
void straightCombination(const ImageBuffer& redBand, const ImageBuffer& greenBand, const ImageBuffer& blueBand,
                         ImageBuffer& out);

// Intermediate pictures of the blended combination, kept for the composer's thumbnails.
struct Mer2RgbImages {
    ImageBuffer processedRed;   // MergeGreenRed(red band, green band, w(red slider))
    ImageBuffer processedBlue;  // MergeGreenBlue(blue band, green band, w(blue slider))
    ImageBuffer greenReread;    // the green band after a quality-100 JPEG round trip
    ImageBuffer composite;      // CombineAllSliders(processedRed, greenReread, processedBlue)
};

// Slider positions 0..100 (outside values are clamped). Returns "" on success; fails only
// when the green band cannot pass through JPEG (for instance when it is empty).
std::string mer2rgbCombination(const ImageBuffer& redBand, const ImageBuffer& greenBand, const ImageBuffer& blueBand,
                               int redPosition, int bluePosition, Mer2RgbImages& out);
std::string mer2rgbCombination(const ImageBuffer& redBand, const ImageBuffer& greenBand, const ImageBuffer& blueBand,
                               int redPosition, int bluePosition, ImageBuffer& composite);

}  // namespace keldar::imaging
