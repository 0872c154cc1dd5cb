// The stereo hand-offs and the stereo pair viewer, on the generated sample directory: the
// partner lookup, the missing-partner texts, the Stereo action and the autoshow step, the
// viewer's step commands, "Anaglyph This", "Print", "Save as X-eyed", "Manual Stereo" and
// "Close".

#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>

#include "StereoTestSupport.h"
#include "core/decode/ProductIdentifier.h"
#include "platform/ActionGuard.h"
#include "ui/app/ImageView.h"
#include "ui/stereo/ColourUnit19.h"
#include "ui/stereo/ManualStereoUnit11.h"
#include "ui/stereo/StereoHandOff.h"
#include "ui/stereo/StereoUnit2.h"

namespace keldar::ui::testing {
namespace {

using Box = platform::FakePlatform::BoxKind;

class StereoViewerTest : public WorkbenchTest {
protected:
    void SetUp() override {
        WorkbenchTest::SetUp();
        enter(sampleDirectory());
    }

    TForm2& viewer() { return bench->stereoViewer(); }
    QString line(StereoLine which) { return viewer().line(which); }
    QString partnerPath(const QString& name) { return sampleDirectory() + QLatin1Char('/') + name; }

    const QString spiritLeft = sampleName("Spirit NAVCAM left eye, sol 13");
    const QString spiritRight = sampleName("Spirit NAVCAM right eye, sol 13");
    const QString leftWithoutRight = sampleName("Opportunity rear HAZCAM left eye");
    const QString rightWithoutLeft = sampleName("Spirit front HAZCAM right eye without its left partner");
    const QString microscope = sampleName("Spirit Microscopic Imager");
    const QString combined = sampleName("red/cyan anaglyph of the Spirit sol 13");
};

TEST_F(StereoViewerTest, PartnerFilesAreFoundWithTheArchivesUpperCaseExtension) {
    open(spiritLeft);
    EXPECT_TRUE(spiritLeft.endsWith(QStringLiteral(".JPG")));
    EXPECT_EQ(stereoPartnerFile(state(), StereoEye::Right), partnerPath(spiritRight));
    EXPECT_EQ(stereoPartnerFile(state(), StereoEye::Left), partnerPath(spiritLeft));
    EXPECT_EQ(stereoPartnerFileLine(state(), StereoEye::Right), spiritRight);

    open(leftWithoutRight);
    EXPECT_EQ(stereoPartnerFile(state(), StereoEye::Right), QString());
    EXPECT_EQ(stereoPartnerFileLine(state(), StereoEye::Right),
              QString::fromStdString(state().decoded.rightEyeName) + QStringLiteral(".jpg"));

    open(microscope);  // eye "M": the partner names are "N/A", nothing is looked for
    EXPECT_EQ(stereoPartnerFile(state(), StereoEye::Right), QString());
    EXPECT_EQ(stereoPartnerFile(state(), StereoEye::Left), QString());
}

TEST_F(StereoViewerTest, HandOffFillsTheViewerFromTheViewerStateAndShowsItOnlyWithTheFlag) {
    open(spiritLeft);
    loadStereoPartners(*bench);
    ASSERT_TRUE(state().rightEyeFound);
    ASSERT_TRUE(state().leftEyeFound);
    state().showStereo = false;
    runStereoHandOff(*bench);
    EXPECT_FALSE(viewer().isVisible());

    const MainDisplays& d = state().displays;
    EXPECT_EQ(line(StereoLine::RightEyeFile), spiritRight);
    EXPECT_EQ(line(StereoLine::LeftEyeFile), spiritLeft);
    EXPECT_EQ(line(StereoLine::Rover), QStringLiteral("2 Spirit"));
    EXPECT_EQ(line(StereoLine::Sol), d.solText);
    EXPECT_EQ(line(StereoLine::Utc), d.utcTimeText);
    EXPECT_EQ(line(StereoLine::Local), QStringLiteral("Local Earth time: ") + d.localTimeText);
    EXPECT_EQ(line(StereoLine::MarsTime), QStringLiteral("Local Martian Standard time: SOL ") + d.solText +
                                              QStringLiteral(": ") + d.marsTimeText + QStringLiteral(" Martian Hrs."));
    EXPECT_EQ(line(StereoLine::Camera), d.cameraText);
    EXPECT_EQ(viewer().rightEyeView().picture(), readPicture(partnerPath(spiritRight)));
    EXPECT_EQ(viewer().leftEyeView().picture(), readPicture(partnerPath(spiritLeft)));

    state().showStereo = true;
    runStereoHandOff(*bench);
    EXPECT_TRUE(viewer().isVisible());
    EXPECT_FALSE(viewer().rightEyeView().isHidden());
    EXPECT_FALSE(viewer().leftEyeView().isHidden());
}

TEST_F(StereoViewerTest, StereoActionOnALeftEyeWithoutItsPartnerShowsRightEyeFileMissing) {
    open(leftWithoutRight);
    runStereoAction(*bench);
    EXPECT_TRUE(viewer().isVisible());
    EXPECT_TRUE(state().showStereo);
    EXPECT_FALSE(state().rightEyeFound);
    EXPECT_TRUE(state().leftEyeFound);
    EXPECT_EQ(line(StereoLine::RightEyeFile), QStringLiteral("RIGHT EYE FILE MISSING"));
    EXPECT_EQ(line(StereoLine::LeftEyeFile), leftWithoutRight);
    EXPECT_TRUE(viewer().rightEyeView().isHidden());
    EXPECT_FALSE(viewer().leftEyeView().isHidden());
    EXPECT_EQ(viewer().leftEyeView().picture(), readPicture(partnerPath(leftWithoutRight)));
    EXPECT_EQ(line(StereoLine::Directory), sampleDirectory());
    EXPECT_EQ(line(StereoLine::RightEyeFilter), state().displays.filterText);
    EXPECT_EQ(line(StereoLine::LeftEyeFilter), state().displays.filterText);
    EXPECT_TRUE(fake.boxes.empty());

    // The hidden view's column keeps its half of the window: the message stays on one line
    // and the shown image stays on the right.
    QCoreApplication::processEvents();
    const QLabel& message = *viewer().findChild<QLabel*>(QStringLiteral("rightEyeFileLine"));
    EXPECT_GE(message.width(), viewer().width() / 3);
    EXPECT_GE(viewer().leftEyeView().x(), viewer().width() / 3);
    EXPECT_LT(message.heightForWidth(message.width()), 2 * message.fontMetrics().height());
}

TEST_F(StereoViewerTest, StereoActionOnARightEyeWithoutItsPartnerShowsLeftEyeFileMissing) {
    open(rightWithoutLeft);
    runStereoAction(*bench);
    EXPECT_EQ(line(StereoLine::LeftEyeFile), QStringLiteral("LEFT EYE FILE MISSING"));
    EXPECT_EQ(line(StereoLine::RightEyeFile), rightWithoutLeft);
    EXPECT_TRUE(viewer().leftEyeView().isHidden());
    EXPECT_FALSE(viewer().rightEyeView().isHidden());
}

TEST_F(StereoViewerTest, AFoundPairShowsBothViewsAgainAfterAMissingPartner) {
    open(leftWithoutRight);
    runStereoAction(*bench);
    ASSERT_TRUE(viewer().rightEyeView().isHidden());
    open(spiritRight);
    runStereoAction(*bench);
    EXPECT_FALSE(viewer().rightEyeView().isHidden());
    EXPECT_EQ(line(StereoLine::RightEyeFile), spiritRight);
    EXPECT_EQ(line(StereoLine::LeftEyeFile), spiritLeft);
}

TEST_F(StereoViewerTest, StereoActionOnAMonoscopicImageOnlySaysSo) {
    open(microscope);
    ASSERT_EQ(state().displays.stereoStatus.text, std::string(decode::kMonoscopic));
    runStereoAction(*bench);
    EXPECT_EQ(fake.texts(Box::Information), std::vector<QString>{QStringLiteral("Monoscopic image, Stereo View Impossible!")});
    EXPECT_FALSE(viewer().isVisible());
    EXPECT_EQ(line(StereoLine::RightEyeFile), QStringLiteral("Right eye filename"));
}

TEST_F(StereoViewerTest, StereoActionOnACombinedProductShowsThePairItWasMadeFrom) {
    open(combined);
    ASSERT_EQ(state().displays.rightEyeNameText, QString());
    runStereoAction(*bench);
    EXPECT_TRUE(viewer().isVisible());
    EXPECT_EQ(line(StereoLine::RightEyeFile), spiritRight);
    EXPECT_EQ(line(StereoLine::LeftEyeFile), spiritLeft);
}

TEST_F(StereoViewerTest, AutoshowStepShowsACompletePairAndOtherwiseLeavesTheSelectionOnTheShownImage) {
    open(spiritRight);
    runAutoshowStep(*bench);
    EXPECT_TRUE(state().showStereo);
    EXPECT_TRUE(viewer().isVisible());
    EXPECT_EQ(main().fileBrowser().selectedFileName(), spiritRight);

    viewer().hide();
    state().showStereo = false;
    open(leftWithoutRight);
    const int at = main().selectedFileIndex();
    const imaging::ImageBuffer shown = main().mainImage().picture();
    runAutoshowStep(*bench);
    EXPECT_FALSE(state().rightEyeFound);
    EXPECT_FALSE(viewer().isVisible());
    EXPECT_EQ(main().selectedFileIndex(), at);  // the next step must not pass over an entry
    EXPECT_EQ(main().fileBrowser().selectedFileName(), leftWithoutRight);
    EXPECT_EQ(main().mainImage().picture(), shown);  // the Image action did not run
}

TEST_F(StereoViewerTest, APartnerThatDoesNotDecodeIsReportedByName) {
    // A directory of one left eye whose right partner is a broken file.
    const QString dir = scratch.path() + QStringLiteral("/broken");
    ASSERT_TRUE(QDir().mkpath(dir));
    QFile::copy(partnerPath(spiritLeft), dir + QLatin1Char('/') + spiritLeft);
    {
        QFile broken(dir + QLatin1Char('/') + spiritRight);
        ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
        broken.write("not a picture at all");
    }
    main().setDirectory(dir);
    open(spiritLeft);
    fake.clear();
    EXPECT_FALSE(platform::runGuarded(fake, nullptr, [this] { runStereoAction(*bench); }));
    ASSERT_EQ(fake.texts(Box::Error).size(), 1u);
    EXPECT_TRUE(fake.texts(Box::Error)[0].contains(spiritRight)) << fake.texts(Box::Error)[0].toStdString();
}

// --- The viewer's commands ---

TEST_F(StereoViewerTest, NextImageStepsTwoUnlessTheEyeLetterVariableReadsL) {
    open(spiritLeft);
    const int start = main().selectedFileIndex();
    ASSERT_EQ(state().eyeLetterVariable, QStringLiteral("x"));  // the Data action leaves "x"
    state().showStereo = false;
    click(viewer(), "Button3");
    EXPECT_EQ(main().selectedFileIndex(), start + 2);
    const QString now = main().fileBrowser().selectedFileName();
    EXPECT_EQ(state().displays.fileNameField, now);  // the Image action ran
    // The hand-off ran for the new image, the viewer stayed hidden without the flag.
    EXPECT_EQ(line(StereoLine::Sol), state().displays.solText);
    EXPECT_EQ(line(StereoLine::Camera), state().displays.cameraText);
    EXPECT_FALSE(viewer().isVisible());

    state().eyeLetterVariable = QStringLiteral("L");
    click(viewer(), "Button3");
    EXPECT_EQ(main().selectedFileIndex(), start + 3);
    EXPECT_TRUE(fake.boxes.empty());
}

TEST_F(StereoViewerTest, PreviousImageStepsTwoBackUnlessRAndSetsTheSteppingBackFlag) {
    open(spiritRight);
    const int start = main().selectedFileIndex();
    state().showStereo = false;
    click(viewer(), "Button4");
    EXPECT_EQ(main().selectedFileIndex(), start - 2);
    EXPECT_TRUE(state().steppingBack);

    state().eyeLetterVariable = QStringLiteral("R");
    click(viewer(), "Button4");
    EXPECT_EQ(main().selectedFileIndex(), start - 3);
}

TEST_F(StereoViewerTest, StepWithTheShowStereoFlagRunsTheStereoActionOnTheNewImage) {
    open(spiritLeft);
    state().showStereo = true;
    // Two entries on from the Spirit left eye (its label file lies between) is its right eye.
    click(viewer(), "Button3");
    ASSERT_EQ(main().fileBrowser().selectedFileName(), spiritRight);
    EXPECT_TRUE(viewer().isVisible());
    EXPECT_EQ(line(StereoLine::RightEyeFile), spiritRight);
    EXPECT_EQ(line(StereoLine::LeftEyeFile), spiritLeft);
    EXPECT_EQ(line(StereoLine::Directory), sampleDirectory());
    EXPECT_EQ(viewer().rightEyeView().picture(), readPicture(partnerPath(spiritRight)));
}

TEST_F(StereoViewerTest, SaveAsCrossEyedOnlyShowsItsMessage) {
    open(spiritLeft);
    const QStringList before = QDir(sampleDirectory()).entryList(QDir::Files);
    click(viewer(), "Button7");
    EXPECT_EQ(fake.allTexts(),
              std::vector<QString>{QStringLiteral("Scanline image joining not yet implemented! Use the clipboard")});
    EXPECT_EQ(fake.saveDialogs + fake.printDialogs, 0);
    EXPECT_TRUE(fake.clipboard.isNull());
    EXPECT_EQ(QDir(sampleDirectory()).entryList(QDir::Files), before);
}

TEST_F(StereoViewerTest, PrintGoesToTheClipboardWhenTheMainWindowsBoxIsTicked) {
    open(spiritLeft);
    runStereoAction(*bench);
    control<QCheckBox>(main(), "CheckBox4")->setChecked(true);
    click(viewer(), "Button2");
    EXPECT_EQ(fake.texts(Box::Information), std::vector<QString>{QStringLiteral("Image saved to clipboard!")});
    EXPECT_EQ(fake.printDialogs, 0);
    ASSERT_FALSE(fake.clipboard.isNull());
    EXPECT_EQ(fake.clipboard.size(), viewer().size() * viewer().devicePixelRatio());
}

TEST_F(StereoViewerTest, PrintOpensThePrintDialogOtherwise) {
    open(spiritLeft);
    runStereoAction(*bench);
    control<QCheckBox>(main(), "CheckBox4")->setChecked(false);
    click(viewer(), "Button2");
    EXPECT_EQ(fake.printDialogs, 1);
    ASSERT_EQ(fake.printedImages.size(), 1u);
    EXPECT_EQ(fake.printedImages[0].size(), viewer().size() * viewer().devicePixelRatio());
    EXPECT_TRUE(fake.clipboard.isNull());
    EXPECT_TRUE(fake.boxes.empty());
}

TEST_F(StereoViewerTest, CloseClearsTheShowStereoFlag) {
    open(spiritLeft);
    runStereoAction(*bench);
    ASSERT_TRUE(viewer().isVisible());
    click(viewer(), "Button1");
    EXPECT_FALSE(state().showStereo);
    EXPECT_FALSE(viewer().isVisible());
    // The hand-off no longer shows it.
    runStereoHandOff(*bench);
    EXPECT_FALSE(viewer().isVisible());
}

TEST_F(StereoViewerTest, ManualStereoRunsTheManualHandOff) {
    open(spiritLeft);
    main().setOption(&ViewerOptions::stereoAutoshow, true);
    click(viewer(), "Button6");
    EXPECT_TRUE(bench->manualStereoPage().isVisible());
    EXPECT_TRUE(state().showStereo);
    EXPECT_FALSE(state().options.stereoAutoshow);
    EXPECT_EQ(bench->manualStereoPage().current().fileName, spiritLeft);
}

// --- "Anaglyph This" ---

class AnaglyphThisTest : public WorkbenchTest {};

TEST_F(AnaglyphThisTest, LoadsAJpegRightEyeAndABmpLeftEyeWithoutADialog) {
    const QString dir = scratch.path() + QStringLiteral("/pair");
    ASSERT_TRUE(QDir().mkpath(dir));
    const imaging::ImageBuffer right = patternImage(8, 6, 3);
    const imaging::ImageBuffer left = patternImage(8, 6, 90);
    writePicture(right, dir + QStringLiteral("/right.jpg"));
    writePicture(left, dir + QStringLiteral("/left.bmp"));
    enter(dir);
    TForm2& viewer = bench->stereoViewer();
    viewer.setLine(StereoLine::RightEyeFile, QStringLiteral("right.jpg"));
    viewer.setLine(StereoLine::LeftEyeFile, QStringLiteral("left.bmp"));
    viewer.setLine(StereoLine::LeftEyeFilter, QStringLiteral("Filter 0"));

    click(viewer, "Button5");
    TForm19& builder = bench->anaglyphPage();
    EXPECT_EQ(fake.openDialogs, 0);
    EXPECT_TRUE(fake.boxes.empty());
    EXPECT_TRUE(builder.isVisible());
    EXPECT_TRUE(builder.imageLoaded(1));
    EXPECT_TRUE(builder.imageLoaded(2));
    EXPECT_EQ(builder.autoLoadFlag(), QStringLiteral("yes"));
    EXPECT_EQ(builder.fileText(1), dir + QStringLiteral("/right.jpg"));
    EXPECT_EQ(builder.fileText(2), dir + QStringLiteral("/left.bmp"));
    // The JPEG was decoded as JPEG, the bitmap read byte for byte.
    EXPECT_EQ(builder.image(1), readPicture(dir + QStringLiteral("/right.jpg")));
    EXPECT_EQ(builder.image(2), left);
    EXPECT_EQ(builder.result().width(), 8);
    EXPECT_EQ(viewer.line(StereoLine::LeftEyeFilter), QString());
    for (const char* name : {"Button1", "Button4", "Button7", "Button8", "Button9", "Button10"})
        EXPECT_TRUE(control<QWidget>(builder, name)->isHidden()) << name;
}

TEST_F(AnaglyphThisTest, AMissingPartnerIsReportedAndTheBuilderStaysClosed) {
    const QString dir = scratch.path() + QStringLiteral("/half");
    ASSERT_TRUE(QDir().mkpath(dir));
    writePicture(patternImage(4, 4, 1), dir + QStringLiteral("/left.bmp"));
    enter(dir);
    TForm2& viewer = bench->stereoViewer();
    viewer.setLine(StereoLine::RightEyeFile, QStringLiteral("RIGHT EYE FILE MISSING"));
    viewer.setLine(StereoLine::LeftEyeFile, QStringLiteral("left.bmp"));
    click(viewer, "Button5");
    ASSERT_EQ(fake.texts(Box::Error).size(), 1u);
    EXPECT_TRUE(fake.texts(Box::Error)[0].contains(QStringLiteral("RIGHT EYE FILE MISSING")));
    EXPECT_FALSE(bench->anaglyphPage().isVisible());
    EXPECT_FALSE(bench->anaglyphPage().imageLoaded(1));
}

}  // namespace
}  // namespace keldar::ui::testing
