// The full-size page: the picture at its own pixel size at (16, 16) in a maximised grey window
// that scrolls only when the picture reaches past it.

#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include "support/UiTestSupport.h"
#include "ui/pages/FullSizeImageUnit17.h"

namespace keldar::testing {
namespace {

QImage filled(int width, int height, const QColor& colour) {
    QImage image(width, height, QImage::Format_RGB888);
    image.fill(colour);
    return image;
}

class FullSizePage : public WorkbenchTest {
protected:
    ui::TForm17& page() const { return bench->fullSizeImagePage(); }
    void showAndWait(const QImage& image) {
        page().showImage(image);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&page()));
        QCoreApplication::processEvents();  // the scroll area lays out its bars
    }
    QScrollBar& horizontal() const { return *page().scrollArea().horizontalScrollBar(); }
    QScrollBar& vertical() const { return *page().scrollArea().verticalScrollBar(); }
};

TEST(FullSizeSurface, EndsWhereThePictureEnds) {
    EXPECT_EQ(ui::fullSizeSurface(QSize(2000, 1500), QPoint(16, 16)), QSize(2016, 1516));
    EXPECT_EQ(ui::fullSizeSurface(QSize(1, 1), QPoint(16, 16)), QSize(17, 17));
    EXPECT_EQ(ui::fullSizeSurface(QSize(), QPoint(16, 16)), QSize(16, 16)) << "no picture yet";
}

TEST_F(FullSizePage, ALargeImageKeepsItsSizeAndTheWindowScrollsToEveryCorner) {
    showAndWait(filled(2000, 1500, QColor(0, 0, 200)));
    EXPECT_TRUE(page().isMaximized());
    EXPECT_EQ(page().picture().size(), QSize(2000, 1500));
    EXPECT_EQ(page().picture().pos(), QPoint(16, 16));
    EXPECT_TRUE(horizontal().isVisible());
    EXPECT_TRUE(vertical().isVisible());

    // Scrolled to the end, the picture's last pixel column and row are inside the view.
    horizontal().setValue(horizontal().maximum());
    vertical().setValue(vertical().maximum());
    QCoreApplication::processEvents();
    const QWidget& viewport = *page().scrollArea().viewport();
    const QPoint lastPixel = page().picture().mapTo(&viewport, QPoint(1999, 1499));
    EXPECT_TRUE(viewport.rect().contains(lastPixel)) << lastPixel.x() << "," << lastPixel.y();
    EXPECT_EQ(lastPixel, QPoint(viewport.width() - 1, viewport.height() - 1));
}

TEST_F(FullSizePage, ASmallImageShowsWithoutScrollBarsOnGrey) {
    showAndWait(filled(100, 80, QColor(0, 0, 200)));
    EXPECT_EQ(page().picture().size(), QSize(100, 80));
    EXPECT_FALSE(horizontal().isVisible());
    EXPECT_FALSE(vertical().isVisible());

    const QImage shot = page().grab().toImage();
    const qreal ratio = shot.devicePixelRatio();
    const QPoint origin = page().picture().mapTo(&page(), QPoint(0, 0));
    EXPECT_EQ(origin, QPoint(5 + 16, 5 + 16)) << "a 5-pixel border, then the picture at (16, 16)";
    EXPECT_EQ(shot.pixelColor((origin + QPoint(50, 40)) * ratio), QColor(0, 0, 200));
    const QColor border = shot.pixelColor(QPoint(2, 2) * ratio);
    const QColor margin = shot.pixelColor((origin - QPoint(8, 8)) * ratio);
    EXPECT_EQ(border, margin);
    EXPECT_TRUE(border.red() == border.green() && border.green() == border.blue()) << "grey";
    EXPECT_NE(border, QColor(Qt::white));
}

TEST_F(FullSizePage, ShowImageTakesACopyAndANewImageReplacesTheOld) {
    QImage image = filled(2000, 1500, QColor(0, 0, 200));
    showAndWait(image);
    image.fill(Qt::black);
    EXPECT_EQ(page().image().pixelColor(10, 10), QColor(0, 0, 200));

    showAndWait(filled(30, 20, QColor(0, 200, 0)));
    EXPECT_EQ(page().picture().size(), QSize(30, 20));
    EXPECT_FALSE(horizontal().isVisible()) << "the bars go with the large picture";
}

TEST_F(FullSizePage, ShownWithoutAnImageItOpensMaximisedAndEmpty) {
    page().showPage();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page()));
    EXPECT_TRUE(page().isMaximized());
    EXPECT_TRUE(page().image().isNull());
    // A null image is shown as no picture rather than failing.
    page().showImage(filled(40, 40, Qt::red));
    page().showImage(QImage());
    EXPECT_TRUE(page().image().isNull());
    EXPECT_TRUE(page().picture().size().isEmpty());
}

TEST_F(FullSizePage, ReopensMaximisedAfterTheUserRestoredAndClosedIt) {
    showAndWait(filled(50, 50, Qt::red));
    page().showNormal();
    page().close();
    page().showPage();
    EXPECT_TRUE(page().isMaximized());
    EXPECT_EQ(page().picture().size(), QSize(50, 50)) << "the picture stays for the next showing";
}

}  // namespace
}  // namespace keldar::testing
