#include "core/imaging/ColourComposite.h"

#include "core/imaging/ImageFile.h"
#include "core/imaging/PixelFunctions.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace keldar::imaging {
namespace {

using testing::pixelAt;

// A greyscale band: equal bytes per pixel, with smooth and sharp parts.
ImageBuffer greyBand(int width, int height, int seed) {
    ImageBuffer img(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int v = (x * 7 + y * 3 + seed * 41 + ((x / 4 + y / 4) % 2) * 60) % 256;
            testing::setPixel(img, x, y, {v, v, v});
        }
    }
    return img;
}

TEST(ColourCompositeTest, StraightCombinationIsCombineAllChannels) {
    const ImageBuffer r = greyBand(10, 8, 1), g = greyBand(12, 6, 2), b = greyBand(9, 9, 3);
    ImageBuffer out;
    straightCombination(r, g, b, out);
    EXPECT_TRUE(out == combineAllChannels(r, g, b));
    EXPECT_EQ(out.width(), 9);
    EXPECT_EQ(out.height(), 6);
}

TEST(ColourCompositeTest, Mer2RgbBlendsRedAndBlueAndTakesGreenAfterAJpegRoundTrip) {
    const ImageBuffer r = greyBand(24, 20, 1), g = greyBand(24, 20, 2), b = greyBand(24, 20, 3);
    Mer2RgbImages images;
    ASSERT_EQ(mer2rgbCombination(r, g, b, kMer2RgbDefaultRed, kMer2RgbDefaultBlue, images), "");

    const std::vector<std::uint8_t> jpeg = encodeJpeg(g, 100);
    const ImageResult reread = decodeJpeg(jpeg.data(), jpeg.size());
    ASSERT_TRUE(reread.ok());
    EXPECT_TRUE(images.greenReread == reread.image);
    EXPECT_TRUE(images.processedRed == mergeGreenRed(r, g, 179));
    EXPECT_TRUE(images.processedBlue == mergeGreenBlue(b, g, 179));

    const ImageBuffer& c = images.composite;
    ASSERT_EQ(c.width(), 24);
    ASSERT_EQ(c.height(), 20);
    int greenDiffers = 0;
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 24; ++x) {
            const auto px = pixelAt(c, x, y);
            const int rv = pixelAt(r, x, y).b, gv = pixelAt(g, x, y).b, bv = pixelAt(b, x, y).b;
            EXPECT_EQ(px.r, (179 * rv + 77 * gv) >> 8);
            EXPECT_EQ(px.b, (179 * bv + 77 * gv) >> 8);
            EXPECT_EQ(px.g, pixelAt(reread.image, x, y).g);
            EXPECT_NEAR(px.g, gv, 6);
            greenDiffers += px.g != gv;
        }
    }
    // The sharp edges of the band do not survive JPEG exactly; the composite must show that.
    EXPECT_GT(greenDiffers, 0);

    ImageBuffer only;
    ASSERT_EQ(mer2rgbCombination(r, g, b, 70, 70, only), "");
    EXPECT_TRUE(only == c);
}

TEST(ColourCompositeTest, Mer2RgbSliderExtremes) {
    const ImageBuffer r = greyBand(8, 8, 4), g = greyBand(8, 8, 5), b = greyBand(8, 8, 6);
    ImageBuffer out;
    ASSERT_EQ(mer2rgbCombination(r, g, b, 100, 0, out), "");
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            EXPECT_EQ(pixelAt(out, x, y).r, pixelAt(r, x, y).b);  // red band itself
            EXPECT_EQ(pixelAt(out, x, y).b, pixelAt(g, x, y).r);  // green band in the blue channel
        }
    }
}

TEST(ColourCompositeTest, Mer2RgbSizeIsTheLeastOfTheBands) {
    ImageBuffer out;
    ASSERT_EQ(mer2rgbCombination(greyBand(10, 30, 1), greyBand(20, 12, 2), greyBand(15, 15, 3), 70, 70, out), "");
    EXPECT_EQ(out.width(), 10);
    EXPECT_EQ(out.height(), 12);
}

TEST(ColourCompositeTest, Mer2RgbWithoutGreenBandFails) {
    ImageBuffer out = greyBand(3, 3, 1);
    const ImageBuffer before = out;
    EXPECT_NE(mer2rgbCombination(greyBand(4, 4, 1), ImageBuffer(), greyBand(4, 4, 2), 70, 70, out), "");
    EXPECT_TRUE(out == before);
}

}  // namespace
}  // namespace keldar::imaging
