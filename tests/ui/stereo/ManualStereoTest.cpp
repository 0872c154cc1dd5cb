// The manual stereo selection on the sample directory: the hand-off, stepping, locking by
// eye, "View in Stereo" with the eyes swapped and the design texts of a set never locked.

#include <QLabel>
#include <QLineEdit>

#include "StereoTestSupport.h"
#include "ui/app/ImageView.h"
#include "ui/stereo/ManualStereoUnit11.h"
#include "ui/stereo/StereoHandOff.h"
#include "ui/stereo/StereoUnit2.h"

namespace keldar::ui::testing {
namespace {

class ManualStereoTest : public WorkbenchTest {
protected:
    void SetUp() override {
        WorkbenchTest::SetUp();
        enter(sampleDirectory());
    }

    TForm11& page() { return bench->manualStereoPage(); }
    TForm2& viewer() { return bench->stereoViewer(); }

    // Selects the file in the main window, hands it over and locks it.
    void lock(const QString& name) {
        open(name);
        runManualStereoHandOff(*bench);
        click(page(), "Button6");
    }

    const QString spiritLeft = sampleName("Spirit NAVCAM left eye, sol 13");
    const QString spiritRight = sampleName("Spirit NAVCAM right eye, sol 13");
    const QString otherRight = sampleName("Spirit front HAZCAM right eye without its left partner");
    const QString microscope = sampleName("Spirit Microscopic Imager");
};

TEST_F(ManualStereoTest, HandOffCopiesTheMainWindowsImageAndFactsAndTurnsAutoshowOff) {
    open(spiritLeft);
    main().setOption(&ViewerOptions::stereoAutoshow, true);
    runManualStereoHandOff(*bench);
    const MainDisplays& d = state().displays;
    const ManualStereoCurrent current = page().current();
    EXPECT_TRUE(page().isVisible());
    EXPECT_TRUE(state().showStereo);
    EXPECT_FALSE(state().options.stereoAutoshow);
    EXPECT_EQ(current.eye, QStringLiteral("Left Eye"));
    EXPECT_EQ(current.fileName, spiritLeft);
    EXPECT_EQ(control<QLineEdit>(page(), "Edit1")->text(), spiritLeft);
    EXPECT_EQ(current.earthTime, d.utcTimeText + QStringLiteral(" (UTC)"));
    EXPECT_EQ(current.rover, QStringLiteral("2 Spirit"));
    EXPECT_EQ(current.sol, d.solText);
    EXPECT_EQ(current.camera, d.cameraText);
    EXPECT_EQ(current.filter, d.filterText);
    EXPECT_EQ(current.picture, main().mainImage().picture());
    EXPECT_FALSE(current.picture.isEmpty());
}

TEST_F(ManualStereoTest, LockingASecondRightEyeKeepsOnlyTheSecond) {
    lock(spiritRight);
    EXPECT_EQ(page().lockedRight().fileName, spiritRight);
    lock(otherRight);
    EXPECT_EQ(page().lockedRight().fileName, otherRight);
    EXPECT_EQ(page().lockedRight().picture, main().mainImage().picture());
    EXPECT_EQ(page().lockedRight().earthTime, state().displays.utcTimeText + QStringLiteral(" (UTC)"));
    EXPECT_EQ(control<QLabel>(page(), "rightEyeFileName")->text(), otherRight);
    // The left place was never touched.
    EXPECT_EQ(page().lockedLeft().fileName, QStringLiteral("Filename unknown"));
    EXPECT_EQ(page().lockedLeft().filter, QStringLiteral("Filter Unknown"));
    EXPECT_TRUE(page().lockedLeft().picture.isEmpty());
}

TEST_F(ManualStereoTest, LockingAMonoscopicImageChangesNothing) {
    lock(spiritLeft);
    const ManualStereoLocked leftBefore = page().lockedLeft();
    lock(microscope);
    EXPECT_EQ(page().lockedLeft().fileName, leftBefore.fileName);
    EXPECT_EQ(page().lockedLeft().picture, leftBefore.picture);
    EXPECT_EQ(page().lockedRight().fileName, QStringLiteral("Filename unknown"));
}

TEST_F(ManualStereoTest, ViewInStereoSwapsTheEyesForCrossEyedViewing) {
    lock(spiritLeft);
    const ManualStereoLocked left = page().lockedLeft();
    lock(spiritRight);
    const ManualStereoLocked right = page().lockedRight();
    click(page(), "Button3");
    EXPECT_TRUE(viewer().isVisible());
    EXPECT_EQ(viewer().rightEyeView().picture(), right.picture);  // image 1, on the left
    EXPECT_EQ(viewer().leftEyeView().picture(), left.picture);    // image 2, on the right
    EXPECT_NE(right.picture, left.picture);
    EXPECT_EQ(viewer().line(StereoLine::RightEyeFile), spiritRight);
    EXPECT_EQ(viewer().line(StereoLine::LeftEyeFile), spiritLeft);
    EXPECT_EQ(viewer().line(StereoLine::RightEyeFilter), right.filter);
    EXPECT_EQ(viewer().line(StereoLine::LeftEyeFilter), left.filter);
    EXPECT_EQ(viewer().line(StereoLine::Utc), right.earthTime);
    EXPECT_EQ(viewer().line(StereoLine::Local), left.earthTime);
    EXPECT_EQ(viewer().line(StereoLine::Rover), QStringLiteral("2 Spirit"));
    EXPECT_EQ(viewer().line(StereoLine::Sol), page().current().sol);
    EXPECT_FALSE(viewer().rightEyeView().isHidden());
    EXPECT_FALSE(viewer().leftEyeView().isHidden());
}

TEST_F(ManualStereoTest, ASetNeverLockedPassesItsDesignTextsOn) {
    lock(spiritLeft);
    click(page(), "Button3");
    EXPECT_TRUE(viewer().rightEyeView().picture().isEmpty());
    EXPECT_FALSE(viewer().rightEyeView().isHidden());
    EXPECT_EQ(viewer().line(StereoLine::RightEyeFile), QStringLiteral("Filename unknown"));
    EXPECT_EQ(viewer().line(StereoLine::RightEyeFilter), QStringLiteral("Filter Unknown"));
    EXPECT_EQ(viewer().line(StereoLine::Utc), QStringLiteral("EarthTime"));
    EXPECT_EQ(viewer().line(StereoLine::LeftEyeFile), spiritLeft);
}

TEST_F(ManualStereoTest, ViewInStereoAfterTheViewerHidAMissingPartnerShowsBothPlaces) {
    open(sampleName("Opportunity rear HAZCAM left eye"));
    runStereoAction(*bench);
    ASSERT_TRUE(viewer().rightEyeView().isHidden());
    lock(spiritLeft);
    click(page(), "Button3");
    EXPECT_FALSE(viewer().rightEyeView().isHidden());
}

TEST_F(ManualStereoTest, NextAndPrevStepTheMainWindowAndRefreshTheUpperHalf) {
    open(spiritLeft);
    runManualStereoHandOff(*bench);
    click(page(), "Button5");
    // One entry on is the left eye's label file, which the Image action passes over.
    EXPECT_EQ(main().fileBrowser().selectedFileName(), spiritRight);
    EXPECT_EQ(page().current().fileName, spiritRight);
    EXPECT_EQ(page().current().eye, QStringLiteral("Right Eye"));
    EXPECT_FALSE(state().steppingBack);

    open(sampleName("Spirit NAVCAM left eye, sol 48, frame 1 "));
    click(page(), "Button4");
    EXPECT_EQ(main().fileBrowser().selectedFileName(), spiritRight);
    EXPECT_EQ(page().current().fileName, spiritRight);
    EXPECT_TRUE(state().steppingBack);
}

TEST_F(ManualStereoTest, CloseClearsTheShowStereoFlagAndKeepsTheLockedSets) {
    lock(spiritRight);
    click(page(), "Button1");
    EXPECT_FALSE(state().showStereo);
    EXPECT_FALSE(page().isVisible());
    runManualStereoHandOff(*bench);
    EXPECT_EQ(page().lockedRight().fileName, spiritRight);
}

}  // namespace
}  // namespace keldar::ui::testing
