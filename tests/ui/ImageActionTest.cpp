// The Image action in the real window: the walk over a directory with its messages, the home
// and category directories, the display conversion and the errors that end the action.

#include <QCheckBox>
#include <QFile>
#include <QListView>
#include <QTest>

#include "core/imaging/ImageFile.h"
#include "support/UiTestSupport.h"
#include "ui/app/ImageView.h"
#include "ui/app/ImageWalk.h"
#include "ui/pages/LargeImageUnit7.h"

namespace keldar::testing {
namespace {

using Kind = platform::FakePlatform::BoxKind;

class ImageAction : public WorkbenchTest {
protected:
    // a.jpg .. of widths 10, 11, ... so the main image tells which one is shown.
    QString makePictures(const QString& name, int count) {
        const QString directory = makeDirectory(name);
        for (int i = 0; i < count; ++i)
            writePicture(directory + QStringLiteral("/%1.jpg").arg(QChar('a' + i)), 10 + i, 6);
        return directory;
    }
    void loopOff() {
        mainWindow().menuItem(QStringLiteral("CheckLoopSlideshow1"))->trigger();
        ASSERT_FALSE(state().options.loop);
    }
};

TEST_F(ImageAction, LastFileWithLoopOnShowsTheLastFile) {
    enter(makePictures(QStringLiteral("loop"), 3));
    clickFile(2);
    EXPECT_EQ(shownWidth(), 12);
    EXPECT_EQ(mainWindow().selectedFileIndex(), 2);
    EXPECT_EQ(display(QStringLiteral("filePositionText")), QStringLiteral("Using File 3 of 3"));
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(ImageAction, LastFileWithLoopOffSaysSoStopsTheSlideshowAndShowsTheLastFile) {
    enter(makePictures(QStringLiteral("end"), 3));
    loopOff();
    auto& slideshow = child<QCheckBox>(mainWindow(), QStringLiteral("CheckBox3"));
    slideshow.setChecked(true);
    mainWindow().setOption(&ui::ViewerOptions::slideshowRunning, true);
    int stops = 0;
    QObject::connect(&mainWindow(), &ui::TForm1::walkStoppedAtEnd, [&] { ++stops; });
    // When the box shows, the last file is not loaded yet: the message comes first.
    int widthWhenShown = -1;
    platform.onBox = [&](const platform::FakePlatform::Box&) { widthWhenShown = shownWidth(); };

    clickFile(2);
    EXPECT_EQ(platform.texts(Kind::Information), std::vector<QString>{ui::kEndOfDirectoryMessage});
    EXPECT_EQ(widthWhenShown, 10);
    EXPECT_EQ(shownWidth(), 12);
    EXPECT_EQ(mainWindow().selectedFileIndex(), 2);
    EXPECT_FALSE(slideshow.isChecked());
    EXPECT_FALSE(state().options.slideshowRunning);
    EXPECT_FALSE(mainWindow().menuItem(QStringLiteral("SlideshowStartStop1"))->isChecked());
    EXPECT_EQ(stops, 1);
}

TEST_F(ImageAction, NonPicturesBeforeThePicturesAreSkipped) {
    const QString directory = makeDirectory(QStringLiteral("labels"));
    writeText(directory + QStringLiteral("/a.LBL"));
    writeText(directory + QStringLiteral("/b.jpg"), "not a picture at all");  // does not decode
    writeText(directory + QStringLiteral("/c"));
    writePicture(directory + QStringLiteral("/d.jpg"), 13, 6);
    writePicture(directory + QStringLiteral("/e.jpg"), 14, 6);
    enter(directory);
    EXPECT_EQ(shownWidth(), 13);
    EXPECT_EQ(mainWindow().selectedFileIndex(), 3);
    EXPECT_EQ(child<QLineEdit>(mainWindow(), QStringLiteral("Edit2")).text(), QStringLiteral("d.jpg"));
    EXPECT_EQ(display(QStringLiteral("Label1")), directory + QStringLiteral("/d.jpg"));
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(ImageAction, ADirectoryOfOneFileLoadsAndShowsIt) {
    enter(makePictures(QStringLiteral("before"), 1));
    loopOff();
    const QString single = makeDirectory(QStringLiteral("single"));
    writePicture(single + QStringLiteral("/2P126471340EDN0000P2303L5M1.JPG"), 33, 6);
    enter(single);
    EXPECT_EQ(shownWidth(), 33);
    EXPECT_EQ(mainWindow().selectedFileIndex(), 0);
    EXPECT_EQ(display(QStringLiteral("identifierText")), QStringLiteral("2P126471340EDN0000P2303L5M1"));
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(ImageAction, OnlyNonPicturesWithLoopOffWarnOnceAndKeepThePicture) {
    enter(makePictures(QStringLiteral("pictures"), 1));
    loopOff();
    const QString labels = makeDirectory(QStringLiteral("only-labels"));
    for (const char* name : {"a.LBL", "b.txt", "c.IMG"}) writeText(labels + QLatin1Char('/') + QLatin1String(name));
    enter(labels);
    EXPECT_EQ(platform.allTexts(), std::vector<QString>{ui::kNoMoreImagesMessage});
    EXPECT_EQ(platform.boxes[0].kind, Kind::Warning);
    EXPECT_EQ(shownWidth(), 10);
}

TEST_F(ImageAction, WithoutTheLoopTheWalkEndsOnAFileTheNameFieldAndPathLineAgreeOn) {
    enter(makePictures(QStringLiteral("pictures"), 1));
    loopOff();
    // Two label files: the walk ends on the last one, selected and named.
    const QString labels = makeDirectory(QStringLiteral("two-labels"));
    for (const char* name : {"a.LBL", "b.LBL"}) writeText(labels + QLatin1Char('/') + QLatin1String(name));
    enter(labels);
    EXPECT_EQ(takeBoxes(), std::vector<QString>{ui::kNoMoreImagesMessage});
    EXPECT_EQ(mainWindow().selectedFileIndex(), 1);
    EXPECT_EQ(child<QLineEdit>(mainWindow(), QStringLiteral("Edit2")).text(), QStringLiteral("b.LBL"));
    EXPECT_EQ(state().currentFilePath, labels + QStringLiteral("/b.LBL"));

    // A walk from c.LBL past the end does not come round to b.JPG.
    const QString mixed = makeDirectory(QStringLiteral("mixed"));
    for (const char* name : {"a.LBL", "c.LBL", "d.LBL"}) writeText(mixed + QLatin1Char('/') + QLatin1String(name));
    writePicture(mixed + QStringLiteral("/b.JPG"), 30, 6);
    enter(mixed);
    EXPECT_EQ(shownWidth(), 30);
    takeBoxes();
    writePicture(mixed + QStringLiteral("/b.JPG"), 10, 6);  // not reloaded unless the walk reaches it
    clickFile(2);
    EXPECT_EQ(takeBoxes(), std::vector<QString>{ui::kNoMoreImagesMessage});
    EXPECT_EQ(shownWidth(), 30);
}

TEST_F(ImageAction, UpOntoAPictureThatDoesNotDecodeShowsTheOneAboveIt) {
    const QString dir = makePictures(QStringLiteral("broken"), 4);  // a..d, widths 10..13
    writeText(dir + QStringLiteral("/b.jpg"), "not a JPEG");
    enter(dir);
    clickFile(2);
    ASSERT_EQ(shownWidth(), 12);
    QListView& list = child<QListView>(mainWindow(), QStringLiteral("FileListBox1"));
    list.setFocus();
    QTest::keyClick(&list, Qt::Key_Up);
    EXPECT_EQ(shownWidth(), 10);
    EXPECT_EQ(mainWindow().selectedFileIndex(), 0);
    QTest::keyClick(&list, Qt::Key_Down);  // and down again past it
    EXPECT_EQ(shownWidth(), 12);
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(ImageAction, OnlyNonPicturesWithLoopOnSelectTheFirstQuietly) {
    const QString labels = makeDirectory(QStringLiteral("labels-loop"));
    for (const char* name : {"a.LBL", "b.txt"}) writeText(labels + QLatin1Char('/') + QLatin1String(name));
    enter(labels);
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_EQ(mainWindow().selectedFileIndex(), 0);
    EXPECT_FALSE(mainWindow().mainImage().hasPicture());
}

TEST_F(ImageAction, AnEmptyDirectorySaysThereAreNoImageFiles) {
    enter(makeDirectory(QStringLiteral("empty")));
    EXPECT_EQ(platform.texts(Kind::Warning), std::vector<QString>{ui::kNoImageFilesMessage});
    EXPECT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(display(QStringLiteral("filePositionText")), QStringLiteral("Using File 0 of 0"));
}

TEST_F(ImageAction, SteppingBackToTheFirstFileSaysSoOnceAndClearsTheFlag) {
    enter(makePictures(QStringLiteral("back"), 3));
    mainWindow().selectFile(0);
    mainWindow().viewerState().steppingBack = true;
    mainWindow().runImageAction();
    EXPECT_EQ(platform.texts(Kind::Information), std::vector<QString>{ui::kStartOfDirectoryMessage});
    EXPECT_FALSE(state().steppingBack);
    mainWindow().runImageAction();
    EXPECT_EQ(platform.boxes.size(), 1u);
}

TEST_F(ImageAction, HomeDirectoryIsTheFirstDirectoryAndStaysAfterMovingAway) {
    const QString home = makePictures(QStringLiteral("home"), 1);
    enter(home);
    const QString elsewhere = makePictures(QStringLiteral("elsewhere"), 1);
    enter(elsewhere);
    EXPECT_TRUE(state().homeCaptured);
    EXPECT_EQ(state().homeDirectory, home);
    EXPECT_EQ(state().currentDirectory, elsewhere);
    EXPECT_EQ(state().anaglyphDirectory, home + QStringLiteral("/ImageCategories/Anaglyphs/"));
    EXPECT_EQ(state().colourDirectory, home + QStringLiteral("/ImageCategories/Colour/"));
    EXPECT_EQ(state().allImagesDirectory, home + QStringLiteral("/All-MER-Images/"));
    EXPECT_EQ(state().rgbDirectory, home + QStringLiteral("/ImageCategories/Colour/456_RGB/"));
}

TEST_F(ImageAction, APictureThatCannotBeOpenedEndsTheActionWithAnErrorBox) {
    const QString directory = makePictures(QStringLiteral("vanishing"), 4);
    enter(directory);
    const QString before = display(QStringLiteral("filePositionText"));
    ASSERT_TRUE(QFile::remove(directory + QStringLiteral("/b.jpg")));
    clickFile(1);
    const std::vector<QString> errors = platform.texts(Kind::Error);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(errors[0].contains(QStringLiteral("b.jpg"))) << errors[0].toStdString();
    // Neither the Data action nor the display conversion ran; the next file works again.
    EXPECT_EQ(display(QStringLiteral("filePositionText")), before);
    EXPECT_EQ(shownWidth(), 10);
    clickFile(2);
    EXPECT_EQ(shownWidth(), 12);
}

TEST_F(ImageAction, DisplayConversionLeavesATwentyFourBitCopyInBothViews) {
    const QString directory = makeDirectory(QStringLiteral("bitmap"));
    const QString path = writePicture(directory + QStringLiteral("/a.bmp"), 7, 5, 1, 2, 3);
    enter(directory);
    const imaging::ImageResult file = imaging::readImageFile(QFile::encodeName(path).toStdString());
    ASSERT_TRUE(file.ok());
    EXPECT_EQ(mainWindow().mainImage().picture(), file.image);
    ASSERT_TRUE(state().displayBitmap && state().sourceBitmap);
    EXPECT_EQ(state().displayBitmap->pixels(), file.image);
    EXPECT_EQ(state().sourceBitmap->pixels(), file.image);
    EXPECT_EQ(bench->largeImagePage().imageView().picture(), file.image);
    EXPECT_EQ(mainWindow().mainImage().image().format(), QImage::Format_BGR888);
    EXPECT_EQ(mainWindow().mainImage().image().pixel(6, 4), qRgb(3, 2, 1));
}

TEST_F(ImageAction, ThumbnailsAsFullsizeStretchesTheViewsAtTheNextImage) {
    enter(makePictures(QStringLiteral("stretch"), 2));
    EXPECT_FALSE(mainWindow().mainImage().stretch());
    mainWindow().menuItem(QStringLiteral("ThumbnailsasFullsize1"))->trigger();
    EXPECT_FALSE(mainWindow().mainImage().stretch());  // the option is read by the Image action
    clickFile(1);
    for (ui::ImageView* view : bench->stretchViews()) EXPECT_TRUE(view->stretch());
}

}  // namespace
}  // namespace keldar::testing
