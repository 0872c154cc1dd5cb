// Showing pictures: the conversion between the 24-bit buffer and QImage, and where a picture
// lands in a view with and without stretching.

#include <QImage>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>

#include "ui/app/Controls.h"
#include "ui/app/ImageConversion.h"
#include "ui/app/ImageView.h"

namespace keldar::ui {
namespace {

imaging::ImageBuffer gradient(int width, int height) {
    imaging::ImageBuffer buffer(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            buffer.row(y)[3 * x] = static_cast<std::uint8_t>(x);
            buffer.row(y)[3 * x + 1] = static_cast<std::uint8_t>(y);
            buffer.row(y)[3 * x + 2] = static_cast<std::uint8_t>(x + y);
        }
    return buffer;
}

TEST(ImageConversion, RowsWithPaddingSurviveTheRoundTrip) {
    // Width 5: 15 bytes of pixels in a 16-byte row.
    const imaging::ImageBuffer buffer = gradient(5, 3);
    const QImage image = toQImage(buffer);
    ASSERT_EQ(image.size(), QSize(5, 3));
    EXPECT_EQ(image.pixel(4, 2), qRgb(6, 2, 4));
    EXPECT_EQ(fromQImage(image), buffer);
}

TEST(ImageConversion, AnyFormatBecomesTwentyFourBits) {
    QImage argb(2, 1, QImage::Format_ARGB32);
    argb.setPixel(0, 0, qRgba(10, 20, 30, 255));
    argb.setPixel(1, 0, qRgba(40, 50, 60, 255));
    const imaging::ImageBuffer buffer = fromQImage(argb);
    ASSERT_EQ(buffer.width(), 2);
    const std::uint8_t* row = buffer.row(0);
    EXPECT_EQ((std::vector<int>{row[0], row[1], row[2], row[3], row[4], row[5]}),
              (std::vector<int>{30, 20, 10, 60, 50, 40}));
}

TEST(ImageConversion, EmptyStaysEmpty) {
    EXPECT_TRUE(toQImage({}).isNull());
    EXPECT_TRUE(fromQImage(QImage()).isEmpty());
}

TEST(PictureFit, SmallPicturesKeepTheirSizeCentredUnlessStretched) {
    EXPECT_EQ(fitPictureRect({100, 50}, {361, 363}, false), QRect(130, 156, 100, 50));
    EXPECT_EQ(fitPictureRect({100, 50}, {361, 363}, true), QRect(0, 91, 361, 180));
}

TEST(PictureFit, LargePicturesAreReducedInProportion) {
    // 2000 x 1500 in a 537-pixel square: full width, height about 403.
    const QRect large = fitPictureRect({2000, 1500}, {537, 537}, false);
    EXPECT_EQ(large.width(), 537);
    EXPECT_NEAR(large.height(), 403, 1);
    EXPECT_EQ(large.left(), 0);
    EXPECT_EQ(fitPictureRect({2000, 1500}, {537, 537}, true), large);
}

TEST(PictureFit, NothingToDrawInAnEmptyViewOrForAnEmptyPicture) {
    EXPECT_TRUE(fitPictureRect({0, 0}, {100, 100}, true).isEmpty());
    EXPECT_TRUE(fitPictureRect({10, 10}, {0, 0}, false).isEmpty());
}

TEST(ImageView, APictureLeftForLaterIsDrawnFromWhatWasScaledAndDecodedOnlyWhenItsPixelsAreUsed) {
    int decodes = 0;
    auto picture = std::make_shared<const Picture>(QSize(40, 20), [&decodes] {
        ++decodes;
        return imaging::ImageBuffer(40, 20);
    });
    QImage ready(20, 10, QImage::Format_RGB32);
    ready.fill(Qt::red);
    ImageView view;
    view.setDesignSize(QSize(20, 20));
    view.resize(20, 20);
    view.setPicture(picture, {ready});
    EXPECT_EQ(view.pictureRect(), QRect(0, 5, 20, 10));
    (void)view.grab();  // paints
    EXPECT_EQ(decodes, 0);
    EXPECT_EQ(view.picture().width(), 40);
    EXPECT_EQ(view.image().size(), QSize(40, 20));
    EXPECT_EQ(decodes, 1);
}

TEST(ValueLabel, SelectableWhileThePointerIsOverIt) {
    QWidget parent;
    QLabel* label = makeValueLabel(&parent, QStringLiteral("Label9"), QStringLiteral("42"), Qt::blue);
    EXPECT_FALSE(label->textInteractionFlags() & Qt::TextSelectableByMouse);
    QEvent enter(QEvent::Enter), leave(QEvent::Leave);
    QCoreApplication::sendEvent(label, &enter);
    EXPECT_TRUE(label->textInteractionFlags() & Qt::TextSelectableByMouse);
    QCoreApplication::sendEvent(label, &leave);
    EXPECT_FALSE(label->textInteractionFlags() & Qt::TextSelectableByMouse);
}

}  // namespace
}  // namespace keldar::ui
