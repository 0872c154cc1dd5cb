// The stereo autoshow and the Stereo button as the main window runs them: a pair shown from
// either eye, an image without its partner (the selection stays on the image shown), a
// partner that does not decode, and the Stereo button on a partnerless and a monoscopic image.

#include <QAction>
#include <QCheckBox>

#include "support/UiTestSupport.h"
#include "ui/app/FileBrowser.h"
#include "ui/app/ImageView.h"
#include "ui/stereo/StereoHandOff.h"
#include "ui/stereo/StereoUnit2.h"

namespace keldar::testing {
namespace {

using Box = platform::FakePlatform::BoxKind;

// One Spirit NAVCAM exposure as a pair, two left eyes without partners, a microscope image
// and a picture that closes the list; widths tell the pictures apart.
class Autoshow : public WorkbenchTest {
protected:
    void SetUp() override {
        WorkbenchTest::SetUp();
        dir = makeDirectory(QStringLiteral("stereo"));
        writePicture(dir + QLatin1Char('/') + pairLeft, 40, 30);
        writePicture(dir + QLatin1Char('/') + pairRight, 41, 30);
        writePicture(dir + QLatin1Char('/') + lonelyLeft, 42, 30);
        writePicture(dir + QLatin1Char('/') + nextLeft, 43, 30);
        writePicture(dir + QLatin1Char('/') + microscope, 44, 30);
        // A picture without a partner closes the list.
        writePicture(dir + QStringLiteral("/zz-last.jpg"), 45, 30);
        enter(dir);
        ASSERT_EQ(mainWindow().fileBrowser().fileNames(),
                  (QStringList{microscope, pairLeft, pairRight, lonelyLeft, nextLeft, QStringLiteral("zz-last.jpg")}));
        takeBoxes();
    }

    ui::TForm2& viewer() const { return bench->stereoViewer(); }

    void turnAutoshowOn() {
        mainWindow().menuItem(QStringLiteral("CheckStereoAutoshow1"))->trigger();
        ASSERT_TRUE(state().options.stereoAutoshow);
    }

    // The user's step onto entry `index`, as the file list's arrow keys do.
    void stepTo(int index) {
        mainWindow().selectFile(index);
        mainWindow().runGuarded([this] { mainWindow().runImageAction(); });
    }
    void stepTo(const QString& name) { stepTo(indexOf(name)); }
    int indexOf(const QString& name) const {
        return static_cast<int>(mainWindow().fileBrowser().fileNames().indexOf(name));
    }

    QString dir;
    const QString pairLeft = QStringLiteral("2N127000000EFF0300P1512L0M1.JPG");
    const QString pairRight = QStringLiteral("2N127000000EFF0300P1512R0M1.JPG");
    const QString lonelyLeft = QStringLiteral("2N127000500EFF0300P1512L0M1.JPG");
    const QString nextLeft = QStringLiteral("2N127001000EFF0300P1512L0M1.JPG");
    const QString microscope = QStringLiteral("2M127002000EFF3100P2937M2M1.JPG");
};

TEST_F(Autoshow, BothEyesOfAPairShowThePair) {
    turnAutoshowOn();
    for (const QString& eye : {pairLeft, pairRight}) {
        SCOPED_TRACE(eye.toStdString());
        viewer().hide();
        mainWindow().viewerState().showStereo = false;
        stepTo(eye);
        EXPECT_TRUE(viewer().isVisible());
        EXPECT_TRUE(state().showStereo);
        EXPECT_EQ(viewer().line(ui::StereoLine::RightEyeFile), pairRight);
        EXPECT_EQ(viewer().line(ui::StereoLine::LeftEyeFile), pairLeft);
        EXPECT_EQ(viewer().rightEyeView().picture().width(), 41);
        EXPECT_EQ(viewer().leftEyeView().picture().width(), 40);
        EXPECT_EQ(mainWindow().fileBrowser().selectedFileName(), eye);
        EXPECT_EQ(shownWidth(), eye == pairLeft ? 40 : 41);
        EXPECT_TRUE(takeBoxes().empty());
    }
}

TEST_F(Autoshow, WithoutAPartnerTheSelectionStaysOnTheShownImage) {
    turnAutoshowOn();
    stepTo(lonelyLeft);
    EXPECT_FALSE(viewer().isVisible());
    EXPECT_FALSE(state().rightEyeFound);
    EXPECT_EQ(shownWidth(), 42);
    EXPECT_EQ(mainWindow().selectedFileIndex(), indexOf(lonelyLeft));
    EXPECT_EQ(mainWindow().fileBrowser().selectedFileName(), lonelyLeft);
    EXPECT_EQ(state().displays.fileNameField, lonelyLeft);
    // The next step shows the entry right after it: nothing is passed over.
    stepTo(mainWindow().selectedFileIndex() + 1);
    EXPECT_EQ(shownWidth(), 43);
    EXPECT_EQ(mainWindow().fileBrowser().selectedFileName(), nextLeft);
    EXPECT_TRUE(takeBoxes().empty());
}

TEST_F(Autoshow, APartnerThatDoesNotDecodeIsReportedAndEndsTheImageAction) {
    writeText(dir + QStringLiteral("/2N127000500EFF0300P1512R0M1.JPG"), "not a picture");
    enter(makeDirectory(QStringLiteral("elsewhere")));
    enter(dir);
    takeBoxes();
    turnAutoshowOn();
    ASSERT_TRUE(state().displayBitmap);
    const int convertedBefore = state().displayBitmap->size().width();
    ASSERT_NE(convertedBefore, 42);
    stepTo(lonelyLeft);
    const std::vector<QString> errors = platform.texts(Box::Error);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(errors[0].contains(QStringLiteral("2N127000500EFF0300P1512R0M1.JPG"))) << errors[0].toStdString();
    EXPECT_FALSE(viewer().isVisible());
    // The error ended the Image action inside its Data action: the picture was loaded and
    // decoded, but the display conversion did not run.
    EXPECT_EQ(shownWidth(), 42);
    EXPECT_EQ(state().displays.fileNameField, lonelyLeft);
    EXPECT_EQ(state().displayBitmap->size().width(), convertedBefore);
}

TEST_F(Autoshow, StereoButtonOnALeftEyeWithoutItsPartnerShowsTheMissingRightEye) {
    stepTo(lonelyLeft);
    child<QPushButton>(mainWindow(), QStringLiteral("Button13")).click();
    EXPECT_TRUE(viewer().isVisible());
    EXPECT_EQ(viewer().line(ui::StereoLine::RightEyeFile), QStringLiteral("RIGHT EYE FILE MISSING"));
    EXPECT_EQ(viewer().line(ui::StereoLine::LeftEyeFile), lonelyLeft);
    EXPECT_FALSE(viewer().rightEyeView().isVisibleTo(&viewer()));
    EXPECT_TRUE(viewer().leftEyeView().isVisibleTo(&viewer()));
    EXPECT_EQ(viewer().leftEyeView().picture().width(), 42);
    EXPECT_TRUE(takeBoxes().empty());
}

TEST_F(Autoshow, StereoOnAMonoscopicImageSaysSoAndShowsNoViewer) {
    stepTo(microscope);
    for (const char* item : {"ShowStereoImagePair1", ""}) {
        SCOPED_TRACE(item);
        if (*item != '\0') mainWindow().menuItem(QString::fromLatin1(item))->trigger();
        else child<QPushButton>(mainWindow(), QStringLiteral("Button13")).click();
        EXPECT_EQ(takeBoxes(), std::vector<QString>{QStringLiteral("Monoscopic image, Stereo View Impossible!")});
        EXPECT_FALSE(viewer().isVisible());
        EXPECT_EQ(shownWidth(), 44);
    }
}

}  // namespace
}  // namespace keldar::testing
