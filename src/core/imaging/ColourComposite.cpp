#include "core/imaging/ColourComposite.h"

#include "core/imaging/ImageFile.h"
#include "core/imaging/PixelFunctions.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace keldar::imaging {

void straightCombination(const ImageBuffer& redBand, const ImageBuffer& greenBand, const ImageBuffer& blueBand,
                         ImageBuffer& out) {
    combineAllChannels(redBand, greenBand, blueBand, out);
}

std::string mer2rgbCombination(const ImageBuffer& redBand, const ImageBuffer& greenBand, const ImageBuffer& blueBand,
                               int redPosition, int bluePosition, Mer2RgbImages& out) {
    const int wRed = weightFromPosition(std::clamp(redPosition, kSliderMin, kSliderMax));
    const int wBlue = weightFromPosition(std::clamp(bluePosition, kSliderMin, kSliderMax));
    std::vector<std::uint8_t> jpeg;
    const std::string encodeError = encodeJpegTo(greenBand, jpeg, 100);
    if (!encodeError.empty()) return "green band: " + encodeError;
    ImageResult reread = decodeJpeg(jpeg.data(), jpeg.size());
    if (!reread.ok()) return "green band: " + reread.error;
    out.greenReread = std::move(reread.image);
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
