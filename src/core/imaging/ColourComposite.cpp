#include "core/imaging/ColourComposite.h"

#include "core/imaging/ImageFile.h"
#include "core/imaging/PixelFunctions.h"

#include <algorithm>
#include <cstdint>
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

}  // namespace keldar::imaging
