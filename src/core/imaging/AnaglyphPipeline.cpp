#include "core/imaging/AnaglyphPipeline.h"

#include "core/imaging/PixelFunctions.h"

#include <algorithm>
#include <utility>

namespace keldar::imaging {

namespace {

using Byte = std::uint8_t;

// ContrastFunction then BrightnessFunction of a merged byte m in 16-bit arithmetic, exact for
// k ≤ 100 and any offset. nearest(q / 16) with ties to even is (q + 7 + bit 4 of q) >> 4: the
// remainder rounds up from 9, and at 8 only when the quotient is odd.
inline Byte tone(std::uint16_t m, std::uint16_t k, std::int16_t offset) {
    const std::uint16_t q = static_cast<std::uint16_t>(m * k);
    std::uint16_t r = static_cast<std::uint16_t>((q + 7 + ((q >> 4) & 1)) >> 4);
    r = r > 255 ? std::uint16_t{255} : r;
    std::int16_t t = static_cast<std::int16_t>(r + offset);
    t = t < 0 ? std::int16_t{0} : t;
    t = t > 255 ? std::int16_t{255} : t;
    return static_cast<Byte>(t);
}

// The row kernels are compiled twice, for AVX2 and for the x86-64 baseline, and the loader
// picks one for the running processor: twice the vector width halves the time of the pass.
// Sanitizer builds keep the baseline only: the loader runs the selector before a thread
// sanitizer's runtime is up, and the baseline code gets tested that way.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(__SANITIZE_ADDRESS__) && \
    !defined(__SANITIZE_THREAD__)
#define KELDAR_ROW_KERNEL __attribute__((target_clones("avx2", "default")))
#else
#define KELDAR_ROW_KERNEL
#endif

// Eye rows: output byte i takes one byte only, the right eye's where the cyan (or blue) layer
// keeps it, weighted w, or the left eye's red byte, weighted 256 − w. A layer's dropped bytes
// are zero and add nothing to MergeBitmaps, so this is exactly the merge of the two layers.
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

// Layer rows: every byte merges both layers.
KELDAR_ROW_KERNEL
void layersRow(const Byte* __restrict a, const Byte* __restrict b, Byte* __restrict out,
               const std::uint16_t* __restrict wa, const std::uint16_t* __restrict wb, std::size_t n, std::uint16_t k,
               std::int16_t offset) {
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint16_t m = static_cast<std::uint16_t>(static_cast<std::uint16_t>(wa[i] * a[i] + wb[i] * b[i]) >> 8);
        out[i] = tone(m, k, offset);
    }
}

void runPass(const ImageBuffer& a, const ImageBuffer& b, const AnaglyphSettings& settings,
             AnaglyphRowPass::Source source, ImageBuffer& out) {
    if (&out == &a || &out == &b) {  // an output that is also an input goes through a new buffer
        ImageBuffer result;
        runPass(a, b, settings, source, result);
        out = std::move(result);
        return;
    }
    const int width = std::min(a.width(), b.width());
    const int height = std::min(a.height(), b.height());
    if (width <= 0 || height <= 0) {
        out.resize(0, 0);
        return;
    }
    out.resize(width, height);
    // The per-row tables are kept per thread, so that a slider drag neither recomputes nor
    // reallocates them.
    thread_local AnaglyphRowPass pass;
    pass.configure(settings, width, source);
    for (int y = 0; y < height; ++y) pass.run(a.row(y), b.row(y), out.row(y));
}

}  // namespace

AnaglyphSettings clampedSettings(const AnaglyphSettings& settings) {
    AnaglyphSettings s = settings;
    s.merge = std::clamp(s.merge, kSliderMin, kSliderMax);
    s.contrast = std::clamp(s.contrast, kSliderMin, kSliderMax);
    s.brightness = std::clamp(s.brightness, kSliderMin, kSliderMax);
    return s;
}

void AnaglyphRowPass::configure(const AnaglyphSettings& settings, int width, Source source) {
    const AnaglyphSettings s = clampedSettings(settings);
    width = std::max(width, 0);
    contrast_ = static_cast<std::uint16_t>(s.contrast);
    offset_ = static_cast<std::int16_t>(brightnessOffsetFromFraction(brightnessFraction(s.brightness)));
    const int kind = source == Source::Layers ? 2 : (s.layer == AnaglyphLayer::Cyan ? 0 : 1);
    if (width == width_ && s.merge == merge_ && kind == kind_) return;

    const auto w = static_cast<std::uint16_t>(weightFromPosition(s.merge));
    const auto v = static_cast<std::uint16_t>(256 - w);
    const std::size_t n = static_cast<std::size_t>(width) * 3;
    if (kind == 2) {
        weightA_.assign(n, w);
        weightB_.assign(n, v);
    } else {
        maskA_.assign(n, 0);
        maskB_.assign(n, 0);
        weight_.assign(n, 0);
        for (std::size_t i = 0; i < n; i += 3) {
            maskA_[i] = 0xFF;  // blue from the right eye
            weight_[i] = w;
            if (kind == 0) {
                maskA_[i + 1] = 0xFF;  // green from the right eye
                weight_[i + 1] = w;
            }
            maskB_[i + 2] = 0xFF;  // red from the left eye
            weight_[i + 2] = v;
        }
    }
    width_ = width;
    merge_ = s.merge;
    kind_ = kind;
}

void AnaglyphRowPass::run(const std::uint8_t* first, const std::uint8_t* second, std::uint8_t* out) const {
    if (width_ <= 0) return;
    const std::size_t n = static_cast<std::size_t>(width_) * 3;
    if (kind_ == 2) {
        layersRow(first, second, out, weightA_.data(), weightB_.data(), n, contrast_, offset_);
    } else {
        eyesRow(first, second, out, maskA_.data(), maskB_.data(), weight_.data(), n, contrast_, offset_);
    }
}

void buildAnaglyph(const ImageBuffer& rightEye, const ImageBuffer& leftEye, const AnaglyphSettings& settings,
                   ImageBuffer& out) {
    runPass(rightEye, leftEye, settings, AnaglyphRowPass::Source::Eyes, out);
}

void buildAnaglyphFromLayers(const ImageBuffer& cyanLayer, const ImageBuffer& redLayer,
                             const AnaglyphSettings& settings, ImageBuffer& out) {
    runPass(cyanLayer, redLayer, settings, AnaglyphRowPass::Source::Layers, out);
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
