#pragma once
// Pure pixel functions of the anaglyph builder, the colour composer and the sunset fade.
//
// All images are 24-bit image buffers (bytes blue, green, red). Where two or three images
// meet, the result has the least width and the least height of the inputs, all anchored at
// the top-left pixel. Where arithmetic rounds, it rounds to the nearest integer with ties to
// the even integer, and slider fractions are single-precision values, so that results are
// reproducible byte for byte.
//
// Every function comes in two forms: one that writes into a caller-owned output buffer
// (resized in place, so a buffer reused across slider changes is not reallocated), and one
// that returns a new buffer. The output may be one of the inputs; the single-input byte-wise
// functions (contrastFunction, brightnessFunction, invert, solarize) then work in place, the
// others through a new buffer.

#include "core/imaging/ImageBuffer.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace keldar::imaging {

// ---- slider arithmetic -------------------------------------------------------------------

inline constexpr int kSliderMin = 0;
inline constexpr int kSliderMax = 100;

// Nearest integer, ties to even, in the default floating-point rounding mode.
int roundHalfEven(float x);
int roundHalfEven(double x);

// Merge and blend fractions: position / 100 in single precision.
float percentFraction(int position);
// Brightness fraction: position / 60 in single precision.
float brightnessFraction(int position);
// w = nearest(fraction × 256), clamped to 0..256. Position 49 gives 125, 50 gives 128,
// 70 gives 179, 100 gives 256.
int weightFromFraction(float fraction);
int weightFromPosition(int position);  // weightFromFraction(percentFraction(position))
// nearest(fraction × 256) − 128: Brightness 0 gives −128, 30 gives 0, 100 gives +299.
int brightnessOffsetFromFraction(float fraction);

// Per-byte results, exposed so that fused passes can build lookup tables from the very same
// arithmetic. contrastByte: nearest(p × k / 16) clamped to 0..255; brightnessByte: p + offset
// clamped to 0..255.
std::uint8_t contrastByte(std::uint8_t p, int k);
std::uint8_t brightnessByte(std::uint8_t p, int offset);

// ---- anaglyph builder --------------------------------------------------------------------

// Make Cyan: (B, G, 0). Make Blue: (B, 0, 0). Make Red: (0, 0, R). Output has the input's size.
void makeCyan(const ImageBuffer& in, ImageBuffer& out);
void makeBlue(const ImageBuffer& in, ImageBuffer& out);
void makeRed(const ImageBuffer& in, ImageBuffer& out);
ImageBuffer makeCyan(const ImageBuffer& in);
ImageBuffer makeBlue(const ImageBuffer& in);
ImageBuffer makeRed(const ImageBuffer& in);

// MergeBitmaps: every byte is (w × cyan byte + (256 − w) × red byte) >> 8 with
// w = weightFromFraction(fraction); fraction is the Merge position / 100.
void mergeBitmaps(const ImageBuffer& cyanLayer, const ImageBuffer& redLayer, float fraction, ImageBuffer& out);
ImageBuffer mergeBitmaps(const ImageBuffer& cyanLayer, const ImageBuffer& redLayer, float fraction);

// ContrastFunction: every byte p becomes nearest(p × k / 16) clamped to 0..255, k = the
// Contrast position (16 leaves the image unchanged, 0 gives black).
void contrastFunction(const ImageBuffer& in, int position, ImageBuffer& out);
ImageBuffer contrastFunction(const ImageBuffer& in, int position);

// BrightnessFunction: every byte p becomes p + offset clamped to 0..255, offset =
// brightnessOffsetFromFraction(fraction); fraction is the Brightness position / 60.
void brightnessFunction(const ImageBuffer& in, float fraction, ImageBuffer& out);
ImageBuffer brightnessFunction(const ImageBuffer& in, float fraction);

// ---- colour composer -----------------------------------------------------------------------

// CombineAllChannels (straight combination): output red = byte 0 of the red band, output
// green = byte 1 of the green band, output blue = byte 2 of the blue band.
void combineAllChannels(const ImageBuffer& redBand, const ImageBuffer& greenBand, const ImageBuffer& blueBand,
                        ImageBuffer& out);
ImageBuffer combineAllChannels(const ImageBuffer& redBand, const ImageBuffer& greenBand, const ImageBuffer& blueBand);
// The same for one row of `width` pixels, for callers that stream rows; also the row step of
// CombineAllSliders, which picks the same bytes.
void combineAllChannelsRow(const std::uint8_t* redRow, const std::uint8_t* greenRow, const std::uint8_t* blueRow,
                           std::uint8_t* out, int width);

// MergeGreenRed / MergeGreenBlue: every byte is (w × band byte + (256 − w) × green byte) >> 8,
// w in 0..256 (clamped), usually weightFromPosition(slider).
void mergeGreenRed(const ImageBuffer& redBand, const ImageBuffer& greenBand, int w, ImageBuffer& out);
void mergeGreenBlue(const ImageBuffer& blueBand, const ImageBuffer& greenBand, int w, ImageBuffer& out);
ImageBuffer mergeGreenRed(const ImageBuffer& redBand, const ImageBuffer& greenBand, int w);
ImageBuffer mergeGreenBlue(const ImageBuffer& blueBand, const ImageBuffer& greenBand, int w);

// ControlGreen: an exact copy of the green band; the green slider's fraction is accepted and,
// as in the window it serves, not used.
void controlGreen(const ImageBuffer& greenBand, float fraction, ImageBuffer& out);
ImageBuffer controlGreen(const ImageBuffer& greenBand, float fraction = 1.0f);

// CombineAllSliders: output red = byte 0 of processed red, green = byte 1 of the green
// re-read, blue = byte 2 of processed blue.
void combineAllSliders(const ImageBuffer& processedRed, const ImageBuffer& greenReread, const ImageBuffer& processedBlue,
                       ImageBuffer& out);
ImageBuffer combineAllSliders(const ImageBuffer& processedRed, const ImageBuffer& greenReread,
                              const ImageBuffer& processedBlue);

// Invert: every byte p becomes 255 − p.
void invert(const ImageBuffer& in, ImageBuffer& out);
ImageBuffer invert(const ImageBuffer& in);

// Solarize: every byte p becomes (p + w) modulo 256; w = 0 and w = 256 change nothing.
void solarize(const ImageBuffer& in, int w, ImageBuffer& out);
ImageBuffer solarize(const ImageBuffer& in, int w);

// ---- sunset fade ---------------------------------------------------------------------------

inline constexpr int kSunsetPasses = 256;
inline constexpr int kSunsetMaxDelayMs = 255;
inline constexpr const char* kSunsetBitmapError = "Bitmap Error";

// One pass of SunsetFade, in place: every byte of every row, fill bytes included, that is
// greater than 0 decreases by 1.
void sunsetFadePass(ImageBuffer& image);

enum class SunsetOutcome {
    Completed,    // all passes ran
    BitmapError,  // fewer than two rows: nothing was changed
    Stopped,      // the callback asked to stop; the passes so far remain applied
};

// The paced fade: `passes` passes (256 for the page), calling afterPass(passNumber) after each
// one, counted from 1. The callback pauses and repaints; returning false stops the fade.
SunsetOutcome sunsetFade(ImageBuffer& image, const std::function<bool(int pass)>& afterPass,
                         int passes = kSunsetPasses);

// The Delay entry read before every pause: a decimal integer, larger than 255 counts as 255,
// below 0 as 0. Anything else yields the error "'<text>' is not a valid integer value".
struct SunsetDelay {
    int milliseconds = 0;
    std::string error;
    bool ok() const { return error.empty(); }
};
SunsetDelay parseSunsetDelay(std::string_view text);

}  // namespace keldar::imaging
