// The large-image page as the user drives it: its step buttons move the main window through
// the directory, the slideshow and close buttons, the print button that copies or prints as its
// caption says, and the picture and fields kept current by the main window.

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QTest>
#include <QTimer>

#include "support/UiTestSupport.h"
#include "ui/app/ImageConversion.h"
#include "ui/app/ImageView.h"
#include "ui/app/ImageWalk.h"
#include "ui/pages/LargeImageUnit7.h"

namespace keldar::testing {
namespace {

using Kind = platform::FakePlatform::BoxKind;

const QString kClipboardMessage = QStringLiteral("Image saved to clipboard!");

class LargeImagePage : public WorkbenchTest {
protected:
    ui::TForm7& page() const { return bench->largeImagePage(); }
    QPushButton& button(const char* name) const { return child<QPushButton>(page(), QString::fromLatin1(name)); }
    void click(const char* name) { button(name).click(); }

    // a.jpg .. of widths 10, 11, ... so the width of a picture tells which file it is.
    QString makePictures(const QString& name, int count) {
        const QString directory = makeDirectory(name);
        for (int i = 0; i < count; ++i)
            writePicture(directory + QStringLiteral("/%1.jpg").arg(QChar('a' + i)), 10 + i, 6);
        return directory;
    }
    // Enters the directory, selects entry `index` as a click does and opens the page on it.
    void openOn(const QString& directory, int index) {
        enter(directory);
        if (index != mainWindow().selectedFileIndex()) clickFile(index);
        mainWindow().showLargeImage();
        ASSERT_TRUE(page().isVisible());
        ASSERT_TRUE(takeBoxes().empty());
    }
    void loopOff() {
        mainWindow().setOption(&ui::ViewerOptions::loop, false);
        ASSERT_FALSE(state().options.loop);
    }
    int pageWidth() const { return page().imageView().picture().width(); }
    QTimer& slideshowTimer() const { return child<QTimer>(mainWindow(), QStringLiteral("Timer1")); }
    QCheckBox& slideshowBox() const { return child<QCheckBox>(mainWindow(), QStringLiteral("CheckBox3")); }
    // A slideshow as the main window runs it: box ticked, mark set, timer on.
    void startSlideshow() {
        slideshowBox().setChecked(true);
        mainWindow().setOption(&ui::ViewerOptions::slideshowRunning, true);
        slideshowTimer().start();
    }
};

// --- Step buttons ---

TEST_F(LargeImagePage, ButtonsStandInTheirOrderWithTheirCaptions) {
    const std::pair<const char*, const char*> buttons[] = {
        {"Button3", "Previous Image"}, {"Button4", "Next Image"}, {"Button5", "Slideshow Start/Stop"},
        {"Button2", "Print"},          {"Button1", "Close"},
    };
    page().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page()));
    int above = -1;
    for (const auto& [name, caption] : buttons) {
        EXPECT_EQ(button(name).text(), QString::fromLatin1(caption)) << name;
        EXPECT_GT(button(name).y(), above) << name << " is not below the button before it";
        above = button(name).y();
    }
}

TEST_F(LargeImagePage, NextAndPreviousStepTheMainWindowAndShowTheNewImageHere) {
    openOn(makePictures(QStringLiteral("steps"), 4), 1);
    click("Button4");
    EXPECT_EQ(mainWindow().selectedFileIndex(), 2);
    EXPECT_EQ(shownWidth(), 12);
    EXPECT_EQ(pageWidth(), 12);
    click("Button3");
    EXPECT_EQ(mainWindow().selectedFileIndex(), 1);
    EXPECT_EQ(pageWidth(), 11);
    EXPECT_FALSE(state().steppingBack) << "the Image action takes the flag";
    EXPECT_TRUE(takeBoxes().empty());
    EXPECT_TRUE(page().isVisible());
}

TEST_F(LargeImagePage, NextOntoTheLastFileWithLoopOnShowsItAndThenTheFirst) {
    openOn(makePictures(QStringLiteral("loop"), 4), 2);
    click("Button4");
    EXPECT_EQ(mainWindow().selectedFileIndex(), 3);
    EXPECT_EQ(pageWidth(), 13);
    click("Button4");
    EXPECT_EQ(mainWindow().selectedFileIndex(), 0);
    EXPECT_EQ(pageWidth(), 10);
    EXPECT_TRUE(takeBoxes().empty());
}

TEST_F(LargeImagePage, NextOntoTheLastFileWithLoopOffSaysSoAndShowsTheLast) {
    openOn(makePictures(QStringLiteral("end"), 4), 2);
    loopOff();
    click("Button4");
    EXPECT_EQ(takeBoxes(), std::vector<QString>{ui::kEndOfDirectoryMessage});
    EXPECT_EQ(mainWindow().selectedFileIndex(), 3);
    EXPECT_EQ(pageWidth(), 13);
    // Past the last file the walk starts again at the first; nothing breaks.
    click("Button4");
    EXPECT_EQ(pageWidth(), 10);
    EXPECT_EQ(pageWidth(), shownWidth());
}

TEST_F(LargeImagePage, PreviousOntoTheFirstFileSaysStartOfDirectory) {
    openOn(makePictures(QStringLiteral("start"), 3), 1);
    click("Button3");
    EXPECT_EQ(platform.texts(Kind::Information), std::vector<QString>{ui::kStartOfDirectoryMessage});
    EXPECT_EQ(mainWindow().selectedFileIndex(), 0);
    EXPECT_EQ(pageWidth(), 10);
    EXPECT_FALSE(state().steppingBack);
}

TEST_F(LargeImagePage, PreviousAtTheFirstFileStaysOnIt) {
    openOn(makePictures(QStringLiteral("first"), 3), 0);
    click("Button3");
    EXPECT_EQ(mainWindow().selectedFileIndex(), 0);
    EXPECT_EQ(pageWidth(), 10);
    EXPECT_TRUE(platform.texts(Kind::Error).empty());
    EXPECT_FALSE(state().steppingBack);
}

TEST_F(LargeImagePage, PreviousDuringASlideshowReachesTheFirstFileWithoutTheMessage) {
    openOn(makePictures(QStringLiteral("quiet"), 3), 1);
    slideshowBox().setChecked(true);
    click("Button3");
    EXPECT_EQ(pageWidth(), 10);
    EXPECT_TRUE(takeBoxes().empty());
}

TEST_F(LargeImagePage, AFileGoneBeforeTheStepIsReportedAndThePageKeepsItsImage) {
    const QString directory = makePictures(QStringLiteral("gone"), 3);
    openOn(directory, 0);
    ASSERT_TRUE(QFile::remove(directory + QStringLiteral("/b.jpg")));
    click("Button4");
    const std::vector<QString> errors = platform.texts(Kind::Error);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(errors[0].contains(QStringLiteral("b.jpg"))) << errors[0].toStdString();
    EXPECT_EQ(pageWidth(), 10);
    EXPECT_TRUE(page().isVisible());
}

TEST_F(LargeImagePage, StepsInADirectoryWithoutFilesWarnAndKeepThePage) {
    openOn(makePictures(QStringLiteral("pictures"), 2), 0);
    enter(makeDirectory(QStringLiteral("empty")));
    takeBoxes();
    click("Button4");
    click("Button3");
    EXPECT_EQ(platform.texts(Kind::Warning), (std::vector<QString>{ui::kNoImageFilesMessage, ui::kNoImageFilesMessage}));
    EXPECT_TRUE(platform.texts(Kind::Error).empty());
    EXPECT_EQ(pageWidth(), 10);
}

// --- Fields and picture kept current ---

TEST_F(LargeImagePage, FieldsFollowTheDataActionOfEveryStep) {
    const QString directory = makeDirectory(QStringLiteral("products"));
    const QString names[] = {QStringLiteral("1P128287538EFF0000P2303L2M1.JPG"),
                             QStringLiteral("2N128287538EFF0000P2303R0M1.JPG"),
                             QStringLiteral("2P128287538EFF0000P2303L2M1.JPG")};
    for (int i = 0; i < 3; ++i) writePicture(directory + QLatin1Char('/') + names[i], 20 + i, 10);
    openOn(directory, 0);
    const QString firstRover = labelText(page(), QStringLiteral("Label2"));
    click("Button4");
    const std::pair<const char*, const char*> copied[] = {
        {"Label7", "identifierText"}, {"Label2", "roverText"},    {"Label4", "solText"},
        {"Label25", "cameraText"},    {"Label6", "utcTimeText"},  {"Label29", "timeZoneText"},
        {"Label27", "localTimeText"}, {"Label32", "marsTimeText"}, {"Label18", "eyeText"},
    };
    for (const auto& [field, display] : copied)
        EXPECT_EQ(labelText(page(), QString::fromLatin1(field)), this->display(QString::fromLatin1(display))) << field;
    EXPECT_NE(labelText(page(), QStringLiteral("Label2")), firstRover) << "the second file is of the other rover";
    EXPECT_EQ(labelText(page(), QStringLiteral("Label18")), QStringLiteral("Right Eye"));
}

TEST_F(LargeImagePage, AWrittenFieldIsPaintedAtOnceWithoutWaitingForTheEventLoop) {
    page().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page()));
    QLabel& rover = child<QLabel>(page(), QStringLiteral("Label2"));
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint) ++paints;
            return false;
        }
    } counter;
    rover.installEventFilter(&counter);
    ui::LargeImageProductTexts texts;
    texts.roverText = QStringLiteral("1 Opportunity");
    page().setProductTexts(texts);
    EXPECT_GE(counter.paints, 1);
    EXPECT_EQ(rover.text(), QStringLiteral("1 Opportunity"));
    QLabel& marsTime = child<QLabel>(page(), QStringLiteral("Label32"));
    marsTime.installEventFilter(&counter);
    counter.paints = 0;
    page().setMarsTimeText(QStringLiteral("16:40:05"));
    EXPECT_GE(counter.paints, 1);
    rover.removeEventFilter(&counter);
    marsTime.removeEventFilter(&counter);
}

TEST_F(LargeImagePage, ShowImageTakesACopyAndShowsThePage) {
    QImage image(40, 30, QImage::Format_RGB888);
    image.fill(QColor(200, 10, 10));
    page().showImage(image);
    EXPECT_TRUE(page().isVisible());
    image.fill(Qt::black);
    const QImage shown = ui::toQImage(page().imageView().picture());
    ASSERT_EQ(shown.size(), QSize(40, 30));
    EXPECT_EQ(shown.pixelColor(5, 5), QColor(200, 10, 10));
    // A null image empties the picture instead of failing.
    page().showImage(QImage());
    EXPECT_FALSE(page().imageView().hasPicture());
}

TEST_F(LargeImagePage, ALargeImageFillsThePictureWidthInProportion) {
    QImage image(2000, 1500, QImage::Format_RGB888);
    image.fill(QColor(30, 60, 90));
    page().showImage(image);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page()));
    EXPECT_EQ(page().imageView().size(), QSize(537, 537));
    const QRect shown = page().imageView().pictureRect();
    EXPECT_EQ(shown.width(), 537);
    EXPECT_GE(shown.height(), 402);
    EXPECT_LE(shown.height(), 403);
    EXPECT_LE(std::abs(shown.top() - (537 - 1 - shown.bottom())), 1) << "centred";
    EXPECT_EQ(page().imageView().picture().width(), 2000) << "the page keeps the whole picture";
}

// --- Slideshow and Close ---

TEST_F(LargeImagePage, SlideshowButtonPerformsTheMenuItem) {
    openOn(makePictures(QStringLiteral("show"), 3), 0);
    click("Button5");
    EXPECT_TRUE(state().options.slideshowRunning);
    EXPECT_TRUE(mainWindow().menuItem(QStringLiteral("SlideshowStartStop1"))->isChecked());
    EXPECT_TRUE(slideshowTimer().isActive());
    click("Button5");
    EXPECT_FALSE(state().options.slideshowRunning);
    EXPECT_TRUE(page().isVisible());
}

TEST_F(LargeImagePage, CloseDuringASlideshowStopsItAndHidesThePage) {
    openOn(makePictures(QStringLiteral("stop"), 3), 0);
    startSlideshow();
    click("Button1");
    EXPECT_FALSE(slideshowTimer().isActive()) << "no further image is loaded";
    EXPECT_FALSE(slideshowBox().isChecked());
    EXPECT_FALSE(state().options.slideshowRunning);
    EXPECT_FALSE(mainWindow().menuItem(QStringLiteral("SlideshowStartStop1"))->isChecked());
    EXPECT_FALSE(page().isVisible());
    EXPECT_EQ(pageWidth(), 10) << "the picture stays for the next showing";
    EXPECT_TRUE(takeBoxes().empty());
}

TEST_F(LargeImagePage, CloseWithoutASlideshowOnlyHidesThePage) {
    openOn(makePictures(QStringLiteral("idle"), 3), 1);
    const int delay = state().slideshowDelay;
    click("Button1");
    EXPECT_FALSE(page().isVisible());
    EXPECT_EQ(mainWindow().selectedFileIndex(), 1);
    EXPECT_EQ(state().slideshowDelay, delay);
    EXPECT_TRUE(takeBoxes().empty());
}

// --- Print button ---

TEST_F(LargeImagePage, PrintCaptionFollowsTheSwitch) {
    EXPECT_EQ(button("Button2").text(), QStringLiteral("Print"));
    mainWindow().setOption(&ui::ViewerOptions::printClipboardSwitch, true);
    EXPECT_EQ(button("Button2").text(), QStringLiteral("Clipboard"));
    mainWindow().setOption(&ui::ViewerOptions::printClipboardSwitch, false);
    EXPECT_EQ(button("Button2").text(), QStringLiteral("Print"));
}

TEST_F(LargeImagePage, PrintCaptionFollowsTheMenuItemAndTheCheckBox) {
    mainWindow().menuItem(QStringLiteral("CheckPrintClipboard1"))->trigger();
    EXPECT_EQ(button("Button2").text(), QStringLiteral("Clipboard"));
    mainWindow().menuItem(QStringLiteral("CheckPrintClipboard1"))->trigger();
    EXPECT_EQ(button("Button2").text(), QStringLiteral("Print"));
    auto& box = child<QCheckBox>(mainWindow(), QStringLiteral("CheckBox4"));
    box.click();
    EXPECT_EQ(button("Button2").text(), QStringLiteral("Clipboard"));
    box.click();
    EXPECT_EQ(button("Button2").text(), QStringLiteral("Print"));
}

TEST_F(LargeImagePage, ClipboardCopiesThePageWithoutOpeningThePrintDialog) {
    QImage image(100, 80, QImage::Format_RGB888);
    image.fill(QColor(250, 0, 0));
    page().showImage(image);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page()));
    mainWindow().setOption(&ui::ViewerOptions::printClipboardSwitch, true);
    ASSERT_EQ(button("Button2").text(), QStringLiteral("Clipboard"));
    click("Button2");
    EXPECT_EQ(platform.texts(Kind::Information), std::vector<QString>{kClipboardMessage});
    EXPECT_EQ(platform.printDialogs, 0);
    ASSERT_FALSE(platform.clipboard.isNull());
    EXPECT_EQ(platform.clipboard.size() / platform.clipboard.devicePixelRatio(), page().size());
    // The page's own picture is in the copy, at the picture's place.
    const QRect picture = page().imageView().pictureRect().translated(page().imageView().pos());
    const QPoint middle = picture.center() * platform.clipboard.devicePixelRatio();
    EXPECT_EQ(platform.clipboard.pixelColor(middle), QColor(250, 0, 0));
}

TEST_F(LargeImagePage, PrintOpensThePrintDialogAndPrintsThePage) {
    page().showPage();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page()));
    ASSERT_EQ(button("Button2").text(), QStringLiteral("Print"));
    click("Button2");
    EXPECT_EQ(platform.printDialogs, 1);
    ASSERT_EQ(platform.printedImages.size(), 1u);
    EXPECT_EQ(platform.printedImages[0].size() / platform.printedImages[0].devicePixelRatio(), page().size());
    EXPECT_TRUE(platform.clipboard.isNull());
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(LargeImagePage, ACancelledPrintDialogDoesNothing) {
    platform.confirmPrint = false;
    click("Button2");
    EXPECT_EQ(platform.printDialogs, 1);
    EXPECT_TRUE(platform.printedImages.empty());
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(LargeImagePage, WhenTheBoxAndTheMarkDisagreeTheButtonDoesWhatItsCaptionSays) {
    auto& box = child<QCheckBox>(mainWindow(), QStringLiteral("CheckBox4"));
    box.click();  // box and switch on
    mainWindow().menuItem(QStringLiteral("CheckPrintClipboard1"))->trigger();  // switch off, box stays
    ASSERT_TRUE(box.isChecked());
    ASSERT_EQ(button("Button2").text(), QStringLiteral("Print"));
    click("Button2");
    EXPECT_EQ(platform.printDialogs, 1);
    EXPECT_TRUE(platform.clipboard.isNull());
    EXPECT_TRUE(platform.texts(Kind::Information).empty());
}

}  // namespace
}  // namespace keldar::testing
