#include "core/imaging/AnaglyphPipeline.h"

#include "core/imaging/PixelFunctions.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace keldar::imaging {

namespace {

using Byte = std::uint8_t;
using Table = std::array<Byte, 256>;

// Contrast then brightness for one byte value, from the same per-byte arithmetic the
// separate functions use.
Table toneTable(const AnaglyphSettings& s) {
    const int offset = brightnessOffsetFromFraction(brightnessFraction(s.brightness));
    Table t;
    for (int p = 0; p < 256; ++p) {
        t[static_cast<std::size_t>(p)] = brightnessByte(contrastByte(static_cast<Byte>(p), s.contrast), offset);
    }
    return t;
}

void cyanRow(const Byte* __restrict right, const Byte* __restrict left, Byte* __restrict out, int width,
             const Byte* __restrict rightTable, const Byte* __restrict leftTable) {
    for (int x = 0; x < width; ++x) {
        out[3 * x + 0] = rightTable[right[3 * x + 0]];
        out[3 * x + 1] = rightTable[right[3 * x + 1]];
        out[3 * x + 2] = leftTable[left[3 * x + 2]];
    }
}

void blueRow(const Byte* __restrict right, const Byte* __restrict left, Byte* __restrict out, int width,
             const Byte* __restrict rightTable, const Byte* __restrict leftTable, Byte green) {
    for (int x = 0; x < width; ++x) {
        out[3 * x + 0] = rightTable[right[3 * x + 0]];
        out[3 * x + 1] = green;
        out[3 * x + 2] = leftTable[left[3 * x + 2]];
    }
}

void layersRow(const Byte* __restrict cyan, const Byte* __restrict red, Byte* __restrict out, std::size_t n,
               unsigned w, const Byte* __restrict tone) {
    const unsigned v = 256 - w;
    for (std::size_t i = 0; i < n; ++i) out[i] = tone[(w * cyan[i] + v * red[i]) >> 8];
}

}  // namespace

AnaglyphSettings clampedSettings(const AnaglyphSettings& settings) {
    AnaglyphSettings s = settings;
    s.merge = std::clamp(s.merge, kSliderMin, kSliderMax);
    s.contrast = std::clamp(s.contrast, kSliderMin, kSliderMax);
    s.brightness = std::clamp(s.brightness, kSliderMin, kSliderMax);
    return s;
}

void buildAnaglyph(const ImageBuffer& rightEye, const ImageBuffer& leftEye, const AnaglyphSettings& settings,
                   ImageBuffer& out) {
    const AnaglyphSettings s = clampedSettings(settings);
    const unsigned w = static_cast<unsigned>(weightFromPosition(s.merge));
    const Table tone = toneTable(s);
    // The cyan layer's red byte and the red layer's blue and green bytes are zero, so each
    // merged byte is a scaled copy of one eye's byte; fold that scaling into the tables.
    Table rightTable;
    Table leftTable;
    for (unsigned p = 0; p < 256; ++p) {
        rightTable[p] = tone[(w * p) >> 8];
        leftTable[p] = tone[((256 - w) * p) >> 8];
    }
    const int width = std::min(rightEye.width(), leftEye.width());
    const int height = std::min(rightEye.height(), leftEye.height());
    if (width <= 0 || height <= 0) {
        out.resize(0, 0);
        return;
    }
    out.resize(width, height);
    for (int y = 0; y < height; ++y) {
        if (s.layer == AnaglyphLayer::Cyan) {
            cyanRow(rightEye.row(y), leftEye.row(y), out.row(y), width, rightTable.data(), leftTable.data());
        } else {
            blueRow(rightEye.row(y), leftEye.row(y), out.row(y), width, rightTable.data(), leftTable.data(), tone[0]);
        }
    }
}

void buildAnaglyphFromLayers(const ImageBuffer& cyanLayer, const ImageBuffer& redLayer,
                             const AnaglyphSettings& settings, ImageBuffer& out) {
    const AnaglyphSettings s = clampedSettings(settings);
    const unsigned w = static_cast<unsigned>(weightFromPosition(s.merge));
    const Table tone = toneTable(s);
    const int width = std::min(cyanLayer.width(), redLayer.width());
    const int height = std::min(cyanLayer.height(), redLayer.height());
    if (width <= 0 || height <= 0) {
        out.resize(0, 0);
        return;
    }
    out.resize(width, height);
    const std::size_t n = static_cast<std::size_t>(width) * 3;
    for (int y = 0; y < height; ++y) layersRow(cyanLayer.row(y), redLayer.row(y), out.row(y), n, w, tone.data());
}

ImageBuffer buildAnaglyphSequential(const ImageBuffer& rightEye, const ImageBuffer& leftEye,
                                    const AnaglyphSettings& settings) {
    const AnaglyphSettings s = clampedSettings(settings);
    const ImageBuffer cyan = s.layer == AnaglyphLayer::Cyan ? makeCyan(rightEye) : makeBlue(rightEye);
    const ImageBuffer red = makeRed(leftEye);
    const ImageBuffer merged = mergeBitmaps(cyan, red, percentFraction(s.merge));
    const ImageBuffer contrasted = contrastFunction(merged, s.contrast);
    return brightnessFunction(contrasted, brightnessFraction(s.brightness));
}

}  // namespace keldar::imaging
