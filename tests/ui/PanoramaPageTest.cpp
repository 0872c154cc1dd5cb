// "Panorama of this sequence" and the desktop's stitcher, on the sample's stereo panorama.

#include <QAction>
#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "core/imaging/ImageFile.h"
#include "core/sample/SampleDirectory.h"
#include "panorama/PanoramaStitch.h"
#include "support/UiTestSupport.h"
#include "ui/app/Workbench.h"
#include "ui/pages/FullSizeImageUnit17.h"
#include "ui/pages/PanoramaUnit34.h"

namespace keldar::testing {
namespace {

class PanoramaPage : public WorkbenchTest {
protected:
    static void SetUpTestSuite() {
        sample_ = new QTemporaryDir;
        ASSERT_EQ(sample::writeSampleDirectory(QFile::encodeName(sample_->path()).toStdString()), "");
    }
    static void TearDownTestSuite() {
        delete sample_;
        sample_ = nullptr;
    }
    void showSampleFile(const std::string& name) {
        enter(samplePath());
        const std::vector<std::string> names = sample::sampleImageNames();
        clickFile(static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin()));
        ASSERT_TRUE(state().currentFilePath.endsWith(QString::fromStdString(name)));
    }
    static QString samplePath() { return QFileInfo(sample_->path()).canonicalFilePath(); }
    void choose(const char* item) { mainWindow().menuItem(QString::fromLatin1(item))->trigger(); }
    ui::TForm34& page() const { return bench->panoramaPage(); }
    void press(const char* button) {
        QTest::mouseClick(&child<QPushButton>(page(), QString::fromLatin1(button)), Qt::LeftButton);
    }
    bool finishes() {
        QSignalSpy done(&page(), &ui::TForm34::stitchFinished);
        return done.wait(100000);
    }

    static QTemporaryDir* sample_;
};

QTemporaryDir* PanoramaPage::sample_ = nullptr;

TEST_F(PanoramaPage, TheDesktopStitcherGetsTheFramesOfTheShownSequence) {
    const sample::SamplePanorama pano = sample::samplePanorama();
    showSampleFile(pano.right[3]);
    platform.installedPrograms[QStringLiteral("hugin")] = QStringLiteral("/usr/bin/hugin");
    choose("RunAutostitchexternalprogram1");
    QStringList expected{QStringLiteral("/usr/bin/hugin")};
    for (const std::string& name : pano.right)
        expected << samplePath() + QLatin1Char('/') + QString::fromStdString(name);
    ASSERT_EQ(platform.startedPrograms.size(), 1u);
    EXPECT_EQ(platform.startedPrograms[0], expected);

    // A picture of no sequence: the stitcher starts empty-handed, the page says why it cannot.
    showSampleFile("IMG_0001.jpg");
    choose("RunAutostitchexternalprogram1");
    EXPECT_EQ(platform.startedPrograms.back(), QStringList{QStringLiteral("/usr/bin/hugin")});
    choose("Panoramaofthissequence1");
    EXPECT_TRUE(page().isVisible());
    EXPECT_TRUE(labelText(page(), QStringLiteral("Label1")).startsWith(QStringLiteral("No panorama can be made here")));
    EXPECT_FALSE(child<QPushButton>(page(), QStringLiteral("Button1")).isEnabled());
}

TEST_F(PanoramaPage, StitchesShowsAndSavesWithoutReplacingAndCancels) {
    if (const std::string missing = panorama::missingTools(); !missing.empty()) GTEST_SKIP() << missing;
    const sample::SamplePanorama pano = sample::samplePanorama();
    showSampleFile(pano.left[2]);
    choose("Panoramaofthissequence1");
    ASSERT_TRUE(page().stereoOffered());
    EXPECT_TRUE(labelText(page(), QStringLiteral("Label1"))
                    .startsWith(QStringLiteral("Sequence P0730 of Spirit's NAVCAM: 8 frames")));

    const QString saved = samplePath() + QStringLiteral("/ImageCategories/Panoramas/") +
                          QString::fromStdString(pano.left[0].substr(0, 27)) +
                          QStringLiteral("-anaglyph-panorama-%1.jpg");
    for (const char* counter : {"01", "02"}) {
        press("Button2");
        EXPECT_FALSE(child<QPushButton>(page(), QStringLiteral("Button1")).isEnabled());
        ASSERT_TRUE(finishes());
        EXPECT_TRUE(platform.boxes.empty()) << labelText(page(), QStringLiteral("Label2")).toStdString();
        EXPECT_EQ(page().lastSavedPath(), saved.arg(QLatin1String(counter)));
    }
    const imaging::ImageResult first =
        imaging::readImageFile(QFile::encodeName(saved.arg(QLatin1String("01"))).toStdString());
    ASSERT_TRUE(first.ok()) << first.error;
    EXPECT_GT(first.image.width(), 3 * first.image.height());
    EXPECT_TRUE(bench->fullSizeImagePage().isVisible());

    // Cancel at once: nothing more is saved.
    const QStringList before = QDir(samplePath() + QStringLiteral("/ImageCategories/Panoramas")).entryList(QDir::Files);
    press("Button1");
    press("Button3");
    ASSERT_TRUE(finishes());
    EXPECT_EQ(labelText(page(), QStringLiteral("Label2")), QStringLiteral("Cancelled: nothing was saved."));
    EXPECT_EQ(QDir(samplePath() + QStringLiteral("/ImageCategories/Panoramas")).entryList(QDir::Files), before);
    EXPECT_TRUE(child<QPushButton>(page(), QStringLiteral("Button1")).isEnabled());
}

}  // namespace
}  // namespace keldar::testing
