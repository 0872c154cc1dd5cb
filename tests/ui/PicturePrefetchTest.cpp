// Reading ahead: a picture read on the worker is shown only for the file it was read from, as
// that file is now; and what the views draw is what scaling the picture itself gives.

#include <future>

#include <sys/stat.h>

#include <QFile>

#include "core/imaging/ImageFile.h"
#include "support/UiTestSupport.h"
#include "ui/app/FileBrowser.h"
#include "ui/app/ImageView.h"
#include "ui/app/PicturePrefetch.h"

namespace keldar::testing {
namespace {

using ui::PicturePrefetch;

std::string bytesOf(const QString& path) { return QFile::encodeName(path).toStdString(); }

ui::FileStamp stampOf(const QString& path) {
    const std::optional<ui::FileStamp> stamp = ui::fileStampOf(bytesOf(path));
    if (!stamp) throw std::runtime_error("cannot examine " + path.toStdString());
    return *stamp;
}

// Writes a new version of a file: another width (so another size) through a new file renamed
// over the old one, as the saves do.
void replacePicture(const QString& path, int width) {
    const QString fresh = path + QStringLiteral(".new.jpg");
    writePicture(fresh, width, 20, 200, 10, 10);
    if (std::rename(bytesOf(fresh).c_str(), bytesOf(path).c_str()) != 0) throw std::runtime_error("rename failed");
}

TEST(PictureDisplay, ScalesBilinearDownToHalfAndAveragesBelowIt) {
    QImage picture(40, 30, QImage::Format_BGR888);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) picture.setPixel(x, y, qRgb(x * 6, y * 8, (x * y) % 256));
    // Deeper than half (either way) and enlargements: Qt's smooth scaling of the picture itself.
    for (const QSize size : {QSize(40, 30), QSize(17, 13), QSize(100, 75), QSize(40, 11)}) {
        SCOPED_TRACE(size.width());
        const QImage expected =
            (size == picture.size() ? picture : picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation))
                .convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(ui::displayImage(picture, size), expected);
    }
    // At exactly half, every pixel is the mean of its 2 x 2 block (to the two levels Qt's
    // fixed-point interpolation may lose): no source pixel is skipped.
    const QImage half = ui::displayImage(picture, QSize(20, 15));
    ASSERT_EQ(half.format(), QImage::Format_RGB32);
    for (int y = 0; y < half.height(); ++y)
        for (int x = 0; x < half.width(); ++x) {
            int sums[3] = {0, 0, 0};
            for (const QPoint at : {QPoint(2 * x, 2 * y), QPoint(2 * x + 1, 2 * y), QPoint(2 * x, 2 * y + 1),
                                    QPoint(2 * x + 1, 2 * y + 1)}) {
                const QRgb pixel = picture.pixel(at);
                sums[0] += qRed(pixel);
                sums[1] += qGreen(pixel);
                sums[2] += qBlue(pixel);
            }
            const QRgb shown = half.pixel(x, y);
            EXPECT_NEAR(qRed(shown), sums[0] / 4.0, 2.0) << x << "," << y;
            EXPECT_NEAR(qGreen(shown), sums[1] / 4.0, 2.0) << x << "," << y;
            EXPECT_NEAR(qBlue(shown), sums[2] / 4.0, 2.0) << x << "," << y;
        }
}

class Prefetch : public WorkbenchTest {
protected:
    void SetUp() override {
        WorkbenchTest::SetUp();
        dir = makeDirectory(QStringLiteral("ahead"));
        for (int i = 0; i < 5; ++i) {
            const QString path = dir + QStringLiteral("/%1.jpg").arg(i);
            files << (i == 3 ? writeText(path, "not a picture") : writePicture(path, 31 + i, 20));
        }
    }

    QString dir;
    QStringList files;
};

TEST_F(Prefetch, HandsOverOnlyThePictureOfTheFileAskedFor) {
    const std::vector<ui::ViewTarget> views{{QSize(10, 10), false}, {QSize(62, 40), true}};
    struct Case {
        const char* name;
        int requested;
        int taken;
        bool replacedAfterwards;
        int expectedWidth;  // 0: nothing handed over; -1: handed over as not decoding
    };
    const Case cases[] = {
        {"the same file", 0, 0, false, 31},
        {"another file", 0, 1, false, 0},
        {"the same file, replaced since", 2, 2, true, 0},
        {"a file that does not decode", 3, 3, false, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PicturePrefetch prefetch;
        const QString requested = files[c.requested];
        const QString taken = files[c.taken];
        prefetch.request(bytesOf(requested), views);
        prefetch.waitIdle();
        if (c.replacedAfterwards) replacePicture(taken, 50);
        const std::optional<ui::PreparedPicture> ready = prefetch.take(bytesOf(taken), stampOf(taken));
        if (c.expectedWidth == 0) {
            EXPECT_FALSE(ready.has_value());
            continue;
        }
        ASSERT_TRUE(ready.has_value());
        if (c.expectedWidth < 0) {
            EXPECT_FALSE(ready->picture);
            continue;
        }
        ASSERT_TRUE(ready->picture);
        EXPECT_EQ(ready->picture->pixels(), imaging::readImageFile(bytesOf(taken)).image);
        std::vector<QSize> sizes;
        for (const QImage& image : ready->scaled) sizes.push_back(image.size());
        EXPECT_EQ(sizes, (std::vector<QSize>{QSize(10, 6), QSize(62, 40)}));
        // Handed over once: the slot is empty afterwards.
        EXPECT_FALSE(prefetch.take(bytesOf(taken), stampOf(taken)).has_value());
    }
}

TEST_F(Prefetch, APictureShownSmallIsDecodedSmallAndReadInFullWhenItsPixelsAreUsed) {
    const QString big = writePicture(dir + QStringLiteral("/big.jpg"), 200, 120);
    PicturePrefetch prefetch;
    prefetch.request(bytesOf(big), {{QSize(40, 40), false}, {QSize(45, 45), false}});
    prefetch.waitIdle();
    const std::optional<ui::PreparedPicture> ready = prefetch.take(bytesOf(big), stampOf(big));
    ASSERT_TRUE(ready.has_value() && ready->picture);
    EXPECT_EQ(ready->picture->size(), QSize(200, 120));
    std::vector<QSize> sizes;
    for (const QImage& image : ready->scaled) sizes.push_back(image.size());
    EXPECT_EQ(sizes, (std::vector<QSize>{QSize(40, 24), QSize(45, 27)}));
    EXPECT_EQ(ready->picture->pixels(), imaging::readImageFile(bytesOf(big)).image);
}

TEST_F(Prefetch, AFileReplacedWhileItIsReadIsReadAgain) {
    std::promise<void> started, release;
    std::shared_future<void> released = release.get_future().share();
    PicturePrefetch prefetch([&, released](const std::string& path) {
        started.set_value();
        released.wait();
        return imaging::readImageFile(path);
    });
    prefetch.request(bytesOf(files[0]), {});
    started.get_future().wait();
    replacePicture(files[0], 44);
    release.set_value();
    EXPECT_FALSE(prefetch.take(bytesOf(files[0]), stampOf(files[0])).has_value());
}

TEST_F(Prefetch, AReadThatHangsIsGivenUpAndAFifoInTheListIsPassed) {
    // A reader stuck for good: take() gives up after its bound instead of waiting with it.
    std::promise<void> started, release;
    std::shared_future<void> released = release.get_future().share();
    {
        PicturePrefetch stuck([&, released](const std::string& path) {
            started.set_value();
            released.wait();
            return imaging::readImageFile(path);
        });
        stuck.request(bytesOf(files[0]), {});
        started.get_future().wait();
        EXPECT_FALSE(stuck.take(bytesOf(files[0]), stampOf(files[0])).has_value());
        // Nor does its end wait for good: the worker, still stuck, is let go.
    }
    release.set_value();

    // A listed file replaced by a FIFO is neither waited for nor read: the walk passes it.
    enter(dir);
    ASSERT_TRUE(QFile::remove(files[3]));
    ASSERT_EQ(::mkfifo(QFile::encodeName(files[3]).constData(), 0600), 0);
    clickFile(2);  // reads the FIFO ahead
    mainWindow().waitForReadAhead();
    takeBoxes();
    mainWindow().selectFile(3);
    mainWindow().runGuarded([&] { mainWindow().runImageAction(); });
    EXPECT_EQ(mainWindow().fileBrowser().selectedIndex(), 4);
    EXPECT_EQ(shownWidth(), 35);
    EXPECT_TRUE(takeBoxes().empty());
}

// In the workbench: whatever the worker is doing when the selection moves, the picture shown
// is the selected file's as it is on disk.
TEST_F(Prefetch, TheWorkbenchShowsTheSelectedFileWhateverWasReadAhead) {
    enter(dir);
    clickFile(0);
    ASSERT_EQ(shownWidth(), 31);

    clickFile(1);  // reads 2 ahead
    clickFile(0);  // back up while it may still be read
    EXPECT_EQ(shownWidth(), 31);

    clickFile(1);
    mainWindow().waitForReadAhead();
    replacePicture(files[2], 47);  // replaced after it was read ahead
    clickFile(2);
    EXPECT_EQ(shownWidth(), 47);
    EXPECT_EQ(mainWindow().mainImage().picture(), imaging::readImageFile(bytesOf(files[2])).image);

    // The next file does not decode: read ahead as such, the walk passes it as before and
    // shows the one after it, without a word.
    takeBoxes();
    mainWindow().waitForReadAhead();
    mainWindow().selectFile(3);
    mainWindow().runGuarded([&] { mainWindow().runImageAction(); });
    EXPECT_EQ(shownWidth(), 35);
    EXPECT_EQ(mainWindow().fileBrowser().selectedIndex(), 4);
    EXPECT_TRUE(takeBoxes().empty());

    // Another directory with the same names: its own pictures are shown.
    const QString other = makeDirectory(QStringLiteral("other"));
    for (int i = 0; i < 3; ++i) writePicture(other + QStringLiteral("/%1.jpg").arg(i), 61 + i, 20);
    clickFile(0);  // reads 1 of the first directory ahead
    enter(other);
    clickFile(1);
    EXPECT_EQ(shownWidth(), 62);
}

}  // namespace
}  // namespace keldar::testing
