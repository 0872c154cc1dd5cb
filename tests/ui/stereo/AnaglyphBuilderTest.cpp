// The anaglyph builder driven as a user drives it: loads through the open dialog, the
// sliders, Reset, Make Blue, Close and Save As with its names, formats and refusals.

#include <unistd.h>

#include <QFileInfo>
#include <QLabel>
#include <QScrollBar>

#include "StereoTestSupport.h"
#include "ui/stereo/ColourUnit19.h"

namespace keldar::ui::testing {
namespace {

using Box = platform::FakePlatform::BoxKind;

// Right eye: B 200, G 100 (its red must not count); left eye: R 150 (its blue and green
// must not count). Bitmaps, so every byte arrives as written.
const Pixel kRight{200, 100, 33};
const Pixel kLeft{77, 99, 150};

class AnaglyphBuilderTest : public WorkbenchTest {
protected:
    void SetUp() override {
        WorkbenchTest::SetUp();
        home = scratch.path() + QStringLiteral("/home");
        ASSERT_TRUE(QDir().mkpath(home));
        rightPath = home + QStringLiteral("/right.bmp");
        leftPath = home + QStringLiteral("/left.bmp");
        writePicture(solidImage(6, 4, kRight), rightPath);
        writePicture(solidImage(6, 4, kLeft), leftPath);
    }

    TForm19& builder() { return bench->anaglyphPage(); }
    QString anaglyphs() const { return home + QStringLiteral("/ImageCategories/Anaglyphs"); }

    // The main window enters the home directory (which makes it the home) and the user
    // opens the manual controls and loads both eyes through the open dialog.
    void loadBothByHand(const QString& right, const QString& left) {
        enter(home);
        click(builder(), "Button2");
        fake.openFileAnswers = {right, left};
        click(builder(), "Button9");
        click(builder(), "Button10");
        ASSERT_TRUE(builder().imageLoaded(1));
        ASSERT_TRUE(builder().imageLoaded(2));
    }

    QString display(const char* name) { return control<QLabel>(builder(), name)->text(); }

    QStringList savedFiles() const {
        return QDir(anaglyphs()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    QString home, rightPath, leftPath;
};

TEST_F(AnaglyphBuilderTest, LoadingBothEyesResetsToHalfOfEachSourceByte) {
    loadBothByHand(rightPath, leftPath);
    EXPECT_EQ(fake.openDialogs, 2);
    EXPECT_EQ(builder().fileText(1), rightPath);
    EXPECT_EQ(builder().fileText(2), leftPath);
    EXPECT_EQ(builder().settings().merge, 50);
    EXPECT_EQ(builder().settings().contrast, 16);
    EXPECT_EQ(builder().settings().brightness, 30);
    EXPECT_EQ(display("mergeDisplay"), QStringLiteral("50%"));
    EXPECT_EQ(display("contrastDisplay"), QStringLiteral("16%"));
    EXPECT_EQ(display("brightnessDisplay"), QStringLiteral("30%"));
    // The layers keep only their own channels.
    EXPECT_EQ(pixelAt(builder().cyanLayer(), 0, 0), (Pixel{200, 100, 0}));
    EXPECT_EQ(pixelAt(builder().redLayer(), 5, 3), (Pixel{0, 0, 150}));
    const imaging::ImageBuffer& result = builder().result();
    ASSERT_EQ(result.width(), 6);
    ASSERT_EQ(result.height(), 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) ASSERT_EQ(pixelAt(result, x, y), (Pixel{100, 50, 75})) << x << "," << y;
    EXPECT_TRUE(fake.boxes.empty());
}

TEST_F(AnaglyphBuilderTest, MergeZeroIsTheLeftRedAndMergeHundredTheRightBlueGreenOnTheCommonArea) {
    const imaging::ImageBuffer right = patternImage(9, 5, 1);
    const imaging::ImageBuffer left = patternImage(7, 8, 40);
    writePicture(right, rightPath);
    writePicture(left, leftPath);
    loadBothByHand(rightPath, leftPath);

    builder().setMerge(0);
    ASSERT_EQ(builder().result().width(), 7);
    ASSERT_EQ(builder().result().height(), 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            ASSERT_EQ(pixelAt(builder().result(), x, y), (Pixel{0, 0, pixelAt(left, x, y).r})) << x << "," << y;

    builder().setMerge(100);
    EXPECT_EQ(display("mergeDisplay"), QStringLiteral("100%"));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) {
            const Pixel source = pixelAt(right, x, y);
            ASSERT_EQ(pixelAt(builder().result(), x, y), (Pixel{source.b, source.g, 0})) << x << "," << y;
        }
}

TEST_F(AnaglyphBuilderTest, ContrastAndBrightnessSlidersRecomputeTheResult) {
    loadBothByHand(rightPath, leftPath);
    builder().setContrast(32);  // doubles: 100, 50, 75 -> 200, 100, 150
    EXPECT_EQ(pixelAt(builder().result(), 2, 2), (Pixel{200, 100, 150}));
    builder().setContrast(16);
    builder().setBrightness(100);  // +299: white
    EXPECT_EQ(pixelAt(builder().result(), 2, 2), (Pixel{255, 255, 255}));
    builder().setBrightness(0);  // -128: every byte up to 128 goes to 0
    EXPECT_EQ(pixelAt(builder().result(), 2, 2), (Pixel{0, 0, 0}));
    EXPECT_EQ(display("brightnessDisplay"), QStringLiteral("0%"));
}

TEST_F(AnaglyphBuilderTest, ResetSetsTheSlidersBackAndRecomputes) {
    loadBothByHand(rightPath, leftPath);
    builder().setMerge(10);
    builder().setContrast(40);
    builder().setBrightness(90);
    ASSERT_NE(pixelAt(builder().result(), 0, 0), (Pixel{100, 50, 75}));
    click(builder(), "Button1");
    EXPECT_EQ(builder().settings().merge, 50);
    EXPECT_EQ(builder().settings().contrast, 16);
    EXPECT_EQ(builder().settings().brightness, 30);
    EXPECT_EQ(pixelAt(builder().result(), 0, 0), (Pixel{100, 50, 75}));
}

TEST_F(AnaglyphBuilderTest, WithoutBothImagesTheSlidersOnlyUpdateTheirDisplays) {
    enter(home);
    click(builder(), "Button2");
    fake.openFileAnswers = {rightPath};
    click(builder(), "Button9");
    ASSERT_TRUE(builder().imageLoaded(1));
    ASSERT_FALSE(builder().imageLoaded(2));
    builder().setMerge(70);
    EXPECT_EQ(display("mergeDisplay"), QStringLiteral("70%"));
    EXPECT_TRUE(builder().result().isEmpty());
    // "Save As" does nothing either.
    click(builder(), "Button3");
    EXPECT_EQ(fake.saveDialogs, 0);
    EXPECT_TRUE(fake.boxes.empty());
}

TEST_F(AnaglyphBuilderTest, MakeBlueDropsTheGreenOfTheRightEye) {
    loadBothByHand(rightPath, leftPath);
    builder().setMerge(80);
    click(builder(), "Button4");
    EXPECT_EQ(pixelAt(builder().cyanLayer(), 0, 0), (Pixel{200, 0, 0}));
    EXPECT_EQ(builder().settings().merge, 50);  // Reset ran
    EXPECT_EQ(pixelAt(builder().result(), 0, 0), (Pixel{100, 0, 75}));
    click(builder(), "Button8");  // "Make Cyan" brings the green back
    EXPECT_EQ(pixelAt(builder().result(), 0, 0), (Pixel{100, 50, 75}));
}

TEST_F(AnaglyphBuilderTest, CancelledOpenDialogChangesNothing) {
    enter(home);
    click(builder(), "Button2");
    click(builder(), "Button9");  // no answer queued: the user cancels
    EXPECT_EQ(fake.openDialogs, 1);
    EXPECT_FALSE(builder().imageLoaded(1));
    EXPECT_EQ(builder().fileText(1), QStringLiteral("File1"));
    EXPECT_TRUE(fake.boxes.empty());
}

TEST_F(AnaglyphBuilderTest, CorruptFileIsReportedAndKeepsTheImageLoadedBefore) {
    loadBothByHand(rightPath, leftPath);
    const imaging::ImageBuffer before = builder().image(1);
    const QString corrupt = home + QStringLiteral("/truncated.jpg");
    {
        QFile file(corrupt);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("\xFF\xD8\xFF\xE0 not a whole JPEG");
    }
    fake.openFileAnswers = {corrupt};
    click(builder(), "Button9");
    ASSERT_EQ(fake.texts(Box::Error).size(), 1u);
    EXPECT_TRUE(fake.texts(Box::Error)[0].contains(QStringLiteral("truncated.jpg")))
        << fake.texts(Box::Error)[0].toStdString();
    EXPECT_EQ(builder().fileText(1), corrupt);
    EXPECT_TRUE(builder().imageLoaded(1));
    EXPECT_EQ(builder().image(1), before);
    EXPECT_EQ(pixelAt(builder().result(), 0, 0), (Pixel{100, 50, 75}));
}

TEST_F(AnaglyphBuilderTest, ManualControlsShowAndCloseReturnsToTheStartState) {
    const char* manual[] = {"Button1", "Button4", "Button8", "Button9", "Button10", "ScrollBar1", "ScrollBar2",
                            "ScrollBar3"};
    for (const char* name : manual) EXPECT_TRUE(control<QWidget>(builder(), name)->isHidden()) << name;
    click(builder(), "Button2");
    for (const char* name : manual) EXPECT_FALSE(control<QWidget>(builder(), name)->isHidden()) << name;
    EXPECT_TRUE(control<QWidget>(builder(), "Button7")->isHidden());  // "Make Red" is never shown
    EXPECT_EQ(builder().autoLoadFlag(), QStringLiteral("no"));

    loadBothByHand(rightPath, leftPath);
    builder().showPage();
    click(builder(), "Button5");
    EXPECT_FALSE(builder().isVisible());
    EXPECT_FALSE(builder().imageLoaded(1));
    EXPECT_FALSE(builder().imageLoaded(2));
    EXPECT_EQ(builder().fileText(1), QString());
    EXPECT_EQ(builder().fileText(2), QString());
    EXPECT_EQ(builder().saveNameText(), QString());
    for (const char* name : {"Button4", "Button8", "Button9", "Button10", "ScrollBar1", "ScrollBar2", "ScrollBar3"})
        EXPECT_TRUE(control<QWidget>(builder(), name)->isHidden()) << name;
    EXPECT_FALSE(control<QWidget>(builder(), "Button1")->isHidden());  // Reset keeps its visibility
}

// --- Save As ---

TEST_F(AnaglyphBuilderTest, SaveProposesTheSettingsNameAndASecondSaveProposesTheNextCounter) {
    loadBothByHand(rightPath, leftPath);  // the last file opened is left.bmp
    ASSERT_FALSE(QFileInfo::exists(anaglyphs()));
    const QString first = anaglyphs() + QStringLiteral("/left-B30C16M50-01");
    fake.saveFileAnswers = {first};  // confirmed as proposed, without extension
    click(builder(), "Button3");
    EXPECT_EQ(fake.saveDialogs, 1);
    EXPECT_TRUE(fake.boxes.empty()) << fake.allTexts().front().toStdString();
    EXPECT_EQ(builder().proposedRelativeName(), QStringLiteral("left-B30C16M50-01.jpg"));
    EXPECT_EQ(builder().saveStatusText(), QStringLiteral("SAVED"));
    EXPECT_EQ(builder().saveNameText(), first);
    EXPECT_EQ(savedFiles(), QStringList{QStringLiteral("left-B30C16M50-01.jpg")});
    const imaging::ImageBuffer saved = readPicture(first + QStringLiteral(".jpg"));
    EXPECT_EQ(saved.width(), 6);
    EXPECT_EQ(saved.height(), 4);
    const Pixel p = pixelAt(saved, 3, 2);  // JPEG at quality 100: within a step or two
    EXPECT_NEAR(p.b, 100, 3);
    EXPECT_NEAR(p.g, 50, 3);
    EXPECT_NEAR(p.r, 75, 3);

    click(builder(), "Button3");  // the user cancels this time
    EXPECT_EQ(builder().proposedRelativeName(), QStringLiteral("left-B30C16M50-02.jpg"));
    EXPECT_EQ(builder().saveNameText(), anaglyphs() + QStringLiteral("/left-B30C16M50-02"));
    EXPECT_EQ(savedFiles().size(), 1);

    builder().setBrightness(40);
    click(builder(), "Button3");
    EXPECT_EQ(builder().proposedRelativeName(), QStringLiteral("left-B40C16M50-01.jpg"));
}

TEST_F(AnaglyphBuilderTest, PairJpgIsWrittenAsPairJpgWithFilterTwoAndAsPairBmpWithFilterThree) {
    loadBothByHand(rightPath, leftPath);
    std::vector<int> indexes = {2, 3};
    std::vector<SaveDialogRequest> requests;
    builder().setSaveDialog([&](QWidget*, const SaveDialogRequest& request) {
        requests.push_back(request);
        const int index = indexes.front();
        indexes.erase(indexes.begin());
        return SaveDialogAnswer{anaglyphs() + QStringLiteral("/pair.jpg"), index};
    });
    click(builder(), "Button3");
    EXPECT_EQ(savedFiles(), QStringList{QStringLiteral("pair.jpg")});
    EXPECT_EQ(readPicture(anaglyphs() + QStringLiteral("/pair.jpg")).width(), 6);

    click(builder(), "Button3");
    EXPECT_EQ(savedFiles(), (QStringList{QStringLiteral("pair.bmp"), QStringLiteral("pair.jpg")}));
    // A BMP file keeps every byte of the result.
    EXPECT_EQ(readPicture(anaglyphs() + QStringLiteral("/pair.bmp")), builder().result());
    EXPECT_TRUE(fake.boxes.empty());

    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].preselectedFilter, 2);
    ASSERT_EQ(requests[0].filters.size(), 4u);
    EXPECT_EQ(requests[0].filters[1].description, "JPEG Image File (*.jpg)");
    EXPECT_EQ(requests[0].proposedPath, anaglyphs() + QStringLiteral("/left-B30C16M50-01"));
}

TEST_F(AnaglyphBuilderTest, ThePlatformDialogOpensOnFilterTwoAndTheChosenFilterDecidesTheFormat) {
    loadBothByHand(rightPath, leftPath);
    const QString proposed = anaglyphs() + QStringLiteral("/left-B30C16M50-01");
    // The user switches to "Bitmaps" and keeps the proposed name; then keeps the JPEG filter
    // but types a .bmp name.
    fake.saveFileAnswers = {proposed, anaglyphs() + QStringLiteral("/typed.bmp")};
    fake.saveFilterAnswers = {QStringLiteral("Bitmaps (*.bmp)")};
    click(builder(), "Button3");
    click(builder(), "Button3");
    ASSERT_EQ(fake.preselectedSaveFilters.size(), 2u);
    EXPECT_EQ(fake.preselectedSaveFilters[0], QStringLiteral("JPEG Image File (*.jpg)"));
    EXPECT_EQ(savedFiles(), (QStringList{QStringLiteral("left-B30C16M50-01.bmp"), QStringLiteral("typed.jpg")}));
    EXPECT_EQ(fileBytes(proposed + QStringLiteral(".bmp")).left(2), QByteArray("BM"));
    EXPECT_EQ(readPicture(proposed + QStringLiteral(".bmp")), builder().result());
    EXPECT_EQ(fileBytes(anaglyphs() + QStringLiteral("/typed.jpg")).left(2), QByteArray("\xFF\xD8"));
}

TEST_F(AnaglyphBuilderTest, AnExistingFileIsNeverOverwritten) {
    loadBothByHand(rightPath, leftPath);
    ASSERT_TRUE(QDir().mkpath(anaglyphs()));
    const QString keep = anaglyphs() + QStringLiteral("/pair.bmp");
    {
        QFile file(keep);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("the user's own file");
    }
    std::vector<SaveDialogAnswer> answers = {
        {anaglyphs() + QStringLiteral("/first.jpg"), 2},  // a save that works
        {anaglyphs() + QStringLiteral("/pair.jpg"), 3},   // written as pair.bmp, which exists
        {anaglyphs() + QStringLiteral("/first"), 2},      // written as first.jpg, which now exists
    };
    builder().setSaveDialog([&](QWidget*, const SaveDialogRequest&) {
        const SaveDialogAnswer answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    });
    click(builder(), "Button3");
    ASSERT_EQ(builder().saveStatusText(), QStringLiteral("SAVED"));
    const QByteArray firstBytes = fileBytes(anaglyphs() + QStringLiteral("/first.jpg"));

    click(builder(), "Button3");
    ASSERT_EQ(fake.texts(Box::Warning).size(), 1u);
    EXPECT_TRUE(fake.texts(Box::Warning)[0].contains(QStringLiteral("pair.bmp")));
    EXPECT_EQ(fileBytes(keep), QByteArray("the user's own file"));
    // The earlier "SAVED" does not stay beside a name that was not written.
    EXPECT_EQ(builder().saveStatusText(), QString());

    builder().setMerge(20);  // a different picture that must not replace the first
    click(builder(), "Button3");
    ASSERT_EQ(fake.texts(Box::Warning).size(), 2u);
    EXPECT_TRUE(fake.texts(Box::Warning)[1].contains(QStringLiteral("first.jpg")));
    EXPECT_EQ(fileBytes(anaglyphs() + QStringLiteral("/first.jpg")), firstBytes);
    EXPECT_EQ(savedFiles(), (QStringList{QStringLiteral("first.jpg"), QStringLiteral("pair.bmp")}));
}

TEST_F(AnaglyphBuilderTest, AMissingAnaglyphDirectoryIsCreated) {
    loadBothByHand(rightPath, leftPath);
    ASSERT_FALSE(QFileInfo::exists(home + QStringLiteral("/ImageCategories")));
    fake.saveFileAnswers = {anaglyphs() + QStringLiteral("/left-B30C16M50-01")};
    click(builder(), "Button3");
    EXPECT_TRUE(QFileInfo(anaglyphs()).isDir());
    EXPECT_EQ(savedFiles(), QStringList{QStringLiteral("left-B30C16M50-01.jpg")});
    EXPECT_TRUE(fake.boxes.empty());
}

TEST_F(AnaglyphBuilderTest, AnAnaglyphDirectoryThatCannotBeCreatedWarnsAndWritesNothing) {
    loadBothByHand(rightPath, leftPath);
    {
        QFile blocker(home + QStringLiteral("/ImageCategories"));  // a file where the directory goes
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    }
    fake.saveFileAnswers = {home + QStringLiteral("/elsewhere")};
    click(builder(), "Button3");
    ASSERT_EQ(fake.texts(Box::Warning).size(), 1u);
    EXPECT_TRUE(fake.texts(Box::Warning)[0].contains(QStringLiteral("cannot be created")));
    EXPECT_EQ(fake.saveDialogs, 0);
    EXPECT_FALSE(QFileInfo::exists(home + QStringLiteral("/elsewhere.jpg")));
    EXPECT_EQ(builder().saveStatusText(), QString());
}

TEST_F(AnaglyphBuilderTest, AnAnaglyphDirectoryThatCannotBeWrittenWarnsAndWritesNothing) {
    if (::geteuid() == 0) GTEST_SKIP() << "permission bits do not stop root";
    loadBothByHand(rightPath, leftPath);
    ASSERT_TRUE(QDir().mkpath(anaglyphs()));
    ASSERT_TRUE(QFile::setPermissions(anaglyphs(), QFile::ReadOwner | QFile::ExeOwner));
    fake.saveFileAnswers = {anaglyphs() + QStringLiteral("/left-B30C16M50-01")};
    click(builder(), "Button3");
    QFile::setPermissions(anaglyphs(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ASSERT_EQ(fake.texts(Box::Warning).size(), 1u);
    EXPECT_TRUE(fake.texts(Box::Warning)[0].contains(QStringLiteral("cannot be written")));
    EXPECT_EQ(fake.saveDialogs, 0);
    EXPECT_TRUE(savedFiles().isEmpty());
}

TEST_F(AnaglyphBuilderTest, AFailedWriteWarnsAndIsNotReportedAsSaved) {
    loadBothByHand(rightPath, leftPath);
    const QString nowhere = home + QStringLiteral("/no-such-directory/pair.jpg");
    fake.saveFileAnswers = {nowhere};
    click(builder(), "Button3");
    ASSERT_EQ(fake.texts(Box::Warning).size(), 1u);
    EXPECT_TRUE(fake.texts(Box::Warning)[0].startsWith(QStringLiteral("The anaglyph was not saved")));
    EXPECT_FALSE(QFileInfo::exists(nowhere));
    EXPECT_NE(builder().saveStatusText(), QStringLiteral("SAVED"));
    EXPECT_EQ(builder().saveNameText(), nowhere);
}

TEST_F(AnaglyphBuilderTest, SavingLeavesTheMainWindowWhereItWas) {
    writePicture(solidImage(3, 3, {1, 2, 3}), home + QStringLiteral("/third.bmp"));
    loadBothByHand(rightPath, leftPath);
    open(QStringLiteral("right.bmp"));
    const int selected = main().selectedFileIndex();
    fake.saveFileAnswers = {anaglyphs() + QStringLiteral("/left-B30C16M50-01")};
    click(builder(), "Button3");
    EXPECT_EQ(main().fileBrowser().directory(), home);
    EXPECT_EQ(main().selectedFileIndex(), selected);
    EXPECT_EQ(QDir::currentPath(), home);
    EXPECT_TRUE(fake.boxes.empty());
}

}  // namespace
}  // namespace keldar::ui::testing
