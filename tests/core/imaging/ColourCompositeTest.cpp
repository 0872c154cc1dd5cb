#include "core/imaging/ColourComposite.h"

#include "core/imaging/ImageFile.h"
#include "core/imaging/PixelFunctions.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

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

TEST(ColourCompositeTest, RowPassGivesTheWholePictureResultForEveryBandSize) {
    // Band sizes (red, green, blue) that span several strips and put the composite's edges
    // inside a JPEG block, with the green band larger, smaller or as large as the composite.
    const struct {
        int rw, rh, gw, gh, bw, bh;
    } cases[] = {
        {40, 70, 40, 70, 40, 70},  // the band's bottom edge is padded inside a block
        {37, 66, 45, 75, 39, 70},  // green cut to whole blocks past the composite's edge
        {40, 60, 33, 50, 41, 64},  // green is the least band
        {20, 65, 20, 67, 21, 65},  // green ends inside the composite's last block
        {9, 96, 16, 97, 8, 96},    // whole strips
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.gw) + "x" + std::to_string(c.gh));
        const ImageBuffer r = testing::randomImage(c.rw, c.rh, 1), g = testing::randomImage(c.gw, c.gh, 2),
                          b = testing::randomImage(c.bw, c.bh, 3);
        ImageBuffer expected;
        ASSERT_EQ(mer2rgbCombination(r, g, b, 60, 35, expected), "");

        Mer2RgbRowPass pass;
        ASSERT_EQ(pass.configure(60, 35, expected.width(), expected.height(), c.gw, c.gh), "");
        ImageBuffer streamed(expected.width(), expected.height());
        int emitted = 0;
        const Mer2RgbRowPass::Emit emit = [&](const std::uint8_t* row) {
            if (emitted >= streamed.height()) return std::string("too many rows");
            std::memcpy(streamed.row(emitted++), row, static_cast<std::size_t>(streamed.width()) * 3);
            return std::string();
        };
        for (int y = 0; y < pass.rowsToPush(); ++y) {
            const bool inside = y < expected.height();
            ASSERT_EQ(pass.push(inside ? r.row(y) : nullptr, g.row(y), inside ? b.row(y) : nullptr, emit), "");
        }
        ASSERT_EQ(emitted, expected.height());
        EXPECT_TRUE(streamed == expected);
        EXPECT_NE(pass.push(r.row(0), g.row(0), b.row(0), emit), "");  // past the last row
    }
}

}  // namespace
}  // namespace keldar::imaging
