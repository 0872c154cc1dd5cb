#include "core/imaging/ImageFile.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <csignal>
#include <cstring>
#include <filesystem>

#include <jpeglib.h>
#include <sys/resource.h>

namespace keldar::imaging {
namespace {

using testing::makeBmp;
using testing::Pixel;
using testing::pixelAt;
using testing::randomImage;
using testing::readBytes;
using testing::ScratchDir;
using testing::writeBytes;

// A picture with smooth areas and sharp colour edges, closer to a photograph than noise.
ImageBuffer photoLike(int width, int height) {
    ImageBuffer img(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = img.row(y) + 3 * x;
            p[0] = static_cast<std::uint8_t>((x * 255) / std::max(1, width - 1));
            p[1] = static_cast<std::uint8_t>((y * 255) / std::max(1, height - 1));
            p[2] = static_cast<std::uint8_t>(((x / 8 + y / 8) % 2) ? 200 : 40);
        }
    }
    return img;
}

struct Diff {
    int max = 0;
    double mean = 0;
};

Diff compare(const ImageBuffer& a, const ImageBuffer& b) {
    Diff d;
    long long sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int i = 0; i < a.width() * 3; ++i) {
            const int e = std::abs(a.row(y)[i] - b.row(y)[i]);
            d.max = std::max(d.max, e);
            sum += e;
        }
    }
    d.mean = static_cast<double>(sum) / (3.0 * a.width() * a.height());
    return d;
}

// Sampling factors of every component, from the SOF0/SOF1/SOF2 segment of a JPEG stream.
std::vector<int> samplingFactors(const std::vector<std::uint8_t>& jpeg) {
    for (std::size_t i = 2; i + 9 < jpeg.size();) {
        if (jpeg[i] != 0xFF) return {};
        const int marker = jpeg[i + 1];
        const std::size_t len = (jpeg[i + 2] << 8) | jpeg[i + 3];
        if (marker == 0xC0 || marker == 0xC1 || marker == 0xC2) {
            std::vector<int> out;
            const int n = jpeg[i + 9];
            for (int c = 0; c < n; ++c) out.push_back(jpeg[i + 10 + 3 * c + 1]);
            return out;
        }
        i += 2 + len;
    }
    return {};
}

// Offset of the height field of the SOF segment (width follows it).
std::size_t sofDimensionsOffset(const std::vector<std::uint8_t>& jpeg) {
    for (std::size_t i = 2; i + 9 < jpeg.size();) {
        const int marker = jpeg[i + 1];
        const std::size_t len = (jpeg[i + 2] << 8) | jpeg[i + 3];
        if (marker == 0xC0 || marker == 0xC1 || marker == 0xC2) return i + 5;
        i += 2 + len;
    }
    return 0;
}

// ---- file kind -------------------------------------------------------------------------------

TEST(ImageFileKindTest, ExtensionComparedWithoutCase) {
    const struct {
        const char* path;
        ImageFileKind kind;
    } cases[] = {
        {"a.jpg", ImageFileKind::Jpeg},       {"a.JPG", ImageFileKind::Jpeg},
        {"a.jpeg", ImageFileKind::Jpeg},      {"a.JPEG", ImageFileKind::Jpeg},
        {"a.JpEg", ImageFileKind::Jpeg},      {"/x/y/2P1.img.jpg", ImageFileKind::Jpeg},
        {"a.bmp.jpg", ImageFileKind::Jpeg},   {"a.bmp", ImageFileKind::Bmp},
        {"a.BMP", ImageFileKind::Bmp},        {"a.jpg.bmp", ImageFileKind::Bmp},
        {"a.png", ImageFileKind::Bmp},        {"a.jpe", ImageFileKind::Bmp},
        {"a.jpgx", ImageFileKind::Bmp},       {"noextension", ImageFileKind::Bmp},
        {"dir.jpg/file", ImageFileKind::Bmp}, {"", ImageFileKind::Bmp},
        {"a.img", ImageFileKind::Pds},        {"/x/1F4.IMG", ImageFileKind::Pds},
        {"a.iMg", ImageFileKind::Pds},        {"a.img.bmp", ImageFileKind::Bmp},
        {"a.imgx", ImageFileKind::Bmp},       {"dir.img/file", ImageFileKind::Bmp},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(imageFileKindFor(c.path), c.kind) << c.path;
    }
}

TEST(ImageFileKindTest, ReaderFollowsTheExtensionNotTheContent) {
    ScratchDir dir;
    const ImageBuffer img = photoLike(8, 8);
    ASSERT_EQ(writeJpegFile(img, dir.file("real-jpeg.bmp")), "");
    ASSERT_EQ(writeBmpFile(img, dir.file("real-bmp.JPG")), "");
    const ImageResult asBmp = readImageFile(dir.file("real-jpeg.bmp"));
    EXPECT_FALSE(asBmp.ok());
    EXPECT_NE(asBmp.error.find("not a BMP"), std::string::npos) << asBmp.error;
    const ImageResult asJpeg = readImageFile(dir.file("real-bmp.JPG"));
    EXPECT_FALSE(asJpeg.ok());
    EXPECT_NE(asJpeg.error.find("not a JPEG"), std::string::npos) << asJpeg.error;

    // Capital extensions still decode.
    ASSERT_EQ(writeJpegFile(img, dir.file("upper.JPEG")), "");
    EXPECT_TRUE(readImageFile(dir.file("upper.JPEG")).ok());
}

TEST(ImageFileKindTest, WriterFollowsTheExtension) {
    ScratchDir dir;
    const ImageBuffer img = photoLike(6, 5);
    const struct {
        const char* name;
        bool jpeg;
    } cases[] = {{"o.jpg", true}, {"o2.JPG", true}, {"o3.Jpeg", true}, {"o4.bmp", false}, {"o5.BMP", false}, {"o6.png", false}, {"o7", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(writeImageFile(img, dir.file(c.name)), "");
        const std::vector<std::uint8_t> bytes = readBytes(dir.file(c.name));
        ASSERT_GE(bytes.size(), 2u);
        if (c.jpeg) {
            EXPECT_EQ(bytes[0], 0xFF);
            EXPECT_EQ(bytes[1], 0xD8);
        } else {
            EXPECT_EQ(bytes[0], 'B');
            EXPECT_EQ(bytes[1], 'M');
        }
    }
}

// ---- JPEG ----------------------------------------------------------------------------------

TEST(JpegTest, RoundTripAtQuality100HasSmallError) {
    for (const auto& [w, h] : {std::pair{1, 1}, std::pair{7, 5}, std::pair{64, 48}, std::pair{333, 17}}) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        const ImageBuffer img = photoLike(w, h);
        const std::vector<std::uint8_t> bytes = encodeJpeg(img);
        ASSERT_FALSE(bytes.empty());
        const ImageResult back = decodeJpeg(bytes.data(), bytes.size());
        ASSERT_TRUE(back.ok()) << back.error;
        ASSERT_EQ(back.image.width(), w);
        ASSERT_EQ(back.image.height(), h);
        const Diff d = compare(img, back.image);
        EXPECT_LE(d.max, 6);
        EXPECT_LT(d.mean, 1.0);
    }
}

TEST(JpegTest, ChannelOrderSurvivesTheRoundTrip) {
    // Pure blue, green and red blocks: a swapped channel order would move 255 to another byte.
    ImageBuffer img(24, 8);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 24; ++x) testing::setPixel(img, x, y, x < 8 ? Pixel{255, 0, 0} : x < 16 ? Pixel{0, 255, 0} : Pixel{0, 0, 255});
    }
    const std::vector<std::uint8_t> bytes = encodeJpeg(img);
    const ImageResult back = decodeJpeg(bytes.data(), bytes.size());
    ASSERT_TRUE(back.ok()) << back.error;
    EXPECT_LE(compare(img, back.image).max, 6);
    const Pixel blue = pixelAt(back.image, 4, 4);
    EXPECT_GT(blue.b, 245);
    EXPECT_LT(blue.r, 10);
}

TEST(JpegTest, WrittenWithoutChromaSubsampling) {
    // Alternating red and cyan columns: all the detail is in the chroma. Any subsampling
    // averages neighbouring columns and loses it.
    ImageBuffer img(32, 16);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 32; ++x) testing::setPixel(img, x, y, (x % 2) ? Pixel{0, 0, 255} : Pixel{255, 255, 0});
    }
    const std::vector<std::uint8_t> bytes = encodeJpeg(img);
    EXPECT_EQ(samplingFactors(bytes), (std::vector<int>{0x11, 0x11, 0x11}));
    const ImageResult back = decodeJpeg(bytes.data(), bytes.size());
    ASSERT_TRUE(back.ok());
    EXPECT_LE(compare(img, back.image).max, 12);
}

TEST(JpegTest, LowerQualityIsAcceptedAndSmaller) {
    const ImageBuffer img = randomImage(64, 64, 9);
    const auto q100 = encodeJpeg(img, 100);
    const auto q50 = encodeJpeg(img, 50);
    ASSERT_FALSE(q50.empty());
    EXPECT_LT(q50.size(), q100.size());
}

TEST(JpegTest, EncoderRefusesBadInput) {
    std::vector<std::uint8_t> out{1, 2, 3};
    EXPECT_NE(encodeJpegTo(ImageBuffer(), out), "");
    EXPECT_TRUE(out.empty());
    EXPECT_TRUE(encodeJpeg(ImageBuffer()).empty());
    EXPECT_TRUE(encodeJpeg(ImageBuffer(4, 4), 0).empty());
    EXPECT_TRUE(encodeJpeg(ImageBuffer(4, 4), 101).empty());
    EXPECT_FALSE(encodeJpeg(ImageBuffer(4, 4), 1).empty());
}

TEST(JpegTest, DecodesGreyscaleJpegToEqualChannels) {
    // A one-component JPEG made directly with libjpeg.
    const int w = 16, h = 4;
    std::vector<std::uint8_t> grey(w * h);
    for (int i = 0; i < w * h; ++i) grey[i] = static_cast<std::uint8_t>(i * 4);
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* buf = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buf, &size);
    cinfo.image_width = w;
    cinfo.image_height = h;
    cinfo.input_components = 1;
    cinfo.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 100, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = grey.data() + cinfo.next_scanline * w;
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    const ImageResult r = decodeJpeg(buf, size);
    std::free(buf);
    ASSERT_TRUE(r.ok()) << r.error;
    ASSERT_EQ(r.image.width(), w);
    ASSERT_EQ(r.image.height(), h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const Pixel p = pixelAt(r.image, x, y);
            EXPECT_EQ(p.b, p.g);
            EXPECT_EQ(p.g, p.r);
            EXPECT_NEAR(p.g, grey[y * w + x], 2);
        }
    }
}

TEST(JpegTest, DecodedForDisplayAtTheLeastHalvingThatCoversTheSizeAsked) {
    ScratchDir dir;
    const ImageBuffer picture = randomImage(101, 60, 4);
    const std::string path = dir.file("p.jpg");
    writeBytes(path, encodeJpeg(picture));
    const ImageBuffer full = readImageFile(path).image;
    const struct {
        int neededWidth, neededHeight;
        int width, height;  // as decoded: an M/8 scaling rounds up
    } cases[] = {{10, 5, 13, 8}, {26, 8, 26, 15}, {51, 30, 51, 30}, {52, 30, 101, 60}, {101, 61, 101, 60}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.neededWidth);
        const DisplayDecode shown = readJpegForDisplay(path, [&](int w, int h) {
            EXPECT_EQ(w, 101);
            EXPECT_EQ(h, 60);
            return std::pair<int, int>(c.neededWidth, c.neededHeight);
        });
        ASSERT_TRUE(shown.decoded) << shown.error;
        EXPECT_EQ(shown.fullWidth, 101);
        EXPECT_EQ(shown.fullHeight, 60);
        ASSERT_EQ(shown.width, c.width);
        ASSERT_EQ(shown.height, c.height);
        if (shown.width != full.width()) continue;
        // In full, the very pixels of the 24-bit decode, each followed by 0xFF.
        bool same = true;
        for (int y = 0; y < full.height(); ++y)
            for (int x = 0; x < full.width(); ++x)
                for (int k = 0; k < 4; ++k)
                    same = same && shown.pixels[(static_cast<std::size_t>(y) * 101 + x) * 4 + k] ==
                                       (k == 3 ? 0xFF : full.row(y)[3 * x + k]);
        EXPECT_TRUE(same);
    }
    writeBytes(dir.file("bad.jpg"), {0xFF, 0xD8, 0xFF, 0x00});
    for (const std::string& bad : {dir.file("bad.jpg"), dir.file("missing.jpg")}) {
        const DisplayDecode shown = readJpegForDisplay(bad, [](int, int) { return std::pair<int, int>(1, 1); });
        EXPECT_FALSE(shown.decoded);
        EXPECT_NE(shown.error.find(bad), std::string::npos) << shown.error;
    }
}

TEST(JpegTest, FileRoundTripThroughWriteAndRead) {
    ScratchDir dir;
    const ImageBuffer img = photoLike(40, 30);
    ASSERT_EQ(writeJpegFile(img, dir.file("a.jpg")), "");
    const ImageResult back = readImageFile(dir.file("a.jpg"));
    ASSERT_TRUE(back.ok()) << back.error;
    EXPECT_LE(compare(img, back.image).max, 6);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"a.jpg"});
}

// ---- BMP -----------------------------------------------------------------------------------

TEST(BmpTest, RoundTrip24BitIsExactForEveryRowPadding) {
    ScratchDir dir;
    for (int w : {1, 2, 3, 4, 5, 17}) {
        SCOPED_TRACE(w);
        const ImageBuffer img = randomImage(w, 3, static_cast<std::uint32_t>(w));
        const std::string path = dir.file("rt" + std::to_string(w) + ".bmp");
        ASSERT_EQ(writeBmpFile(img, path), "");
        const std::vector<std::uint8_t> bytes = readBytes(path);
        EXPECT_EQ(bytes.size(), 54 + ImageBuffer::strideFor(w) * 3);
        EXPECT_EQ(bytes[28], 24);  // bits per pixel
        const ImageResult back = readImageFile(path);
        ASSERT_TRUE(back.ok()) << back.error;
        EXPECT_TRUE(back.image == img);
    }
}

TEST(BmpTest, WrittenBottomUpWithZeroFill) {
    ImageBuffer img = randomImage(1, 2, 3);  // one pixel and one fill byte per row
    std::vector<std::uint8_t> bytes;
    ASSERT_EQ(encodeBmpTo(img, bytes), "");
    ASSERT_EQ(bytes.size(), 54u + 8u);
    // The first file row is the bottom image row.
    EXPECT_EQ(bytes[54], img.row(1)[0]);
    EXPECT_EQ(bytes[56], img.row(1)[2]);
    EXPECT_EQ(bytes[57], 0);  // fill byte, whatever the buffer held there
    EXPECT_EQ(bytes[58], img.row(0)[0]);
    EXPECT_EQ(bytes[61], 0);
}

TEST(BmpTest, Reads8BitGreyscalePaletteBottomUpAndTopDown) {
    std::vector<std::uint8_t> palette;
    for (int i = 0; i < 256; ++i) palette.insert(palette.end(), {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i)});
    // 3 x 2 image, rows padded to 4 bytes; file row 0 holds 10 20 30, file row 1 holds 40 50 60.
    const std::vector<std::vector<std::uint8_t>> rows = {{10, 20, 30, 0}, {40, 50, 60, 0}};
    for (bool topDown : {false, true}) {
        SCOPED_TRACE(topDown);
        const auto bytes = makeBmp(3, topDown ? -2 : 2, 8, palette, rows);
        const ImageResult r = decodeBmp(bytes.data(), bytes.size());
        ASSERT_TRUE(r.ok()) << r.error;
        ASSERT_EQ(r.image.width(), 3);
        ASSERT_EQ(r.image.height(), 2);
        const int topFirst = topDown ? 10 : 40;
        EXPECT_EQ(pixelAt(r.image, 0, 0), (Pixel{topFirst, topFirst, topFirst}));
        EXPECT_EQ(pixelAt(r.image, 2, 1), topDown ? (Pixel{60, 60, 60}) : (Pixel{30, 30, 30}));
    }
}

TEST(BmpTest, ReadsColourPalettesOf1And4And8Bits) {
    // Palette entries are B, G, R.
    const std::vector<std::uint8_t> palette = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    const struct {
        int bits;
        std::vector<std::uint8_t> row;  // one file row of 4 pixels, padded
        std::vector<int> indices;
    } cases[] = {
        {1, {0b1010'0000, 0, 0, 0}, {1, 0, 1, 0}},
        {4, {0x23, 0x10, 0, 0}, {2, 3, 1, 0}},
        {8, {3, 2, 1, 0}, {3, 2, 1, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bits);
        std::vector<std::uint8_t> pal(palette.begin(), palette.begin() + 3 * std::min(4, 1 << c.bits));
        const auto bytes = makeBmp(4, 1, c.bits, pal, {c.row});
        const ImageResult r = decodeBmp(bytes.data(), bytes.size());
        ASSERT_TRUE(r.ok()) << r.error;
        for (int x = 0; x < 4; ++x) {
            const int i = c.indices[x];
            EXPECT_EQ(pixelAt(r.image, x, 0), (Pixel{palette[3 * i], palette[3 * i + 1], palette[3 * i + 2]})) << x;
        }
    }
}

TEST(BmpTest, PaletteIndexBeyondThePaletteReadsBlack) {
    const auto bytes = makeBmp(2, 1, 8, {9, 9, 9}, {{0, 200, 0, 0}});
    const ImageResult r = decodeBmp(bytes.data(), bytes.size());
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(pixelAt(r.image, 0, 0), (Pixel{9, 9, 9}));
    EXPECT_EQ(pixelAt(r.image, 1, 0), (Pixel{0, 0, 0}));
}

TEST(BmpTest, Reads16And32BitDirectColour) {
    const struct {
        const char* name;
        int bits;
        std::vector<std::uint8_t> row;
        std::vector<std::uint32_t> masks;
        Pixel expected;
    } cases[] = {
        // 5-5-5 default: red 31, green 0, blue 16 -> 0x7C10
        {"16-bit 555", 16, {0x10, 0x7C, 0, 0}, {}, {132, 0, 255}},
        // 5-6-5 bit fields: red 0, green 63, blue 31 -> 0x07FF
        {"16-bit 565", 16, {0xFF, 0x07, 0, 0}, {0xF800, 0x07E0, 0x001F}, {255, 255, 0}},
        // 32-bit BGRX: alpha byte ignored
        {"32-bit", 32, {11, 22, 33, 99}, {}, {11, 22, 33}},
        // 32-bit with fields R in low byte, B in the third
        {"32-bit fields", 32, {11, 22, 33, 99}, {0x000000FF, 0x0000FF00, 0x00FF0000}, {33, 22, 11}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto bytes = makeBmp(1, 1, c.bits, {}, {c.row}, c.masks);
        const ImageResult r = decodeBmp(bytes.data(), bytes.size());
        ASSERT_TRUE(r.ok()) << r.error;
        EXPECT_EQ(pixelAt(r.image, 0, 0), c.expected);
    }
}

TEST(BmpTest, Reads32BitTopDownImage) {
    const auto bytes = makeBmp(2, -2, 32, {}, {{1, 2, 3, 0, 4, 5, 6, 0}, {7, 8, 9, 0, 10, 11, 12, 0}});
    const ImageResult r = decodeBmp(bytes.data(), bytes.size());
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(pixelAt(r.image, 0, 0), (Pixel{1, 2, 3}));
    EXPECT_EQ(pixelAt(r.image, 1, 1), (Pixel{10, 11, 12}));
}

// ---- bad input -----------------------------------------------------------------------------

class BadInputTest : public ::testing::Test {
protected:
    ScratchDir dir;

    std::string fixture(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        const std::string path = dir.file(name);
        writeBytes(path, bytes);
        return path;
    }

    static std::vector<std::uint8_t> validJpeg() { return encodeJpeg(photoLike(64, 64)); }

    static void expectError(const std::string& path, const std::string& fragment) {
        const ImageResult r = readImageFile(path);
        EXPECT_FALSE(r.ok()) << path;
        EXPECT_TRUE(r.image.isEmpty());
        EXPECT_NE(r.error.find(fragment), std::string::npos) << "error was: " << r.error;
    }
};

TEST_F(BadInputTest, TruncatedJpeg) {
    std::vector<std::uint8_t> bytes = validJpeg();
    for (double keep : {0.9, 0.5, 0.05}) {
        SCOPED_TRACE(keep);
        const std::vector<std::uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(bytes.size() * keep));
        expectError(fixture("truncated.jpg", cut), "truncated.jpg");
    }
}

TEST_F(BadInputTest, CorruptJpeg) {
    std::vector<std::uint8_t> bytes = validJpeg();
    // Replace the entropy-coded data after the headers with a marker-laden mess.
    const std::size_t start = bytes.size() / 2;
    for (std::size_t i = start; i < bytes.size() - 2; i += 2) {
        bytes[i] = 0xFF;
        bytes[i + 1] = 0xD0 + static_cast<std::uint8_t>(i % 7);
    }
    expectError(fixture("corrupt.jpg", bytes), "corrupt JPEG");
    expectError(fixture("garbage.jpg", {0xFF, 0xD8, 1, 2, 3, 4, 5}), "garbage.jpg");
    expectError(fixture("text.jpg", {'h', 'e', 'l', 'l', 'o'}), "not a JPEG");
}

TEST_F(BadInputTest, ZeroByteFiles) {
    expectError(fixture("zero-byte.jpg", {}), "empty");
    expectError(fixture("zero-byte.bmp", {}), "empty");
    EXPECT_FALSE(decodeJpeg(nullptr, 0).ok());
    EXPECT_FALSE(decodeBmp(nullptr, 0).ok());
}

TEST_F(BadInputTest, MissingFileAndDirectory) {
    expectError(dir.file("missing.jpg"), "No such file");
    expectError(dir.file("missing.bmp"), "missing.bmp");
    expectError(dir.path().string(), "directory");
    EXPECT_FALSE(readImageFile("").ok());
}

TEST_F(BadInputTest, AbsurdDimensionsBmp) {
    // Claims 1 000 000 000 x 3 pixels in a 60-byte file.
    auto bytes = makeBmp(1, 1, 24, {}, {{1, 2, 3, 0}});
    testing::put32(bytes, 18, 1000000000u);
    expectError(fixture("absurd-dimensions.bmp", bytes), "exceed the limit");
    // INT32_MIN height: its magnitude overflows a 32-bit int.
    testing::put32(bytes, 18, 1);
    testing::put32(bytes, 22, 0x80000000u);
    expectError(fixture("absurd-height.bmp", bytes), "exceed the limit");
}

TEST_F(BadInputTest, NegativeSizeBmp) {
    auto bytes = makeBmp(1, 1, 24, {}, {{1, 2, 3, 0}});
    testing::put32(bytes, 18, static_cast<std::uint32_t>(-5));
    expectError(fixture("negative-size.bmp", bytes), "negative width");
    testing::put32(bytes, 18, 0);
    expectError(fixture("zero-width.bmp", bytes), "empty image");
}

TEST_F(BadInputTest, OversizeClaimIsRefusedBeforeAllocating) {
    // Within the per-side limit but beyond the byte limit: 16384 x 16384 x 3 bytes.
    auto bmp = makeBmp(1, 1, 24, {}, {{1, 2, 3, 0}});
    testing::put32(bmp, 18, 16384);
    testing::put32(bmp, 22, 16384);
    expectError(fixture("oversize-claim.bmp", bmp), "MiB");
    // One past the per-side limit in a JPEG frame header.
    std::vector<std::uint8_t> jpeg = validJpeg();
    const std::size_t at = sofDimensionsOffset(jpeg);
    ASSERT_NE(at, 0u);
    jpeg[at] = 0x40;  // height 16385
    jpeg[at + 1] = 0x01;
    expectError(fixture("oversize-claim.jpg", jpeg), "16384 pixels per side");
}

TEST(ImageLimitsTest, Boundaries) {
    EXPECT_EQ(checkImageLimits(1, 1), "");
    EXPECT_EQ(checkImageLimits(kMaxImageSide, 1), "");
    EXPECT_EQ(checkImageLimits(9000, 9000), "");
    EXPECT_NE(checkImageLimits(kMaxImageSide + 1, 1), "");
    EXPECT_NE(checkImageLimits(1, kMaxImageSide + 1), "");
    EXPECT_NE(checkImageLimits(kMaxImageSide, kMaxImageSide), "");
    EXPECT_NE(checkImageLimits(0, 5), "");
    EXPECT_NE(checkImageLimits(5, -1), "");
}

TEST_F(BadInputTest, TruncatedAndMalformedBmp) {
    auto full = makeBmp(4, 4, 24, {}, std::vector<std::vector<std::uint8_t>>(4, std::vector<std::uint8_t>(12, 7)));
    std::vector<std::uint8_t> cut(full.begin(), full.end() - 5);
    expectError(fixture("truncated.bmp", cut), "truncated");
    std::vector<std::uint8_t> headerOnly(full.begin(), full.begin() + 20);
    expectError(fixture("header-only.bmp", headerOnly), "truncated");

    auto badDepth = full;
    testing::put16(badDepth, 28, 7);
    expectError(fixture("bad-depth.bmp", badDepth), "bit depth");
    auto rle = full;
    testing::put16(rle, 28, 8);
    testing::put32(rle, 30, 1);
    expectError(fixture("rle.bmp", rle), "compression");
    auto badOffset = full;
    testing::put32(badOffset, 10, 0xFFFFFFF0u);
    expectError(fixture("bad-offset.bmp", badOffset), "offset");
    auto badHeader = full;
    testing::put32(badHeader, 14, 99);
    expectError(fixture("bad-header.bmp", badHeader), "header size");
    // Palette claimed but cut off.
    auto pal = makeBmp(1, 1, 8, std::vector<std::uint8_t>(3 * 256, 1), {{0, 0, 0, 0}});
    std::vector<std::uint8_t> palCut(pal.begin(), pal.begin() + 14 + 40 + 100);
    expectError(fixture("palette-cut.bmp", palCut), "palette");
}

// ---- writing -------------------------------------------------------------------------------

TEST(WriteTest, ReplacesAnExistingFileAndLeavesNoTemporaryFile) {
    ScratchDir dir;
    const std::string path = dir.file("out.bmp");
    writeBytes(path, {1, 2, 3});
    const ImageBuffer img = randomImage(9, 9, 4);
    ASSERT_EQ(writeImageFile(img, path), "");
    EXPECT_TRUE(readImageFile(path).image == img);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"out.bmp"});
}

TEST(WriteTest, OutputNamesUpToTheFileNameLimitCanBeWritten) {
    ScratchDir dir;
    const ImageBuffer img = randomImage(3, 2, 5);
    for (const std::size_t length : {237u, 250u, 255u}) {
        for (const char* extension : {".bmp", ".jpg"}) {
            const std::string name = std::string(length - 4, 'n') + extension;
            ASSERT_EQ(writeImageFile(img, dir.file(name)), "") << length << extension;
        }
    }
    EXPECT_EQ(dir.entries().size(), 6u);  // no temporary file left beside them
}

TEST(WriteTest, FailedWritesLeaveTheDestinationAlone) {
    ScratchDir dir;
    const std::string existing = dir.file("keep.jpg");
    writeBytes(existing, {1, 2, 3});
    // Nothing to encode: the old file stays as it was.
    EXPECT_NE(writeImageFile(ImageBuffer(), existing), "");
    EXPECT_EQ(readBytes(existing), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_NE(writeBmpFile(ImageBuffer(), dir.file("new.bmp")), "");

    // Missing directory: a clear error, nothing created.
    const std::string error = writeImageFile(randomImage(2, 2, 1), dir.file("no-such-dir/x.bmp"));
    EXPECT_NE(error.find("No such file"), std::string::npos) << error;
    // The destination is a directory: the rename fails and the temporary file is removed.
    std::filesystem::create_directory(dir.path() / "sub.jpg");
    EXPECT_NE(writeImageFile(randomImage(2, 2, 1), dir.file("sub.jpg")), "");
    std::vector<std::string> entries = dir.entries();
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string>{"keep.jpg", "sub.jpg"}));
    EXPECT_NE(writeImageFile(randomImage(2, 2, 1), ""), "");
    EXPECT_NE(writeImageFile(randomImage(2, 2, 1), dir.file("")), "");
}

TEST(WriteTest, KeepingWritesNeverReplaceAFileOfTheFinalName) {
    ScratchDir dir;
    const ImageBuffer img = randomImage(5, 4, 8);
    for (const char* name : {"taken.jpg", "taken.bmp"}) {
        writeBytes(dir.file(name), {7, 7});
        const std::string error = std::string(name).ends_with(".jpg")
                                      ? writeJpegFile(img, dir.file(name), 100, ExistingFile::Keep)
                                      : writeBmpFile(img, dir.file(name), ExistingFile::Keep);
        EXPECT_NE(error.find("already exists"), std::string::npos) << error;
        EXPECT_EQ(readBytes(dir.file(name)), (std::vector<std::uint8_t>{7, 7}));
    }
    ASSERT_EQ(writeBmpFile(img, dir.file("free.bmp"), ExistingFile::Keep), "");
    EXPECT_TRUE(readImageFile(dir.file("free.bmp")).image == img);
    EXPECT_EQ(dir.entries().size(), 3u);  // no temporary file left beside them
}

// A file size limit makes the kernel refuse the writes as a full disk would, part way through.
TEST(WriteTest, ADiskThatFillsUpGivesAClearMessageAndLosesNothing) {
    ScratchDir dir;
    const std::string existing = dir.file("keep.jpg");
    writeBytes(existing, {1, 2, 3});
    const ImageBuffer big = randomImage(300, 200, 3);
    const auto writeOnAFullDisk = [&] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{8192, 8192};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        bool ok = true;
        for (const std::string& error : {writeJpegFile(big, existing), writeBmpFile(big, dir.file("new.bmp")),
                                         writeJpegFile(big, dir.file("new.jpg"), 100, ExistingFile::Keep)}) {
            const bool clear = error.rfind("cannot write ", 0) == 0 && error.find(dir.path().string()) == 13 &&
                               error.find("File too large") != std::string::npos;
            if (!clear) std::fprintf(stderr, "unclear message: %s\n", error.c_str());
            ok = ok && clear;
        }
        std::_Exit(ok ? 0 : 1);
    };
    EXPECT_EXIT(writeOnAFullDisk(), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(readBytes(existing), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"keep.jpg"});
}

// ---- row-by-row reading and writing ---------------------------------------------------------

TEST(RowStreamTest, ReaderGivesTheSameRowsAsTheWholeFileReader) {
    ScratchDir dir;
    const ImageBuffer img = photoLike(37, 21);
    for (const char* name : {"s.jpg", "s.bmp", "s.JPEG"}) ASSERT_EQ(writeImageFile(img, dir.file(name)), "");
    // BMP kinds whose rows the reader converts one by one: palettes, masks, top-down order.
    std::vector<std::uint8_t> palette;
    for (int i = 0; i < 16; ++i) palette.insert(palette.end(), {static_cast<std::uint8_t>(i * 16), 7, static_cast<std::uint8_t>(255 - i)});
    writeBytes(dir.file("p8-topdown.bmp"), makeBmp(5, -3, 8, palette, {{0, 1, 2, 15, 20, 0, 0, 0}, {3, 4, 5, 6, 7, 0, 0, 0}, {9, 9, 8, 8, 1, 0, 0, 0}}));
    writeBytes(dir.file("p4.bmp"), makeBmp(3, 2, 4, palette, {{0x12, 0xF0, 0, 0}, {0xAB, 0x30, 0, 0}}));
    writeBytes(dir.file("m32.bmp"), makeBmp(2, 2, 32, {}, {{1, 2, 3, 4, 5, 6, 7, 8}, {9, 10, 11, 12, 13, 14, 15, 16}},
                                            {0x00FF0000, 0x0000FF00, 0x000000FF}));
    for (const char* name : {"s.jpg", "s.bmp", "s.JPEG", "p8-topdown.bmp", "p4.bmp", "m32.bmp"}) {
        SCOPED_TRACE(name);
        const ImageResult whole = readImageFile(dir.file(name));
        ASSERT_TRUE(whole.ok()) << whole.error;
        const int w = whole.image.width(), h = whole.image.height();
        const std::vector<std::uint8_t> bytes = readBytes(dir.file(name));
        for (const bool fromMemory : {false, true}) {
            SCOPED_TRACE(fromMemory ? "bytes in memory" : "file");
            ImageRowReader reader;
            ASSERT_EQ(fromMemory ? reader.openBytes(bytes.data(), bytes.size(), imageFileKindFor(name), name)
                                 : reader.open(dir.file(name)),
                      "");
            ASSERT_EQ(reader.width(), w);
            ASSERT_EQ(reader.height(), h);
            for (int y = 0; y < h; ++y) {
                const std::uint8_t* row = reader.nextRow();
                ASSERT_NE(row, nullptr) << y;
                ASSERT_EQ(std::memcmp(row, whole.image.row(y), static_cast<std::size_t>(w) * 3), 0) << y;
            }
            EXPECT_EQ(reader.nextRow(), nullptr);
            EXPECT_EQ(reader.finish(), "");
        }
    }
}

TEST(RowStreamTest, ReaderReportsDamageEvenBeyondTheRowsUsed) {
    ScratchDir dir;
    std::vector<std::uint8_t> bytes = encodeJpeg(photoLike(64, 256));
    bytes.resize(bytes.size() * 9 / 10);  // the last rows are missing
    writeBytes(dir.file("truncated.jpg"), bytes);
    ImageRowReader reader;
    ASSERT_EQ(reader.open(dir.file("truncated.jpg")), "");
    ASSERT_NE(reader.nextRow(), nullptr);  // the first rows are intact
    const std::string error = reader.finish();
    EXPECT_NE(error.find("truncated.jpg"), std::string::npos) << error;
    EXPECT_EQ(reader.nextRow(), nullptr);
    ImageRowReader inMemory;
    ASSERT_EQ(inMemory.openBytes(bytes.data(), bytes.size(), ImageFileKind::Jpeg, "cut.jpg"), "");
    EXPECT_EQ(inMemory.finish().rfind("cut.jpg: ", 0), 0u) << inMemory.error();
    EXPECT_EQ(ImageRowReader().openBytes(bytes.data(), bytes.size(), ImageFileKind::Bmp, "x"),
              "x: not a BMP file (no \"BM\" signature)");

    ImageRowReader missing;
    EXPECT_NE(missing.open(dir.file("missing.jpg")), "");
    EXPECT_EQ(missing.nextRow(), nullptr);
    EXPECT_EQ(missing.width(), 0);
    ImageRowReader unopened;
    EXPECT_EQ(unopened.nextRow(), nullptr);
    EXPECT_NE(unopened.finish(), "");
    writeBytes(dir.file("zero-byte.jpg"), {});
    EXPECT_NE(ImageRowReader().open(dir.file("zero-byte.jpg")), "");
    std::vector<std::uint8_t> bmp;
    ASSERT_EQ(encodeBmpTo(photoLike(8, 8), bmp), "");
    bmp.resize(bmp.size() - 1);
    writeBytes(dir.file("cut.bmp"), bmp);
    EXPECT_NE(ImageRowReader().open(dir.file("cut.bmp")).find("cut.bmp: truncated"), std::string::npos);
}

TEST(RowStreamTest, WriterProducesTheSameBytesAsTheInMemoryEncoder) {
    ScratchDir dir;
    const ImageBuffer img = photoLike(50, 40);
    ASSERT_EQ(writeJpegFile(img, dir.file("a.jpg")), "");
    EXPECT_EQ(readBytes(dir.file("a.jpg")), encodeJpeg(img));
    // A picture larger than the writer's output buffer.
    const ImageBuffer big = randomImage(700, 300, 5);
    ASSERT_EQ(writeJpegFile(big, dir.file("big.jpg")), "");
    EXPECT_EQ(readBytes(dir.file("big.jpg")), encodeJpeg(big));
}

TEST(RowStreamTest, BmpWriterWritesTheBytesOfTheInMemoryEncoder) {
    // Widths with every amount of row fill (0 to 3 bytes); the test pictures' fill bytes hold
    // noise, which must not reach the file.
    ScratchDir dir;
    const struct {
        int width, height;
    } cases[] = {{1, 1}, {2, 3}, {3, 2}, {4, 5}, {5, 7}, {17, 4}, {66, 9}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        const ImageBuffer img = randomImage(c.width, c.height, static_cast<std::uint32_t>(c.width));
        std::vector<std::uint8_t> expected;
        ASSERT_EQ(encodeBmpTo(img, expected), "");
        const std::string path = dir.file(std::to_string(c.width) + "w.bmp");
        BmpRowWriter writer;
        ASSERT_EQ(writer.open(path, c.width, c.height), "");
        for (int y = 0; y < c.height; ++y) ASSERT_EQ(writer.writeRow(img.row(y)), "");
        ASSERT_EQ(writer.commit(), "");
        EXPECT_EQ(readBytes(path), expected);
        ASSERT_EQ(writeBmpFile(img, path), "");
        EXPECT_EQ(readBytes(path), expected);
    }
    EXPECT_EQ(dir.entries().size(), std::size(cases));
}

// Short, abandoned and overlong writes, for either row writer: nothing at the destination,
// no temporary file, and a file already there is left as it was.
template <typename Writer>
void checkFailedWritesLeaveNothing(const std::string& ext) {
    ScratchDir dir;
    const ImageBuffer img = photoLike(8, 4);
    const std::string kept = dir.file("kept" + ext);
    writeBytes(kept, {1, 2, 3});
    {
        Writer writer;
        ASSERT_EQ(writer.open(dir.file("short" + ext), 8, 4), "");
        ASSERT_EQ(writer.writeRow(img.row(0)), "");
        EXPECT_NE(writer.commit().find("1 of 4 rows"), std::string::npos);
        EXPECT_NE(writer.writeRow(img.row(1)), "");
    }
    {
        Writer writer;
        ASSERT_EQ(writer.open(kept, 8, 4), "");
        ASSERT_EQ(writer.writeRow(img.row(0)), "");
    }
    {
        Writer writer;
        ASSERT_EQ(writer.open(dir.file("long" + ext), 8, 1), "");
        ASSERT_EQ(writer.writeRow(img.row(0)), "");
        EXPECT_NE(writer.writeRow(img.row(1)), "");
        EXPECT_NE(writer.commit(), "");
    }
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"kept" + ext});
    EXPECT_EQ(readBytes(kept), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_NE(Writer().open(dir.file("no-dir/x" + ext), 8, 4), "");
    EXPECT_NE(Writer().open(dir.file("zero" + ext), 0, 4), "");
    EXPECT_NE(Writer().commit(), "");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"kept" + ext});
}

TEST(RowStreamTest, IncompleteOrAbandonedWritesLeaveNothing) {
    checkFailedWritesLeaveNothing<JpegRowWriter>(".jpg");
    checkFailedWritesLeaveNothing<BmpRowWriter>(".bmp");
    EXPECT_NE(JpegRowWriter().open(::testing::TempDir() + "q.jpg", 8, 4, 0), "");
}

// ---- real data -----------------------------------------------------------------------------

TEST(RealDataTest, MissionJpegsLoadAt1024By1024) {
    const std::filesystem::path images = std::filesystem::path(KELDAR_REALDATA_DIR) / "images";
    std::error_code ec;
    if (!std::filesystem::is_directory(images, ec)) {
        GTEST_SKIP() << "real mission images not present at " << images.string();
    }
    int checked = 0;
    for (const auto& entry : std::filesystem::directory_iterator(images)) {
        const std::string name = entry.path().filename().string();
        if (name.size() < 8 || name.substr(name.size() - 8) != ".img.jpg") continue;
        SCOPED_TRACE(name);
        const ImageResult r = readImageFile(entry.path().string());
        ASSERT_TRUE(r.ok()) << r.error;
        EXPECT_EQ(r.image.width(), 1024);
        EXPECT_EQ(r.image.height(), 1024);
        ++checked;
    }
    if (checked == 0) GTEST_SKIP() << "no *.img.jpg files in " << images.string();
}

}  // namespace
}  // namespace keldar::imaging
