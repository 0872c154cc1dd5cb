#pragma once
// The whole anaglyph computation from the two eye images and the three slider positions:
// Make Cyan (or Make Blue) of the right eye, Make Red of the left eye, MergeBitmaps,
// ContrastFunction and BrightnessFunction, fused into a single pass over the pixels.
//
// Each output byte is the merge of one byte of each layer followed by contrast and brightness,
// computed in 16-bit integer arithmetic that the compiler vectorises. The result is
// bit-identical to running the separate functions in order (the tests compare them at every
// slider position over every byte value).

#include "core/imaging/ImageBuffer.h"

#include <cstdint>
#include <vector>

namespace keldar::imaging {

enum class AnaglyphLayer {
    Cyan,  // right eye gives blue and green: red/cyan anaglyph
    Blue,  // right eye gives blue only: red/blue anaglyph
};

struct AnaglyphSettings {
    int merge = 50;       // percent, 0..100
    int contrast = 16;    // sixteenths, 0..100; 16 leaves bytes unchanged
    int brightness = 30;  // 0..100; 30 adds nothing
    AnaglyphLayer layer = AnaglyphLayer::Cyan;
};

// Positions outside 0..100 are clamped to the slider range.
AnaglyphSettings clampedSettings(const AnaglyphSettings& settings);

// The fused pass for single rows, for callers that stream rows (from a decoder to an
// encoder) instead of holding whole pictures. configure() keeps its per-row tables when
// the width, the merge position and the source kind are unchanged.
class AnaglyphRowPass {
public:
    enum class Source {
        Eyes,    // rows of the right and left eye images; settings.layer applies
        Layers,  // rows of an already built cyan (or blue) layer and red layer
    };

    void configure(const AnaglyphSettings& settings, int width, Source source = Source::Eyes);
    int width() const { return width_; }
    // Writes width() pixels; the three rows must each hold at least that many.
    void run(const std::uint8_t* first, const std::uint8_t* second, std::uint8_t* out) const;

private:
    int width_ = -1;
    int merge_ = -1;
    int kind_ = -1;  // 0 cyan eyes, 1 blue eyes, 2 layers
    std::uint16_t contrast_ = 16;
    std::int16_t offset_ = 0;
    std::vector<std::uint8_t> maskA_;     // 0xFF where an output byte comes from the first row
    std::vector<std::uint8_t> maskB_;     // 0xFF where it comes from the second row
    std::vector<std::uint16_t> weight_;   // its weight, w or 256 − w
    std::vector<std::uint16_t> weightA_;  // layers: w for every byte
    std::vector<std::uint16_t> weightB_;  // layers: 256 − w for every byte
};

// Builds the anaglyph into `out`, which is resized in place (no allocation when it already
// holds a picture at least as large). Result size: the least width and height of the eyes.
// `out` may be one of the eye images (it is then replaced through a new buffer).
void buildAnaglyph(const ImageBuffer& rightEye, const ImageBuffer& leftEye, const AnaglyphSettings& settings,
                   ImageBuffer& out);

// The same from already built layers (any content: every byte of both layers takes part in
// the merge, as MergeBitmaps defines it). `settings.layer` is ignored.
void buildAnaglyphFromLayers(const ImageBuffer& cyanLayer, const ImageBuffer& redLayer,
                             const AnaglyphSettings& settings, ImageBuffer& out);

// The step-by-step reference: the separate pixel functions in order, each into a new buffer.
ImageBuffer buildAnaglyphSequential(const ImageBuffer& rightEye, const ImageBuffer& leftEye,
                                    const AnaglyphSettings& settings);

}  // namespace keldar::imaging
