// The workbench on the generated sample directory, as a user walks it.

#include <QFile>
#include <QListView>
#include <QTest>

#include "core/imaging/ImageFile.h"
#include "core/sample/SampleDirectory.h"
#include "support/UiTestSupport.h"
#include "ui/app/FileBrowser.h"
#include "ui/app/ImageView.h"

namespace keldar::testing {
namespace {

class SampleWalk : public WorkbenchTest {
protected:
    static void SetUpTestSuite() {
        sample_ = new QTemporaryDir;
        ASSERT_TRUE(sample_->isValid());
        ASSERT_EQ(sample::writeSampleDirectory(QFile::encodeName(sample_->path()).toStdString()), "");
    }
    static void TearDownTestSuite() {
        delete sample_;
        sample_ = nullptr;
    }
    static QString samplePath() { return QFileInfo(sample_->path()).canonicalFilePath(); }
    static int indexOf(const char* name) {
        const std::vector<std::string> names = sample::sampleImageNames();
        for (std::size_t i = 0; i < names.size(); ++i)
            if (names[i] == name) return static_cast<int>(i);
        return -1;
    }
    imaging::ImageBuffer fileImage(const std::string& name) const {
        return imaging::readImageFile(QFile::encodeName(samplePath()).toStdString() + "/" + name).image;
    }

    static QTemporaryDir* sample_;
};

QTemporaryDir* SampleWalk::sample_ = nullptr;

TEST_F(SampleWalk, TheListIsTheSampleInNameOrderAndTheFirstPictureShows) {
    enter(samplePath());
    QStringList expected;
    for (const std::string& name : sample::sampleImageNames()) expected << QString::fromStdString(name);
    EXPECT_EQ(mainWindow().fileBrowser().fileNames(), expected);
    EXPECT_EQ(mainWindow().selectedFileIndex(), 0);
    EXPECT_EQ(mainWindow().mainImage().picture(), fileImage(sample::sampleImageNames().front()));
    EXPECT_EQ(display(QStringLiteral("roverText")), QStringLiteral("1 Opportunity"));
    EXPECT_EQ(display(QStringLiteral("filePositionText")),
              QStringLiteral("Using File 1 of %1").arg(expected.size()));  // the file shown
    EXPECT_EQ(state().homeDirectory, samplePath());
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(SampleWalk, SteppingDownTheWholeListSkipsTheLabelAndShowsTheLast) {
    enter(samplePath());
    const std::vector<std::string> names = sample::sampleImageNames();
    QListView& list = child<QListView>(mainWindow(), QStringLiteral("FileListBox1"));
    mainWindow().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&mainWindow()));
    list.setFocus();
    const QString last = QString::fromStdString(names.back());
    QStringList seen;
    for (std::size_t press = 0; press < names.size(); ++press) {
        QTest::keyClick(&list, Qt::Key_Down);
        seen << child<QLineEdit>(mainWindow(), QStringLiteral("Edit2")).text();
        if (seen.last() == last) break;
    }
    // Every entry after the first once, except the labels (the walk moves on to the next
    // picture), down to the last one, which is shown like any other.
    ASSERT_EQ(seen.last(), last) << seen.join(QLatin1Char(' ')).toStdString();
    const auto labels = std::count_if(names.begin(), names.end(),
                                      [](const std::string& n) { return n.size() > 4 && n.substr(n.size() - 4) == ".LBL"; });
    EXPECT_EQ(seen.size(), static_cast<int>(names.size()) - 1 - static_cast<int>(labels));
    EXPECT_FALSE(seen.join(QLatin1Char(' ')).contains(QStringLiteral(".LBL")));
    EXPECT_EQ(mainWindow().mainImage().picture(), fileImage(names.back()));
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(SampleWalk, ChoosingTheLabelShowsThePictureAfterIt) {
    enter(samplePath());
    const std::vector<std::string> names = sample::sampleImageNames();
    int label = -1;
    for (std::size_t i = 0; i < names.size(); ++i)
        if (QString::fromStdString(names[i]).endsWith(QStringLiteral(".LBL"))) label = static_cast<int>(i);
    ASSERT_GT(label, 0);
    ASSERT_LT(label + 1, static_cast<int>(names.size()) - 1);
    clickFile(label);
    EXPECT_EQ(mainWindow().selectedFileIndex(), label + 1);
    EXPECT_EQ(mainWindow().mainImage().picture(), fileImage(names[static_cast<std::size_t>(label) + 1]));
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(SampleWalk, TheHolidayPhotographAndTheAnaglyphInTheSample) {
    enter(samplePath());
    const std::vector<std::string> names = sample::sampleImageNames();
    // The photograph is the last entry: with the loop option off it is shown after the message.
    mainWindow().menuItem(QStringLiteral("CheckLoopSlideshow1"))->trigger();
    const int photograph = indexOf("IMG_0001.jpg");
    ASSERT_EQ(photograph, static_cast<int>(names.size()) - 1);
    clickFile(photograph);
    EXPECT_EQ(takeBoxes(), std::vector<QString>{QStringLiteral("End of directory, no more images in this directory !")});
    EXPECT_EQ(display(QStringLiteral("roverText")), QStringLiteral("Invalid"));
    EXPECT_EQ(display(QStringLiteral("clockDisplay")), QStringLiteral("Invalid Spacecraft Clock Value"));
    // No times nor stereo line of the product shown before it.
    EXPECT_EQ(display(QStringLiteral("localTimeText")), QStringLiteral("Invalid"));
    EXPECT_EQ(display(QStringLiteral("marsTimeText")), QStringLiteral("Invalid"));
    EXPECT_TRUE(child<QLabel>(mainWindow(), QStringLiteral("stereoStatus")).isHidden());
    EXPECT_EQ(mainWindow().mainImage().picture().width(), 640);

    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i].find("-B30C16M50-01") == std::string::npos) continue;
        clickFile(static_cast<int>(i));
        EXPECT_EQ(display(QStringLiteral("eyeText")), QStringLiteral("COMBINED"));
        EXPECT_EQ(display(QStringLiteral("leftEyeNameText")), QString());
    }
}

}  // namespace
}  // namespace keldar::testing
