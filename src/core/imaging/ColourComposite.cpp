#include "core/imaging/ColourComposite.h"

#include "core/imaging/ImageFile.h"
#include "core/imaging/PixelFunctions.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace keldar::imaging {

std::string jpegRoundTrip(const ImageBuffer& picture, ImageBuffer& out, int quality) {
    std::vector<std::uint8_t> jpeg;
    if (std::string error = encodeJpegTo(picture, jpeg, quality); !error.empty()) return error;
    ImageResult reread = decodeJpeg(jpeg.data(), jpeg.size());
    if (!reread.ok()) return reread.error;
    out = std::move(reread.image);
    return {};
}

void straightCombination(const ImageBuffer& redBand, const ImageBuffer& greenBand, const ImageBuffer& blueBand,
                         ImageBuffer& out) {
    combineAllChannels(redBand, greenBand, blueBand, out);
}

std::string mer2rgbCombination(const ImageBuffer& redBand, const ImageBuffer& greenBand, const ImageBuffer& blueBand,
                               int redPosition, int bluePosition, Mer2RgbImages& out) {
    const int wRed = weightFromPosition(std::clamp(redPosition, kSliderMin, kSliderMax));
    const int wBlue = weightFromPosition(std::clamp(bluePosition, kSliderMin, kSliderMax));
    if (const std::string error = jpegRoundTrip(greenBand, out.greenReread); !error.empty())
        return "green band: " + error;
    mergeGreenRed(redBand, greenBand, wRed, out.processedRed);
    mergeGreenBlue(blueBand, greenBand, wBlue, out.processedBlue);
    combineAllSliders(out.processedRed, out.greenReread, out.processedBlue, out.composite);
    return {};
}

std::string mer2rgbCombination(const ImageBuffer& redBand, const ImageBuffer& greenBand, const ImageBuffer& blueBand,
                               int redPosition, int bluePosition, ImageBuffer& composite) {
    Mer2RgbImages images;
    std::string error = mer2rgbCombination(redBand, greenBand, blueBand, redPosition, bluePosition, images);
    if (error.empty()) composite = std::move(images.composite);
    return error;
}

namespace {

int roundUpToBlock(int n) { return (n + 7) / 8 * 8; }

}  // namespace

std::string Mer2RgbRowPass::configure(int redPosition, int bluePosition, int width, int height, int greenWidth,
                                      int greenHeight) {
    if (width <= 0 || height <= 0 || greenWidth < width || greenHeight < height) {
        return "invalid composite size " + std::to_string(width) + " x " + std::to_string(height);
    }
    wRed_ = weightFromPosition(std::clamp(redPosition, kSliderMin, kSliderMax));
    wBlue_ = weightFromPosition(std::clamp(bluePosition, kSliderMin, kSliderMax));
    width_ = width;
    height_ = height;
    greenColumns_ = std::min(greenWidth, roundUpToBlock(width));
    greenRows_ = std::min(greenHeight, roundUpToBlock(height));
    pushed_ = 0;
    stripStart_ = 0;
    greenStrip_.resize(greenColumns_, kStripRows);
    pending_.resize(width_, kStripRows);
    return {};
}

std::string Mer2RgbRowPass::push(const std::uint8_t* redRow, const std::uint8_t* greenRow,
                                 const std::uint8_t* blueRow, const Emit& emit) {
    if (greenRows_ == 0 || pushed_ >= greenRows_) return "composite: more rows than the picture has";
    const int slot = pushed_ - stripStart_;
    if (pushed_ < height_) {
        // The bytes combineAllSliders keeps: blue from byte 2 of the processed blue band, red
        // from byte 0 of the processed red band, each blended with the green band as
        // mergeGreenBlue and mergeGreenRed do.
        std::uint8_t* out = pending_.row(slot);
        const unsigned wb = static_cast<unsigned>(wBlue_), wr = static_cast<unsigned>(wRed_);
        for (int x = 0; x < width_; ++x) {
            out[3 * x + 0] =
                static_cast<std::uint8_t>((wb * blueRow[3 * x + 2] + (256 - wb) * greenRow[3 * x + 2]) >> 8);
            out[3 * x + 2] =
                static_cast<std::uint8_t>((wr * redRow[3 * x + 0] + (256 - wr) * greenRow[3 * x + 0]) >> 8);
        }
    }
    std::memcpy(greenStrip_.row(slot), greenRow, static_cast<std::size_t>(greenColumns_) * 3);
    ++pushed_;
    if (pushed_ - stripStart_ == kStripRows || pushed_ == greenRows_) return flushStrip(emit);
    return {};
}

std::string Mer2RgbRowPass::flushStrip(const Emit& emit) {
    const int rows = pushed_ - stripStart_;
    std::string error;
    if (rows == kStripRows) {
        error = jpegRoundTrip(greenStrip_, reread_);
    } else {  // the last, shorter strip: its own picture, so the encoder pads it as the band's end
        ImageBuffer last(greenColumns_, rows);
        for (int y = 0; y < rows; ++y) {
            std::memcpy(last.row(y), greenStrip_.row(y), static_cast<std::size_t>(greenColumns_) * 3);
        }
        error = jpegRoundTrip(last, reread_);
    }
    if (!error.empty()) return "green band: " + error;
    const int outRows = std::min(rows, height_ - stripStart_);
    for (int y = 0; y < outRows; ++y) {
        std::uint8_t* out = pending_.row(y);
        const std::uint8_t* green = reread_.row(y);
        for (int x = 0; x < width_; ++x) out[3 * x + 1] = green[3 * x + 1];
        if (error = emit(out); !error.empty()) return error;
    }
    stripStart_ = pushed_;
    return {};
}

}  // namespace keldar::imaging
