// "Movie of this sequence..." and the hidden "BMP to AVI external program" item, on a made
// sequence of four frames.

#include <QAction>
#include <QComboBox>
#include <QListWidget>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include "movie/MovieEncoder.h"
#include "support/UiTestSupport.h"
#include "ui/app/FileBrowser.h"
#include "ui/app/Workbench.h"
#include "ui/pages/MovieUnit35.h"

namespace keldar::testing {
namespace {

// Each frame has a colour of its own, so that the picture shown tells which frame it is.
const QColor kFrameColours[] = {QColor(200, 40, 40), QColor(40, 200, 40), QColor(40, 40, 200), QColor(200, 200, 40)};
constexpr int kFrames = 4;

TEST(MoviePreview, SizesRatesAndTheNextFrame) {
    EXPECT_EQ(ui::previewSize({1024, 512, 0}), QSize(360, 180));
    EXPECT_EQ(ui::previewSize({512, 1024, 0}), QSize(180, 360));
    EXPECT_EQ(ui::previewSize({320, 256, 0}), QSize(320, 256));
    EXPECT_EQ(ui::previewInterval(4), 250);
    EXPECT_EQ(ui::previewInterval(60), 16);
    EXPECT_EQ(ui::nextPreviewFrame(0, 4), 1);
    EXPECT_EQ(ui::nextPreviewFrame(3, 4), 0);
    EXPECT_EQ(ui::nextPreviewFrame(-1, 4), 0);
}

class MoviePage : public WorkbenchTest {
protected:
    void SetUp() override {
        WorkbenchTest::SetUp();
        directory = makeDirectory(QStringLiteral("sol13"));
        // 320 x 256 frames are larger than a pipe holds: a movie cannot be done before ffmpeg
        // has started taking them, which leaves Cancel time to come first.
        for (int i = 0; i < kFrames; ++i) {
            const QColor c = kFrameColours[i];
            writePicture(directory + QLatin1Char('/') + frameName(i), 320, 256, c.blue(), c.green(), c.red());
        }
        writePicture(directory + QStringLiteral("/2N126471340EFF0000P1214R0M1.JPG"), 320, 256);  // the other eye
        writePicture(directory + QStringLiteral("/IMG_0001.jpg"), 40, 30);
        enter(directory);
        showFile(frameName(2));
        takeBoxes();
    }

    static QString frameName(int i) { return QStringLiteral("2N1264713%1EFF0000P1214L0M1.JPG").arg(40 + 10 * i); }
    void showFile(const QString& name) {
        clickFile(static_cast<int>(ui::listImageDirectoryFiles(directory).indexOf(name)));
        ASSERT_TRUE(state().currentFilePath.endsWith(name));
    }
    void choose(const char* item) { mainWindow().menuItem(QString::fromLatin1(item))->trigger(); }
    ui::TForm35& page() const { return bench->moviePage(); }
    void press(const char* button) {
        QTest::mouseClick(&child<QPushButton>(page(), QString::fromLatin1(button)), Qt::LeftButton);
    }
    QStringList listedFrames() const {
        QStringList names;
        const QListWidget& list = child<QListWidget>(page(), QStringLiteral("ListBox1"));
        for (int i = 0; i < list.count(); ++i) names << list.item(i)->text();
        return names;
    }
    QColor shownColour() const {
        const QImage shown = child<QLabel>(page(), QStringLiteral("Image1")).pixmap().toImage();
        return shown.isNull() ? QColor() : shown.pixelColor(shown.width() / 2, shown.height() / 2);
    }
    static bool near(const QColor& a, const QColor& b) {
        return std::abs(a.red() - b.red()) < 16 && std::abs(a.green() - b.green()) < 16 &&
               std::abs(a.blue() - b.blue()) < 16;
    }
    QString moviesDirectory() const { return directory + QStringLiteral("/ImageCategories/Movies"); }
    // Everything in it, hidden files too: a temporary file left behind counts.
    QStringList moviesEntries() const {
        return QDir(moviesDirectory()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }

    QString directory;
};

TEST_F(MoviePage, TheMenuOpensThePageOnTheShownPicturesSequence) {
    choose("Movieofthissequence1");
    ASSERT_TRUE(page().isVisible());
    QStringList frames;
    for (int i = 0; i < kFrames; ++i) frames << frameName(i);
    EXPECT_EQ(listedFrames(), frames);
    EXPECT_EQ(labelText(page(), QStringLiteral("Label1")),
              QStringLiteral("Sequence P1214 of Spirit's NAVCAM, left eye: 4 frames."));
    EXPECT_EQ(child<QSpinBox>(page(), QStringLiteral("SpinEdit1")).value(), 4);
    EXPECT_TRUE(child<QPushButton>(page(), QStringLiteral("Button1")).isEnabled());

    // A picture of no sequence: the page says so and offers nothing.
    showFile(QStringLiteral("IMG_0001.jpg"));
    choose("Movieofthissequence1");
    EXPECT_TRUE(labelText(page(), QStringLiteral("Label2")).startsWith(QStringLiteral("No movie can be made here: ")));
    EXPECT_TRUE(listedFrames().isEmpty());
    EXPECT_FALSE(child<QPushButton>(page(), QStringLiteral("Button1")).isEnabled());
    EXPECT_FALSE(child<QPushButton>(page(), QStringLiteral("Button2")).isEnabled());
    EXPECT_TRUE(takeBoxes().empty());
}

TEST_F(MoviePage, PreviewPlaysThePreparedFramesAtTheChosenRate) {
    choose("Movieofthissequence1");
    QSignalSpy prepared(&page(), &ui::TForm35::previewFinished);
    press("Button1");
    ASSERT_TRUE(prepared.wait(30000));
    ASSERT_EQ(page().previewFrameCount(), kFrames) << page().statusText().toStdString();
    const QTimer& player = child<QTimer>(page(), QStringLiteral("Timer1"));
    EXPECT_TRUE(player.isActive());
    EXPECT_EQ(player.interval(), 250);
    EXPECT_EQ(page().shownPreviewFrame(), 0);
    EXPECT_TRUE(near(shownColour(), kFrameColours[0])) << shownColour().name().toStdString();

    // The timer steps through the frames, the picture with it.
    QTRY_COMPARE_WITH_TIMEOUT(page().shownPreviewFrame(), 1, 2000);
    EXPECT_TRUE(near(shownColour(), kFrameColours[1])) << shownColour().name().toStdString();
    QTRY_COMPARE_WITH_TIMEOUT(page().shownPreviewFrame(), 0, 3000);

    child<QSpinBox>(page(), QStringLiteral("SpinEdit1")).setValue(10);
    EXPECT_EQ(player.interval(), 100);

    // Another look makes the frames out of date: they go, and the timer stops.
    child<QComboBox>(page(), QStringLiteral("ComboBox1")).setCurrentIndex(2);
    EXPECT_FALSE(player.isActive());
    EXPECT_EQ(page().previewFrameCount(), 0);
    EXPECT_TRUE(takeBoxes().empty());
}

TEST_F(MoviePage, MakesNumberedMoviesNeverReplacingAndCancelLeavesNothing) {
    if (movie::findFfmpeg().empty()) GTEST_SKIP() << movie::kFfmpegMissing;
    choose("Movieofthissequence1");
    QSignalSpy finished(&page(), &ui::TForm35::movieFinished);
    const QString saved =
        moviesDirectory() + QLatin1Char('/') + frameName(0).chopped(4) + QStringLiteral("-movie-%1.mp4");
    qint64 firstSize = 0;
    for (const char* counter : {"01", "02"}) {
        press("Button2");
        EXPECT_FALSE(child<QPushButton>(page(), QStringLiteral("Button2")).isEnabled());
        ASSERT_TRUE(finished.wait(60000));
        EXPECT_TRUE(takeBoxes().empty()) << page().statusText().toStdString();
        const QString path = saved.arg(QLatin1String(counter));
        EXPECT_EQ(page().lastSavedPath(), path);
        EXPECT_GT(QFileInfo(path).size(), 0);
        EXPECT_TRUE(page().statusText().startsWith(QStringLiteral("4 frames of 320 x 256 pixels at 4 a second")))
            << page().statusText().toStdString();
        EXPECT_TRUE(page().statusText().endsWith(path));
        if (firstSize == 0) firstSize = QFileInfo(path).size();
    }
    EXPECT_EQ(QFileInfo(saved.arg(QLatin1String("01"))).size(), firstSize);

    // Cancel at once: nothing more is there, not even a temporary file.
    const QStringList before = moviesEntries();
    EXPECT_EQ(before.size(), 2);
    press("Button2");
    press("Button3");
    ASSERT_TRUE(finished.wait(60000));
    EXPECT_EQ(page().statusText(), QStringLiteral("Cancelled: nothing was saved."));
    EXPECT_EQ(moviesEntries(), before);
    EXPECT_TRUE(child<QPushButton>(page(), QStringLiteral("Button2")).isEnabled());
}

TEST_F(MoviePage, BmpToAviOpensThePageUnlessTheOldProgramIsInTheHomeDirectory) {
    choose("BMPtoAVIexternalprogram1");
    EXPECT_TRUE(page().isVisible());
    EXPECT_EQ(listedFrames().size(), kFrames);
    EXPECT_TRUE(platform.startedPrograms.empty());

    page().close();
    writeText(directory + QStringLiteral("/AVIBuilder.exe"), "MZ");
    choose("BMPtoAVIexternalprogram1");
    EXPECT_FALSE(page().isVisible());
    EXPECT_EQ(platform.startedPrograms, std::vector<QStringList>{{directory + QStringLiteral("/AVIBuilder.exe")}});
}

}  // namespace
}  // namespace keldar::testing
