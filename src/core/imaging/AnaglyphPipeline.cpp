#include "core/imaging/AnaglyphPipeline.h"

#include "core/imaging/PixelFunctions.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace keldar::imaging {

namespace {

using Byte = std::uint8_t;

// Per-byte constants of one row. For the eye images, output byte i merges one byte only:
// the right eye's byte where the cyan (or blue) layer keeps it, weighted w, or the left eye's
// red byte, weighted 256 − w; a layer's dropped bytes are zero and add nothing to MergeBitmaps.
// For explicit layers every byte merges both layers with w and 256 − w.
struct RowConstants {
    std::vector<std::uint8_t> maskA;    // 0xFF where the byte comes from the first image
    std::vector<std::uint8_t> maskB;    // 0xFF where it comes from the second image
    std::vector<std::uint16_t> weight;  // w or 256 − w for that byte
    std::vector<std::uint16_t> weightA; // explicit layers: w everywhere
    std::vector<std::uint16_t> weightB; // explicit layers: 256 − w everywhere
};

// ContrastFunction then BrightnessFunction of a merged byte m in 16-bit arithmetic, exact for
// k ≤ 100 and any offset. nearest(q / 16) with ties to even is (q + 7 + bit 4 of q) >> 4: the
// remainder rounds up from 9, and at 8 only when the quotient is odd.
inline std::uint8_t tone(std::uint16_t m, std::uint16_t k, std::int16_t offset) {
    const std::uint16_t q = static_cast<std::uint16_t>(m * k);
    std::uint16_t r = static_cast<std::uint16_t>((q + 7 + ((q >> 4) & 1)) >> 4);
    r = r > 255 ? std::uint16_t{255} : r;
    std::int16_t t = static_cast<std::int16_t>(r + offset);
    t = t < 0 ? std::int16_t{0} : t;
    t = t > 255 ? std::int16_t{255} : t;
    return static_cast<std::uint8_t>(t);
}

// The row kernels are compiled twice, for AVX2 and for the x86-64 baseline, and the loader
// picks one for the running processor: twice the vector width halves the time of the pass.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define KELDAR_ROW_KERNEL __attribute__((target_clones("avx2", "default")))
#else
#define KELDAR_ROW_KERNEL
#endif

KELDAR_ROW_KERNEL
void eyesRow(const Byte* __restrict a, const Byte* __restrict b, Byte* __restrict out,
             const std::uint8_t* __restrict maskA, const std::uint8_t* __restrict maskB,
             const std::uint16_t* __restrict weight, std::size_t n, std::uint16_t k, std::int16_t offset) {
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint8_t x = static_cast<std::uint8_t>((a[i] & maskA[i]) | (b[i] & maskB[i]));
        const std::uint16_t m = static_cast<std::uint16_t>(static_cast<std::uint16_t>(x * weight[i]) >> 8);
        out[i] = tone(m, k, offset);
    }
}

KELDAR_ROW_KERNEL
void layersRow(const Byte* __restrict a, const Byte* __restrict b, Byte* __restrict out,
               const std::uint16_t* __restrict wa, const std::uint16_t* __restrict wb, std::size_t n, std::uint16_t k,
               std::int16_t offset) {
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint16_t m = static_cast<std::uint16_t>(static_cast<std::uint16_t>(wa[i] * a[i] + wb[i] * b[i]) >> 8);
        out[i] = tone(m, k, offset);
    }
}

enum class Mode { CyanEyes, BlueEyes, Layers };

// The row constants depend only on the width, the merge position and the mode. They are
// small (a few bytes per byte of one row) and kept per thread, so that a slider drag
// neither recomputes nor reallocates them.
const RowConstants& constantsFor(int width, int merge, Mode mode) {
    struct Cache {
        int width = -1;
        int merge = -1;
        Mode mode = Mode::CyanEyes;
        RowConstants constants;
    };
    thread_local Cache cache;
    if (cache.width == width && cache.merge == merge && cache.mode == mode) return cache.constants;
    const auto w = static_cast<std::uint16_t>(weightFromPosition(merge));
    const auto v = static_cast<std::uint16_t>(256 - w);
    const std::size_t n = static_cast<std::size_t>(width) * 3;
    RowConstants& c = cache.constants;
    c.maskA.assign(n, 0);
    c.maskB.assign(n, 0);
    c.weight.assign(n, 0);
    c.weightA.assign(mode == Mode::Layers ? n : 0, w);
    c.weightB.assign(mode == Mode::Layers ? n : 0, v);
    if (mode != Mode::Layers) {
        for (std::size_t i = 0; i < n; i += 3) {
            c.maskA[i] = 0xFF;  // blue from the right eye
            c.weight[i] = w;
            if (mode == Mode::CyanEyes) {
                c.maskA[i + 1] = 0xFF;  // green from the right eye
                c.weight[i + 1] = w;
            }
            c.maskB[i + 2] = 0xFF;  // red from the left eye
            c.weight[i + 2] = v;
        }
    }
    cache.width = width;
    cache.merge = merge;
    cache.mode = mode;
    return c;
}

void runFused(const ImageBuffer& a, const ImageBuffer& b, Mode mode, const AnaglyphSettings& s, ImageBuffer& out) {
    const int width = std::min(a.width(), b.width());
    const int height = std::min(a.height(), b.height());
    if (width <= 0 || height <= 0) {
        out.resize(0, 0);
        return;
    }
    out.resize(width, height);
    const RowConstants& c = constantsFor(width, s.merge, mode);
    const std::size_t n = static_cast<std::size_t>(width) * 3;
    const auto k = static_cast<std::uint16_t>(s.contrast);
    const auto offset = static_cast<std::int16_t>(brightnessOffsetFromFraction(brightnessFraction(s.brightness)));
    for (int y = 0; y < height; ++y) {
        if (mode == Mode::Layers) {
            layersRow(a.row(y), b.row(y), out.row(y), c.weightA.data(), c.weightB.data(), n, k, offset);
        } else {
            eyesRow(a.row(y), b.row(y), out.row(y), c.maskA.data(), c.maskB.data(), c.weight.data(), n, k, offset);
        }
    }
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
    runFused(rightEye, leftEye, s.layer == AnaglyphLayer::Cyan ? Mode::CyanEyes : Mode::BlueEyes, s, out);
}

void buildAnaglyphFromLayers(const ImageBuffer& cyanLayer, const ImageBuffer& redLayer,
                             const AnaglyphSettings& settings, ImageBuffer& out) {
    runFused(cyanLayer, redLayer, Mode::Layers, clampedSettings(settings), out);
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
