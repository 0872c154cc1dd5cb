#pragma once
// Colour composites from three greyscale band images (red, green, blue filters).
//
// The straight combination takes each band's grey value as its channel. The blended
// ("mer2rgb") combination blends the red and the blue band each with the green band, and takes
// the green channel from the green band after one JPEG encode/decode at quality 100, as the
// composer does by writing the green band to a temporary JPEG file and reading it back.

#include "core/imaging/ImageBuffer.h"

#include <cstdint>
#include <functional>
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

// The blended combination row by row, for callers that stream rows instead of holding whole
// pictures; its output is byte for byte that of mer2rgbCombination.
//
// The green band's JPEG round trip is done a strip of rows at a time. That gives exactly the
// pixels of the whole band's round trip because at quality 100 with 4:4:4 sampling every 8 × 8
// block is coded and decoded on its own (no chroma subsampling, hence no upsampling across
// blocks; block smoothing applies to progressive files only), strips start on block
// boundaries, and a strip ends either on a block boundary or where the band itself ends, so
// the edge blocks are padded as in the whole band. The green band is cut to the composite's
// size rounded up to whole blocks, which leaves every block that reaches the composite intact.
class Mer2RgbRowPass {
public:
    using Emit = std::function<std::string(const std::uint8_t* row)>;

    // width × height is the composite's size (the least of the three bands), greenWidth ×
    // greenHeight the green band's. Slider positions as mer2rgbCombination takes them.
    std::string configure(int redPosition, int bluePosition, int width, int height, int greenWidth,
                          int greenHeight);
    // Rows to push: those of the composite and the green rows its last blocks reach.
    int rowsToPush() const { return greenRows_; }
    // Row y of each band from the top (y counting the calls), at least the composite's width
    // wide; green rows at least greenColumns() wide. Red and blue are not read from row
    // height() on. Finished composite rows go to `emit`, from the top, with some delay; the
    // first error `emit` returns ends the pass.
    std::string push(const std::uint8_t* redRow, const std::uint8_t* greenRow, const std::uint8_t* blueRow,
                     const Emit& emit);
    int greenColumns() const { return greenColumns_; }
    int height() const { return height_; }

private:
    std::string flushStrip(const Emit& emit);

    static constexpr int kStripRows = 32;  // a multiple of the 8-row JPEG block
    int wRed_ = 0;
    int wBlue_ = 0;
    int width_ = 0;
    int height_ = 0;
    int greenColumns_ = 0;
    int greenRows_ = 0;
    int pushed_ = 0;
    int stripStart_ = 0;
    ImageBuffer greenStrip_;  // green rows since stripStart_, cut to greenColumns_
    ImageBuffer pending_;     // composite rows since stripStart_, green channel still to come
    ImageBuffer reread_;
};

}  // namespace keldar::imaging
