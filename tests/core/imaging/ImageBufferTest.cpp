#include "core/imaging/ImageBuffer.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace keldar::imaging {
namespace {

using testing::randomImage;

TEST(ImageBufferTest, StrideIsThreeBytesPerPixelRoundedUpToFour) {
    const struct {
        int width;
        std::size_t stride;
    } cases[] = {{1, 4}, {2, 8}, {3, 12}, {4, 12}, {5, 16}, {7, 24}, {1024, 3072}, {1023, 3072}, {1021, 3064}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.width);
        EXPECT_EQ(ImageBuffer::strideFor(c.width), c.stride);
        ImageBuffer img(c.width, 3);
        EXPECT_EQ(img.stride(), c.stride);
        EXPECT_EQ(img.byteCount(), c.stride * 3);
        EXPECT_EQ(img.stride() % 4, 0u);
    }
}

TEST(ImageBufferTest, RowsAreStrideApartFromTheTop) {
    ImageBuffer img(5, 4);
    for (int y = 0; y < 4; ++y) {
        EXPECT_EQ(img.row(y), img.data() + y * img.stride());
    }
    img.row(3)[0] = 42;
    EXPECT_EQ(img.data()[3 * 16], 42);
    const ImageBuffer& c = img;
    EXPECT_EQ(c.row(2), c.data() + 2 * 16);
}

TEST(ImageBufferTest, EmptyAndNonPositiveSizes) {
    const struct {
        int w, h;
    } cases[] = {{0, 0}, {0, 5}, {5, 0}, {-3, 4}, {4, -3}};
    for (const auto& c : cases) {
        ImageBuffer img(c.w, c.h);
        EXPECT_TRUE(img.isEmpty()) << c.w << "x" << c.h;
        EXPECT_EQ(img.width(), 0);
        EXPECT_EQ(img.height(), 0);
        EXPECT_EQ(img.byteCount(), 0u);
    }
    EXPECT_TRUE(ImageBuffer().isEmpty());
    EXPECT_FALSE(ImageBuffer(1, 1).isEmpty());
}

TEST(ImageBufferTest, ResizeToSmallerOrEqualSizeKeepsTheAllocation) {
    ImageBuffer img(64, 64);
    const std::uint8_t* before = img.data();
    img.resize(32, 16);
    EXPECT_EQ(img.data(), before);
    EXPECT_EQ(img.width(), 32);
    EXPECT_EQ(img.height(), 16);
    EXPECT_EQ(img.stride(), 96u);
    img.resize(64, 64);
    EXPECT_EQ(img.data(), before);
}

TEST(ImageBufferTest, EqualityComparesSizeAndPixelsButNotFillBytes) {
    ImageBuffer a = randomImage(5, 3, 1);  // stride 16: one fill byte per row
    ImageBuffer b = a;
    EXPECT_TRUE(a == b);
    b.row(1)[15] ^= 0xFF;  // fill byte
    EXPECT_TRUE(a == b);
    b.row(1)[14] ^= 0x01;  // red byte of the last pixel
    EXPECT_FALSE(a == b);

    EXPECT_FALSE(randomImage(5, 3, 1) == randomImage(5, 4, 1));
    EXPECT_FALSE(randomImage(4, 3, 1) == randomImage(5, 3, 1));
    EXPECT_TRUE(ImageBuffer() == ImageBuffer(0, 7));
}

}  // namespace
}  // namespace keldar::imaging
