#include "core/imaging/PixelFunctions.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

// The row kernels below are plain loops over raw row pointers marked __restrict, written so
// that the compiler can vectorise them; nothing here touches a pixel through an accessor.

namespace keldar::imaging {

namespace {

using Byte = std::uint8_t;
using Table = std::array<Byte, 256>;

int minWidth(const ImageBuffer& a, const ImageBuffer& b) { return std::min(a.width(), b.width()); }
int minHeight(const ImageBuffer& a, const ImageBuffer& b) { return std::min(a.height(), b.height()); }

// Resizes `out` to the least size of the inputs (empty when any input is empty).
void resizeToLeast(ImageBuffer& out, int w, int h) {
    if (w <= 0 || h <= 0) {
        out.resize(0, 0);
    } else {
        out.resize(w, h);
    }
}

void layerRow(const Byte* __restrict in, Byte* __restrict out, int width, Byte keepB, Byte keepG, Byte keepR) {
    for (int x = 0; x < width; ++x) {
        out[3 * x + 0] = in[3 * x + 0] & keepB;
        out[3 * x + 1] = in[3 * x + 1] & keepG;
        out[3 * x + 2] = in[3 * x + 2] & keepR;
    }
}

void makeLayer(const ImageBuffer& in, ImageBuffer& out, Byte keepB, Byte keepG, Byte keepR) {
    if (&out == &in) {  // same size in place: the row kernel's pointers must not overlap
        ImageBuffer result;
        makeLayer(in, result, keepB, keepG, keepR);
        out = std::move(result);
        return;
    }
    out.resize(in.width(), in.height());
    for (int y = 0; y < out.height(); ++y) layerRow(in.row(y), out.row(y), in.width(), keepB, keepG, keepR);
}

// (w × a + (256 − w) × b) >> 8 over n bytes.
void blendRow(const Byte* __restrict a, const Byte* __restrict b, Byte* __restrict out, std::size_t n, unsigned w) {
    const unsigned v = 256 - w;
    for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<Byte>((w * a[i] + v * b[i]) >> 8);
}

void blendImages(const ImageBuffer& a, const ImageBuffer& b, int w, ImageBuffer& out) {
    if (&out == &a || &out == &b) {  // an output that is also an input goes through a new buffer
        ImageBuffer result;
        blendImages(a, b, w, result);
        out = std::move(result);
        return;
    }
    w = std::clamp(w, 0, 256);
    resizeToLeast(out, minWidth(a, b), minHeight(a, b));
    const std::size_t n = static_cast<std::size_t>(out.width()) * 3;
    for (int y = 0; y < out.height(); ++y) blendRow(a.row(y), b.row(y), out.row(y), n, static_cast<unsigned>(w));
}

void tableRow(const Byte* __restrict in, Byte* __restrict out, std::size_t n, const Byte* __restrict table) {
    for (std::size_t i = 0; i < n; ++i) out[i] = table[in[i]];
}

// Applies a per-byte table; in-place use (out == in) is allowed.
void applyTable(const ImageBuffer& in, const Table& table, ImageBuffer& out) {
    if (&out != &in) out.resize(in.width(), in.height());
    const std::size_t n = static_cast<std::size_t>(in.width()) * 3;
    for (int y = 0; y < in.height(); ++y) {
        if (&out == &in) {
            Byte* row = out.row(y);
            for (std::size_t i = 0; i < n; ++i) row[i] = table[row[i]];
        } else {
            tableRow(in.row(y), out.row(y), n, table.data());
        }
    }
}

// nearest(p × k / 16), ties to even, clamped to 255, for k ≤ 256: (q + 7 + bit 4 of q) >> 4
// rounds the remainder up from 9, and at 8 only when the quotient is odd.
void contrastRow(const Byte* __restrict in, Byte* __restrict out, std::size_t n, std::uint16_t k) {
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint16_t q = static_cast<std::uint16_t>(in[i] * k);
        const std::uint16_t r = static_cast<std::uint16_t>((q + 7 + ((q >> 4) & 1)) >> 4);
        out[i] = static_cast<Byte>(r > 255 ? 255 : r);
    }
}

// p + offset clamped to 0..255 (offset within ±1024).
void brightnessRow(const Byte* __restrict in, Byte* __restrict out, std::size_t n, std::int16_t offset) {
    for (std::size_t i = 0; i < n; ++i) {
        std::int16_t t = static_cast<std::int16_t>(in[i] + offset);
        t = t < 0 ? std::int16_t{0} : t;
        t = t > 255 ? std::int16_t{255} : t;
        out[i] = static_cast<Byte>(t);
    }
}

void invertRow(const Byte* __restrict in, Byte* __restrict out, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<Byte>(255 - in[i]);
}

void addWrapRow(const Byte* __restrict in, Byte* __restrict out, std::size_t n, Byte add) {
    for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<Byte>(in[i] + add);
}

// Runs a byte-wise row kernel from in to out, allowing out == in by working through a row
// copy only in that case (the kernels take __restrict pointers).
template <typename Kernel>
void byteWise(const ImageBuffer& in, ImageBuffer& out, Kernel kernel) {
    const std::size_t n = static_cast<std::size_t>(in.width()) * 3;
    if (&out == &in) {
        std::vector<Byte> tmp(n);
        for (int y = 0; y < in.height(); ++y) {
            std::memcpy(tmp.data(), out.row(y), n);
            kernel(tmp.data(), out.row(y), n);
        }
        return;
    }
    out.resize(in.width(), in.height());
    for (int y = 0; y < in.height(); ++y) kernel(in.row(y), out.row(y), n);
}

void combineThree(const ImageBuffer& r, const ImageBuffer& g, const ImageBuffer& b, ImageBuffer& out) {
    if (&out == &r || &out == &g || &out == &b) {  // an output that is also an input goes through a new buffer
        ImageBuffer result;
        combineThree(r, g, b, result);
        out = std::move(result);
        return;
    }
    const int w = std::min({r.width(), g.width(), b.width()});
    const int h = std::min({r.height(), g.height(), b.height()});
    resizeToLeast(out, w, h);
    for (int y = 0; y < out.height(); ++y) combineAllChannelsRow(r.row(y), g.row(y), b.row(y), out.row(y), out.width());
}

void fadeRow(Byte* __restrict row, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) row[i] = row[i] > 0 ? static_cast<Byte>(row[i] - 1) : Byte{0};
}

}  // namespace

// ---- slider arithmetic -------------------------------------------------------------------

int roundHalfEven(float x) { return static_cast<int>(std::nearbyint(x)); }
int roundHalfEven(double x) { return static_cast<int>(std::nearbyint(x)); }

float percentFraction(int position) { return static_cast<float>(position) / 100.0f; }
float brightnessFraction(int position) { return static_cast<float>(position) / 60.0f; }

int weightFromFraction(float fraction) {
    if (!(fraction > 0.0f)) return 0;  // also catches NaN
    if (fraction >= 1.0f) return 256;
    return std::clamp(roundHalfEven(fraction * 256.0f), 0, 256);
}

int weightFromPosition(int position) { return weightFromFraction(percentFraction(position)); }

int brightnessOffsetFromFraction(float fraction) {
    // Offsets beyond ±256 saturate every byte anyway; the clamp keeps the conversion defined.
    if (std::isnan(fraction)) return -128;
    const float scaled = std::clamp(fraction * 256.0f, -1024.0f, 1024.0f);
    return roundHalfEven(scaled) - 128;
}

std::uint8_t contrastByte(std::uint8_t p, int k) {
    // p × k / 16 is exact in single precision for every k used here (p × k < 2^24).
    k = std::clamp(k, 0, 4096);  // from 4096 on every non-zero byte saturates at 255 already
    const int v = roundHalfEven(static_cast<float>(p * k) / 16.0f);
    return static_cast<std::uint8_t>(std::clamp(v, 0, 255));
}

std::uint8_t brightnessByte(std::uint8_t p, int offset) {
    return static_cast<std::uint8_t>(std::clamp(static_cast<int>(p) + offset, 0, 255));
}

// ---- anaglyph builder --------------------------------------------------------------------

void makeCyan(const ImageBuffer& in, ImageBuffer& out) { makeLayer(in, out, 0xFF, 0xFF, 0x00); }
void makeBlue(const ImageBuffer& in, ImageBuffer& out) { makeLayer(in, out, 0xFF, 0x00, 0x00); }
void makeRed(const ImageBuffer& in, ImageBuffer& out) { makeLayer(in, out, 0x00, 0x00, 0xFF); }

ImageBuffer makeCyan(const ImageBuffer& in) {
    ImageBuffer out;
    makeCyan(in, out);
    return out;
}
ImageBuffer makeBlue(const ImageBuffer& in) {
    ImageBuffer out;
    makeBlue(in, out);
    return out;
}
ImageBuffer makeRed(const ImageBuffer& in) {
    ImageBuffer out;
    makeRed(in, out);
    return out;
}

void mergeBitmaps(const ImageBuffer& cyanLayer, const ImageBuffer& redLayer, float fraction, ImageBuffer& out) {
    blendImages(cyanLayer, redLayer, weightFromFraction(fraction), out);
}
ImageBuffer mergeBitmaps(const ImageBuffer& cyanLayer, const ImageBuffer& redLayer, float fraction) {
    ImageBuffer out;
    mergeBitmaps(cyanLayer, redLayer, fraction, out);
    return out;
}

void contrastFunction(const ImageBuffer& in, int position, ImageBuffer& out) {
    if (position >= 0 && position <= 256) {
        // p × k + 8 fits in 16 bits: the vectorised arithmetic form applies.
        const auto k = static_cast<std::uint16_t>(position);
        byteWise(in, out, [k](const Byte* a, Byte* b, std::size_t n) { contrastRow(a, b, n, k); });
        return;
    }
    Table table;
    for (int p = 0; p < 256; ++p) table[static_cast<std::size_t>(p)] = contrastByte(static_cast<Byte>(p), position);
    applyTable(in, table, out);
}
ImageBuffer contrastFunction(const ImageBuffer& in, int position) {
    ImageBuffer out;
    contrastFunction(in, position, out);
    return out;
}

void brightnessFunction(const ImageBuffer& in, float fraction, ImageBuffer& out) {
    const auto offset = static_cast<std::int16_t>(brightnessOffsetFromFraction(fraction));
    byteWise(in, out, [offset](const Byte* a, Byte* b, std::size_t n) { brightnessRow(a, b, n, offset); });
}
ImageBuffer brightnessFunction(const ImageBuffer& in, float fraction) {
    ImageBuffer out;
    brightnessFunction(in, fraction, out);
    return out;
}

// ---- colour composer -----------------------------------------------------------------------

void combineAllChannelsRow(const std::uint8_t* __restrict redRow, const std::uint8_t* __restrict greenRow,
                           const std::uint8_t* __restrict blueRow, std::uint8_t* __restrict out, int width) {
    for (int x = 0; x < width; ++x) {
        out[3 * x + 0] = blueRow[3 * x + 2];
        out[3 * x + 1] = greenRow[3 * x + 1];
        out[3 * x + 2] = redRow[3 * x + 0];
    }
}

void combineAllChannels(const ImageBuffer& redBand, const ImageBuffer& greenBand, const ImageBuffer& blueBand,
                        ImageBuffer& out) {
    combineThree(redBand, greenBand, blueBand, out);
}
ImageBuffer combineAllChannels(const ImageBuffer& redBand, const ImageBuffer& greenBand, const ImageBuffer& blueBand) {
    ImageBuffer out;
    combineAllChannels(redBand, greenBand, blueBand, out);
    return out;
}

void mergeGreenRed(const ImageBuffer& redBand, const ImageBuffer& greenBand, int w, ImageBuffer& out) {
    blendImages(redBand, greenBand, w, out);
}
void mergeGreenBlue(const ImageBuffer& blueBand, const ImageBuffer& greenBand, int w, ImageBuffer& out) {
    blendImages(blueBand, greenBand, w, out);
}
ImageBuffer mergeGreenRed(const ImageBuffer& redBand, const ImageBuffer& greenBand, int w) {
    ImageBuffer out;
    mergeGreenRed(redBand, greenBand, w, out);
    return out;
}
ImageBuffer mergeGreenBlue(const ImageBuffer& blueBand, const ImageBuffer& greenBand, int w) {
    ImageBuffer out;
    mergeGreenBlue(blueBand, greenBand, w, out);
    return out;
}

void controlGreen(const ImageBuffer& greenBand, float /*fraction*/, ImageBuffer& out) {
    if (&out == &greenBand) return;
    out.resize(greenBand.width(), greenBand.height());
    const std::size_t n = static_cast<std::size_t>(greenBand.width()) * 3;
    for (int y = 0; y < out.height(); ++y) std::memcpy(out.row(y), greenBand.row(y), n);
}
ImageBuffer controlGreen(const ImageBuffer& greenBand, float fraction) {
    ImageBuffer out;
    controlGreen(greenBand, fraction, out);
    return out;
}

void combineAllSliders(const ImageBuffer& processedRed, const ImageBuffer& greenReread, const ImageBuffer& processedBlue,
                       ImageBuffer& out) {
    combineThree(processedRed, greenReread, processedBlue, out);
}
ImageBuffer combineAllSliders(const ImageBuffer& processedRed, const ImageBuffer& greenReread,
                              const ImageBuffer& processedBlue) {
    ImageBuffer out;
    combineAllSliders(processedRed, greenReread, processedBlue, out);
    return out;
}

void invert(const ImageBuffer& in, ImageBuffer& out) { byteWise(in, out, invertRow); }
ImageBuffer invert(const ImageBuffer& in) {
    ImageBuffer out;
    invert(in, out);
    return out;
}

void solarize(const ImageBuffer& in, int w, ImageBuffer& out) {
    // (p + w) mod 256 only depends on w mod 256; 256 thus leaves the image as it is.
    const Byte add = static_cast<Byte>(((w % 256) + 256) % 256);
    byteWise(in, out, [add](const Byte* a, Byte* b, std::size_t n) { addWrapRow(a, b, n, add); });
}
ImageBuffer solarize(const ImageBuffer& in, int w) {
    ImageBuffer out;
    solarize(in, w, out);
    return out;
}

// ---- sunset fade ---------------------------------------------------------------------------

void sunsetFadePass(ImageBuffer& image) {
    for (int y = 0; y < image.height(); ++y) fadeRow(image.row(y), image.stride());
}

SunsetOutcome sunsetFade(ImageBuffer& image, const std::function<bool(int pass)>& afterPass, int passes) {
    if (image.height() < 2 || image.width() <= 0) return SunsetOutcome::BitmapError;
    for (int pass = 1; pass <= passes; ++pass) {
        sunsetFadePass(image);
        if (afterPass && !afterPass(pass)) return SunsetOutcome::Stopped;
    }
    return SunsetOutcome::Completed;
}

SunsetDelay parseSunsetDelay(std::string_view text) {
    SunsetDelay result;
    std::string_view t = text;
    while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
    while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.remove_suffix(1);
    bool negative = false;
    if (!t.empty() && (t.front() == '+' || t.front() == '-')) {
        negative = t.front() == '-';
        t.remove_prefix(1);
    }
    if (t.empty() || !std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        // Built by appending: GCC 12 at -O3 warns falsely on "literal" + std::string here.
        result.error.reserve(text.size() + 32);
        result.error.append(1, '\'').append(text).append("' is not a valid integer value");
        return result;
    }
    // Only whether the value passes 255 matters, so long digit strings need no big arithmetic.
    long long value = 0;
    for (char c : t) {
        value = value * 10 + (c - '0');
        if (value > kSunsetMaxDelayMs) break;
    }
    if (negative) value = -value;
    result.milliseconds = static_cast<int>(std::clamp<long long>(value, 0, kSunsetMaxDelayMs));
    return result;
}

}  // namespace keldar::imaging
