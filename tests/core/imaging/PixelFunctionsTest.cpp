#include "core/imaging/PixelFunctions.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace keldar::imaging {
namespace {

using testing::Pixel;
using testing::pixelAt;
using testing::randomImage;
using testing::setPixel;
using testing::solidImage;

// Applies f to every pixel byte of `in` and compares with `out`, byte by byte.
template <typename F>
void expectBytewise(const ImageBuffer& in, const ImageBuffer& out, F f) {
    ASSERT_EQ(out.width(), in.width());
    ASSERT_EQ(out.height(), in.height());
    for (int y = 0; y < in.height(); ++y) {
        for (int i = 0; i < in.width() * 3; ++i) {
            ASSERT_EQ(out.row(y)[i], f(in.row(y)[i])) << "row " << y << " byte " << i << " in " << int(in.row(y)[i]);
        }
    }
}

// One row holding every byte value 0..255 in each channel.
ImageBuffer allBytes() {
    ImageBuffer img(256, 2);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 256; ++x) setPixel(img, x, y, {x, 255 - x, (x * 7) % 256});
    }
    return img;
}

// ---- slider arithmetic -------------------------------------------------------------------

TEST(SliderArithmeticTest, RoundsHalfToEven) {
    const struct {
        float x;
        int expected;
    } cases[] = {{0.5f, 0}, {1.5f, 2}, {2.5f, 2}, {3.5f, 4}, {-2.5f, -2}, {2.4999f, 2}, {2.5001f, 3}, {125.44f, 125}};
    for (const auto& c : cases) EXPECT_EQ(roundHalfEven(c.x), c.expected) << c.x;
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(3.5), 4);
}

TEST(SliderArithmeticTest, WeightFromPercentPosition) {
    const struct {
        int position, w;
    } cases[] = {{0, 0}, {1, 3}, {49, 125}, {50, 128}, {51, 131}, {70, 179}, {99, 253}, {100, 256}};
    for (const auto& c : cases) EXPECT_EQ(weightFromPosition(c.position), c.w) << c.position;
    // Every position: nearest(position × 256 / 100) computed exactly in integers (no ties).
    for (int p = 0; p <= 100; ++p) EXPECT_EQ(weightFromPosition(p), (p * 256 * 2 + 100) / 200) << p;
    // Beyond the slider the weight stays in 0..256.
    EXPECT_EQ(weightFromFraction(-0.5f), 0);
    EXPECT_EQ(weightFromFraction(3.0f), 256);
}

TEST(SliderArithmeticTest, BrightnessOffsetFromPosition) {
    const struct {
        int position, offset;
    } cases[] = {{0, -128}, {1, -124}, {29, -4}, {30, 0}, {31, 4}, {60, 128}, {100, 299}};
    for (const auto& c : cases) {
        EXPECT_EQ(brightnessOffsetFromFraction(brightnessFraction(c.position)), c.offset) << c.position;
    }
}

TEST(SliderArithmeticTest, ContrastByteRoundsTiesToEvenAndClamps) {
    const struct {
        int p, k, expected;
    } cases[] = {
        {8, 1, 0},    {24, 1, 2},    {40, 1, 2},    {56, 1, 4},     // x.5 ties go to even
        {100, 16, 100}, {200, 32, 255}, {100, 32, 200}, {255, 0, 0},  // unchanged, doubled, clamped, black
        {1, 24, 2},   {3, 24, 4},    {255, 100, 255}, {0, 100, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(contrastByte(static_cast<std::uint8_t>(c.p), c.k), c.expected) << c.p << " k=" << c.k;
    }
}

TEST(SliderArithmeticTest, BrightnessByteClamps) {
    EXPECT_EQ(brightnessByte(0, 299), 255);
    EXPECT_EQ(brightnessByte(128, -128), 0);
    EXPECT_EQ(brightnessByte(129, -128), 1);
    EXPECT_EQ(brightnessByte(200, 0), 200);
    EXPECT_EQ(brightnessByte(250, 10), 255);
}

// ---- anaglyph layers and functions -------------------------------------------------------

TEST(AnaglyphFunctionsTest, LayersKeepTheirChannels) {
    const ImageBuffer in = randomImage(7, 3, 11);
    const struct {
        const char* name;
        ImageBuffer (*fn)(const ImageBuffer&);
        bool b, g, r;
    } cases[] = {{"Make Cyan", makeCyan, true, true, false},
                 {"Make Blue", makeBlue, true, false, false},
                 {"Make Red", makeRed, false, false, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ImageBuffer out = c.fn(in);
        ASSERT_EQ(out.width(), 7);
        ASSERT_EQ(out.height(), 3);
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 7; ++x) {
                const Pixel s = pixelAt(in, x, y);
                EXPECT_EQ(pixelAt(out, x, y), (Pixel{c.b ? s.b : 0, c.g ? s.g : 0, c.r ? s.r : 0}));
            }
        }
    }
}

TEST(AnaglyphFunctionsTest, MergeBitmapsBlendsEveryByte) {
    // Layers with all three bytes set, to check the formula on each byte, not only the
    // ones a cyan and a red layer leave non-zero.
    const ImageBuffer cyan = solidImage(2, 2, 200, 100, 40);
    const ImageBuffer red = solidImage(2, 2, 10, 60, 150);
    const struct {
        int merge;
        Pixel expected;
    } cases[] = {
        {0, {10, 60, 150}},
        {100, {200, 100, 40}},
        {50, {105, 80, 95}},      // (128·c + 128·r) >> 8
        {49, {102, 79, 96}},      // w = 125: (125·200 + 131·10) >> 8 = 102, ...
    };
    for (const auto& c : cases) {
        const ImageBuffer out = mergeBitmaps(cyan, red, percentFraction(c.merge));
        EXPECT_EQ(pixelAt(out, 1, 1), c.expected) << "merge " << c.merge;
    }
}

TEST(AnaglyphFunctionsTest, ResetPositionsHalveEachChannel) {
    ImageBuffer right = solidImage(3, 2, 200, 100, 17);
    ImageBuffer left = solidImage(3, 2, 33, 44, 150);
    const ImageBuffer merged = mergeBitmaps(makeCyan(right), makeRed(left), percentFraction(50));
    const ImageBuffer result = brightnessFunction(contrastFunction(merged, 16), brightnessFraction(30));
    EXPECT_EQ(pixelAt(result, 2, 1), (Pixel{100, 50, 75}));
}

TEST(AnaglyphFunctionsTest, MergeZeroAndHundredSelectOneEye) {
    const ImageBuffer right = randomImage(9, 5, 21);
    const ImageBuffer left = randomImage(9, 5, 22);
    for (int merge : {0, 100}) {
        SCOPED_TRACE(merge);
        const ImageBuffer merged = mergeBitmaps(makeCyan(right), makeRed(left), percentFraction(merge));
        const ImageBuffer result = brightnessFunction(contrastFunction(merged, 16), brightnessFraction(30));
        for (int y = 0; y < 5; ++y) {
            for (int x = 0; x < 9; ++x) {
                const Pixel r = pixelAt(right, x, y), l = pixelAt(left, x, y);
                EXPECT_EQ(pixelAt(result, x, y), merge == 0 ? (Pixel{0, 0, l.r}) : (Pixel{r.b, r.g, 0}));
            }
        }
    }
}

TEST(AnaglyphFunctionsTest, ContrastAndBrightnessOverEveryByte) {
    const ImageBuffer in = allBytes();
    const struct {
        const char* name;
        int contrast;   // -1: not applied
        int brightness; // -1: not applied
        int (*expected)(int);
    } cases[] = {
        {"contrast 16 keeps", 16, -1, [](int p) { return p; }},
        {"contrast 0 blackens", 0, -1, [](int) { return 0; }},
        {"contrast 32 doubles", 32, -1, [](int p) { return std::min(2 * p, 255); }},
        {"brightness 30 keeps", -1, 30, [](int p) { return p; }},
        {"brightness 100 whitens", -1, 100, [](int) { return 255; }},
        {"brightness 0 subtracts 128", -1, 0, [](int p) { return std::max(p - 128, 0); }},
        {"brightness 60 adds 128", -1, 60, [](int p) { return std::min(p + 128, 255); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ImageBuffer out = c.contrast >= 0 ? contrastFunction(in, c.contrast)
                                                : brightnessFunction(in, brightnessFraction(c.brightness));
        expectBytewise(in, out, [&](std::uint8_t p) { return static_cast<std::uint8_t>(c.expected(p)); });
    }
}

TEST(AnaglyphFunctionsTest, WholeImageFunctionsAgreeWithThePerByteArithmeticAtEveryPosition) {
    // The image functions run vectorised row kernels; the per-byte functions are the plain
    // definition with single-precision rounding. Positions past the slider take another path.
    const ImageBuffer in = allBytes();
    for (int k = -3; k <= 300; ++k) {
        SCOPED_TRACE(k);
        expectBytewise(in, contrastFunction(in, k), [k](std::uint8_t p) { return contrastByte(p, k); });
    }
    expectBytewise(in, contrastFunction(in, 5000), [](std::uint8_t p) { return contrastByte(p, 5000); });
    for (int position = 0; position <= 100; ++position) {
        SCOPED_TRACE(position);
        const int offset = brightnessOffsetFromFraction(brightnessFraction(position));
        expectBytewise(in, brightnessFunction(in, brightnessFraction(position)),
                       [offset](std::uint8_t p) { return brightnessByte(p, offset); });
    }
}

TEST(AnaglyphFunctionsTest, ContrastOneRoundsTiesToEven) {
    ImageBuffer in(1, 1);
    setPixel(in, 0, 0, {8, 24, 40});
    EXPECT_EQ(pixelAt(contrastFunction(in, 1), 0, 0), (Pixel{0, 2, 2}));
}

TEST(AnaglyphFunctionsTest, DifferentSizesGiveTheLeastAnchoredTopLeft) {
    ImageBuffer cyan = randomImage(6, 3, 31);
    ImageBuffer red = randomImage(4, 5, 32);
    const ImageBuffer out = mergeBitmaps(cyan, red, percentFraction(100));
    ASSERT_EQ(out.width(), 4);
    ASSERT_EQ(out.height(), 3);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) EXPECT_EQ(pixelAt(out, x, y), pixelAt(cyan, x, y));
    }
    EXPECT_TRUE(mergeBitmaps(cyan, ImageBuffer(), 0.5f).isEmpty());
}

TEST(AnaglyphFunctionsTest, OutputBufferReuseAndInPlaceUse) {
    const ImageBuffer in = randomImage(13, 7, 41);
    ImageBuffer out = randomImage(40, 40, 42);  // larger, stale content
    contrastFunction(in, 23, out);
    EXPECT_TRUE(out == contrastFunction(in, 23));

    ImageBuffer same = in;
    contrastFunction(same, 23, same);
    EXPECT_TRUE(same == contrastFunction(in, 23));
    same = in;
    brightnessFunction(same, brightnessFraction(45), same);
    EXPECT_TRUE(same == brightnessFunction(in, brightnessFraction(45)));
}

TEST(AnaglyphFunctionsTest, OutputMayBeOneOfTheInputs) {
    // Inputs of different sizes, so that an output sized from both would corrupt an input
    // it is written over.
    const ImageBuffer a = randomImage(9, 6, 81), b = randomImage(7, 8, 82), c = randomImage(8, 7, 83);
    using Two = void (*)(const ImageBuffer&, const ImageBuffer&, ImageBuffer&);
    const struct {
        const char* name;
        Two fn;
    } twoInputs[] = {
        {"MergeBitmaps", [](const ImageBuffer& x, const ImageBuffer& y, ImageBuffer& o) { mergeBitmaps(x, y, 0.3f, o); }},
        {"MergeGreenRed", [](const ImageBuffer& x, const ImageBuffer& y, ImageBuffer& o) { mergeGreenRed(x, y, 99, o); }},
        {"MergeGreenBlue", [](const ImageBuffer& x, const ImageBuffer& y, ImageBuffer& o) { mergeGreenBlue(x, y, 7, o); }},
        {"CombineAllChannels", [](const ImageBuffer& x, const ImageBuffer& y, ImageBuffer& o) { combineAllChannels(x, y, x, o); }},
        {"Make Cyan", [](const ImageBuffer& x, const ImageBuffer&, ImageBuffer& o) { makeCyan(x, o); }},
    };
    for (const auto& t : twoInputs) {
        SCOPED_TRACE(t.name);
        ImageBuffer expected;
        t.fn(a, b, expected);
        ImageBuffer first = a;
        t.fn(first, b, first);
        EXPECT_TRUE(first == expected);
        ImageBuffer second = b;
        t.fn(a, second, second);
        EXPECT_TRUE(second == expected);
    }
    ImageBuffer third = c;
    combineAllSliders(a, b, third, third);
    EXPECT_TRUE(third == combineAllSliders(a, b, c));
}

// ---- colour composer -----------------------------------------------------------------------

TEST(ColourFunctionsTest, CombineAllChannelsTakesOneByteFromEachBand) {
    // Non-grey bands show which byte of each band is used.
    const ImageBuffer red = solidImage(3, 3, 1, 2, 3);
    const ImageBuffer green = solidImage(3, 3, 4, 5, 6);
    const ImageBuffer blue = solidImage(3, 3, 7, 8, 9);
    // Output red = byte 0 of red band, green = byte 1 of green band, blue = byte 2 of blue band.
    EXPECT_EQ(pixelAt(combineAllChannels(red, green, blue), 1, 1), (Pixel{9, 5, 1}));
    EXPECT_EQ(pixelAt(combineAllSliders(red, green, blue), 2, 2), (Pixel{9, 5, 1}));
    // Grey bands: each grey value becomes its channel.
    EXPECT_EQ(pixelAt(combineAllChannels(solidImage(1, 1, 10, 10, 10), solidImage(1, 1, 20, 20, 20),
                                         solidImage(1, 1, 30, 30, 30)),
                      0, 0),
              (Pixel{30, 20, 10}));
}

TEST(ColourFunctionsTest, BandsOfDifferentSizesGiveTheLeast) {
    const ImageBuffer r = randomImage(5, 9, 1), g = randomImage(8, 4, 2), b = randomImage(6, 6, 3);
    for (const ImageBuffer& out : {combineAllChannels(r, g, b), combineAllSliders(r, g, b)}) {
        ASSERT_EQ(out.width(), 5);
        ASSERT_EQ(out.height(), 4);
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 5; ++x) {
                EXPECT_EQ(pixelAt(out, x, y), (Pixel{pixelAt(b, x, y).r, pixelAt(g, x, y).g, pixelAt(r, x, y).b}));
            }
        }
    }
    EXPECT_TRUE(combineAllChannels(r, ImageBuffer(), b).isEmpty());
}

TEST(ColourFunctionsTest, GreenBlendsAtTheirExtremesAndAt70) {
    const ImageBuffer band = randomImage(7, 4, 51);
    const ImageBuffer green = randomImage(7, 4, 52);
    // 100 keeps the band ((256 × b) >> 8 = b), 0 gives the green band.
    using Blend = void (*)(const ImageBuffer&, const ImageBuffer&, int, ImageBuffer&);
    for (Blend fn : {static_cast<Blend>(&mergeGreenBlue), static_cast<Blend>(&mergeGreenRed)}) {
        ImageBuffer full, none;
        fn(band, green, weightFromPosition(100), full);
        fn(band, green, weightFromPosition(0), none);
        EXPECT_TRUE(full == band);
        EXPECT_TRUE(none == green);
    }
    // 179 × 200 + 77 × 100 = 43500; >> 8 gives 169.
    const ImageBuffer out = mergeGreenRed(solidImage(1, 1, 200, 200, 200), solidImage(1, 1, 100, 100, 100), weightFromPosition(70));
    EXPECT_EQ(pixelAt(out, 0, 0), (Pixel{169, 169, 169}));
}

TEST(ColourFunctionsTest, ControlGreenIsAnExactCopy) {
    const ImageBuffer green = randomImage(11, 3, 61);
    for (float f : {0.0f, 0.5f, 1.0f}) EXPECT_TRUE(controlGreen(green, f) == green);
}

TEST(ColourFunctionsTest, InvertAndSolarizeBytes) {
    const ImageBuffer in = allBytes();
    expectBytewise(in, invert(in), [](std::uint8_t p) { return static_cast<std::uint8_t>(255 - p); });
    expectBytewise(in, solarize(in, weightFromPosition(50)), [](std::uint8_t p) { return static_cast<std::uint8_t>((p + 128) % 256); });
    expectBytewise(in, solarize(in, 179), [](std::uint8_t p) { return static_cast<std::uint8_t>((p + 179) % 256); });
    EXPECT_TRUE(solarize(in, 0) == in);
    EXPECT_TRUE(solarize(in, 256) == in);

    ImageBuffer px(1, 1);
    setPixel(px, 0, 0, {100, 200, 0});
    EXPECT_EQ(pixelAt(solarize(px, weightFromPosition(50)), 0, 0), (Pixel{228, 72, 128}));

    ImageBuffer same = in;
    invert(same, same);
    EXPECT_TRUE(same == invert(in));
    solarize(same, 77, same);
    EXPECT_TRUE(same == solarize(invert(in), 77));
}

TEST(ColourFunctionsTest, InvertOfStraightCompositeInvertsEachBand) {
    const ImageBuffer out = invert(combineAllChannels(solidImage(2, 2, 10, 10, 10), solidImage(2, 2, 20, 20, 20),
                                                      solidImage(2, 2, 30, 30, 30)));
    EXPECT_EQ(pixelAt(out, 1, 0), (Pixel{225, 235, 245}));
}

// ---- sunset fade ---------------------------------------------------------------------------

TEST(SunsetTest, PixelAfterGivenNumbersOfPasses) {
    const struct {
        int passes;
        Pixel expected;
    } cases[] = {{0, {10, 200, 255}}, {1, {9, 199, 254}}, {10, {0, 190, 245}}, {200, {0, 0, 55}}, {255, {0, 0, 0}}, {256, {0, 0, 0}}};
    for (const auto& c : cases) {
        ImageBuffer img = solidImage(3, 2, 10, 200, 255);
        for (int i = 0; i < c.passes; ++i) sunsetFadePass(img);
        EXPECT_EQ(pixelAt(img, 2, 1), c.expected) << c.passes << " passes";
    }
}

TEST(SunsetTest, PassDecrementsEveryByteOfTheStrideIncludingFill) {
    ImageBuffer img = randomImage(5, 3, 71);  // stride 16: one fill byte per row
    img.row(0)[0] = 0;
    img.row(2)[15] = 1;
    const ImageBuffer before = img;
    sunsetFadePass(img);
    for (int y = 0; y < 3; ++y) {
        for (std::size_t i = 0; i < img.stride(); ++i) {
            const int v = before.row(y)[i];
            EXPECT_EQ(img.row(y)[i], v > 0 ? v - 1 : 0) << y << "," << i;
        }
    }
}

TEST(SunsetTest, FullFadeCallsBackAfterEveryPassAndEndsBlack) {
    ImageBuffer img = randomImage(6, 4, 72);
    std::vector<int> seen;
    int maxAfterFirst = -1;
    const SunsetOutcome outcome = sunsetFade(img, [&](int pass) {
        seen.push_back(pass);
        if (pass == 1) {
            maxAfterFirst = 0;
            for (int y = 0; y < img.height(); ++y) {
                for (std::size_t i = 0; i < img.stride(); ++i) maxAfterFirst = std::max<int>(maxAfterFirst, img.row(y)[i]);
            }
        }
        return true;
    });
    EXPECT_EQ(outcome, SunsetOutcome::Completed);
    ASSERT_EQ(seen.size(), 256u);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(seen[i], i + 1);
    EXPECT_LE(maxAfterFirst, 254);  // the callback sees each pass already applied
    for (int y = 0; y < img.height(); ++y) {
        for (std::size_t i = 0; i < img.stride(); ++i) ASSERT_EQ(img.row(y)[i], 0);
    }
}

TEST(SunsetTest, CallbackCanStopTheFade) {
    ImageBuffer img = solidImage(4, 4, 50, 60, 70);
    const SunsetOutcome outcome = sunsetFade(img, [](int pass) { return pass < 3; });
    EXPECT_EQ(outcome, SunsetOutcome::Stopped);
    EXPECT_EQ(pixelAt(img, 0, 0), (Pixel{47, 57, 67}));
}

TEST(SunsetTest, FewerThanTwoRowsIsBitmapError) {
    for (auto [w, h] : {std::pair{10, 1}, std::pair{0, 0}}) {
        ImageBuffer img = solidImage(w, h, 9, 9, 9);
        const ImageBuffer before = img;
        int calls = 0;
        EXPECT_EQ(sunsetFade(img, [&](int) { return ++calls > 0; }), SunsetOutcome::BitmapError);
        EXPECT_EQ(calls, 0);
        EXPECT_TRUE(img == before);
    }
    EXPECT_STREQ(kSunsetBitmapError, "Bitmap Error");
}

TEST(SunsetTest, DelayEntry) {
    const struct {
        const char* text;
        int ms;
        bool ok;
    } cases[] = {{"1", 1, true},     {"0", 0, true},       {"255", 255, true}, {"256", 255, true}, {"300", 255, true},
                 {"-5", 0, true},    {" 7 ", 7, true},     {"+9", 9, true},    {"99999999999999999999", 255, true},
                 {"", 0, false},     {"abc", 0, false},    {"1.5", 0, false},  {"12ms", 0, false}, {"-", 0, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const SunsetDelay d = parseSunsetDelay(c.text);
        EXPECT_EQ(d.ok(), c.ok);
        if (c.ok) {
            EXPECT_EQ(d.milliseconds, c.ms);
        }
    }
    EXPECT_EQ(parseSunsetDelay("abc").error, "'abc' is not a valid integer value");
}

}  // namespace
}  // namespace keldar::imaging
