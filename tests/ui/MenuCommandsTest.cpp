// The main menu's own commands: priority, file-list font size, the print/clipboard switch
// and the print button, the screen resolution, the notes file, the outside programs, the
// option marks with their opposites, and the items that hand the image to other pages.

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QListView>
#include <QRegularExpression>
#include <QScreen>

#include "support/UiTestSupport.h"
#include "ui/app/ImageConversion.h"
#include "ui/app/ImageView.h"
#include "ui/app/MenuCommands.h"
#include "ui/pages/FullSizeImageUnit17.h"
#include "ui/pages/LargeImageUnit7.h"
#include "ui/stereo/ColourUnit19.h"
#include "ui/stereo/ManualStereoUnit11.h"
#include "ui/stereo/StereoUnit2.h"

namespace keldar::testing {
namespace {

using Box = platform::FakePlatform::BoxKind;
using platform::ThreadPriority;

// --- The decisions on their own ---

TEST(MenuCommandTexts, PrintCaptionsAndScreenResolution) {
    EXPECT_EQ(ui::printButtonCaption(false), QStringLiteral("Print"));
    EXPECT_EQ(ui::printButtonCaption(true), QStringLiteral("Clipboard"));
    EXPECT_EQ(ui::screenResolutionText(QSize(1280, 1024)), QStringLiteral("Screen Resolution 1280 x 1024"));
    EXPECT_EQ(ui::screenResolutionText(QSize(800, 600)), QStringLiteral("Screen Resolution 800 x 600"));
}

TEST(MenuCommandTexts, SlideshowMarks) {
    using M = ui::SlideshowMarks;
    // Stopping takes the movie mark with it; starting keeps whatever it was.
    EXPECT_EQ(ui::toggledSlideshow(M{true, true}), (M{false, false}));
    EXPECT_EQ(ui::toggledSlideshow(M{true, false}), (M{false, false}));
    EXPECT_EQ(ui::toggledSlideshow(M{false, false}), (M{true, false}));
    EXPECT_EQ(ui::toggledSlideshow(M{false, true}), (M{true, true}));
    // The movies always run; only their own mark turns over.
    EXPECT_EQ(ui::toggledMovies(M{false, false}), (M{true, true}));
    EXPECT_EQ(ui::toggledMovies(M{true, true}), (M{true, false}));
}

TEST(MenuCommandPlaces, HomeFilesAndOutsidePrograms) {
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString h = home.path();
    EXPECT_EQ(ui::homeFilePath(h, ui::kNotesFileName), h + QStringLiteral("/Keldar2007notes.txt"));
    EXPECT_EQ(ui::homeFilePath(h + QLatin1Char('/'), ui::kNotesFileName), h + QStringLiteral("/Keldar2007notes.txt"));
    EXPECT_EQ(ui::homeFilePath(QString(), ui::kNotesFileName), QDir::current().absoluteFilePath(QStringLiteral("Keldar2007notes.txt")));

    EXPECT_EQ(ui::findOutsideProgram(h, ui::kStitcherProgram), QString());
    writeText(h + QStringLiteral("/autostitch"), "#!/bin/sh\n");
    EXPECT_EQ(ui::findOutsideProgram(h, ui::kStitcherProgram), h + QStringLiteral("/autostitch"));
    writeText(h + QStringLiteral("/autostitch.exe"), "MZ");
    EXPECT_EQ(ui::findOutsideProgram(h, ui::kStitcherProgram), h + QStringLiteral("/autostitch.exe"));
    // A directory of that name is not a program.
    ASSERT_TRUE(QDir(h).mkdir(QStringLiteral("AVIBuilder")));
    EXPECT_EQ(ui::findOutsideProgram(h, ui::kAviBuilderProgram), QString());
}

// --- Through the menu ---

class MenuCommands : public WorkbenchTest {
protected:
    void SetUp() override {
        WorkbenchTest::SetUp();
        home = makeDirectory(QStringLiteral("home"));
        writePicture(home + QStringLiteral("/a.jpg"), 31, 20);
        writePicture(home + QStringLiteral("/b.jpg"), 32, 20);
        writePicture(home + QStringLiteral("/c.jpg"), 33, 20);
        enter(home);
        ASSERT_EQ(state().homeDirectory, home);
        takeBoxes();
    }

    QAction& item(const QString& name) const {
        QAction* found = mainWindow().menuItem(name);
        if (found == nullptr) throw std::runtime_error("no menu item " + name.toStdString());
        return *found;
    }
    void choose(const char* name) { item(QString::fromLatin1(name)).trigger(); }

    // The captions of the main window's, the stereo viewer's and the large-image page's
    // print buttons.
    std::vector<QString> printCaptions() const {
        return {child<QPushButton>(mainWindow(), QStringLiteral("Button6")).text(),
                child<QPushButton>(bench->stereoViewer(), QStringLiteral("Button2")).text(),
                child<QPushButton>(bench->largeImagePage(), QStringLiteral("Button2")).text()};
    }
    QCheckBox& printBox() const { return child<QCheckBox>(mainWindow(), QStringLiteral("CheckBox4")); }

    QString home;
};

const std::vector<QString> kAllPrint{QStringLiteral("Print"), QStringLiteral("Print"), QStringLiteral("Print")};
const std::vector<QString> kAllClipboard{QStringLiteral("Clipboard"), QStringLiteral("Clipboard"),
                                         QStringLiteral("Clipboard")};

TEST_F(MenuCommands, HighestThenIdleLeavesOnlyIdleChecked) {
    EXPECT_TRUE(item(QStringLiteral("Lower1")).isChecked());
    choose("Highest1");
    choose("Idle1");
    EXPECT_EQ(platform.priorities, (std::vector<ThreadPriority>{ThreadPriority::Highest, ThreadPriority::Idle}));
    for (const char* name : {"Idle1", "Lowest1", "Lower1", "Normal1", "Higher1", "Highest1"})
        EXPECT_EQ(item(QString::fromLatin1(name)).isChecked(), std::string(name) == "Idle1") << name;
    EXPECT_EQ(state().priorityChoice, ThreadPriority::Idle);
}

TEST_F(MenuCommands, ARefusedPriorityStillMovesTheMark) {
    platform.priorityAccepted = false;
    choose("Highest1");
    EXPECT_EQ(platform.priorities, std::vector<ThreadPriority>{ThreadPriority::Highest});
    EXPECT_TRUE(item(QStringLiteral("Highest1")).isChecked());
    EXPECT_FALSE(item(QStringLiteral("Lower1")).isChecked());
    EXPECT_TRUE(takeBoxes().empty());
}

TEST_F(MenuCommands, FontSizeItemsSetOnlyTheFileListFont) {
    QListView& list = child<QListView>(mainWindow(), QStringLiteral("FileListBox1"));
    const QFont windowFont = mainWindow().font();
    const QFont directoryFont = child<QWidget>(mainWindow(), QStringLiteral("DirectoryListBox1")).font();
    for (int size : {14, 5, 9, 9, 12}) {
        QAction& sizeItem = item(QStringLiteral("FilenameFontSize%1").arg(size));
        sizeItem.trigger();
        EXPECT_EQ(list.font().pointSize(), size);
        EXPECT_FALSE(sizeItem.isChecked());
    }
    EXPECT_EQ(mainWindow().font(), windowFont);
    EXPECT_EQ(child<QWidget>(mainWindow(), QStringLiteral("DirectoryListBox1")).font(), directoryFont);
}

TEST_F(MenuCommands, CheckPrintClipboardTwiceReturnsEveryCaptionToPrint) {
    ASSERT_EQ(printCaptions(), kAllPrint);
    choose("CheckPrintClipboard1");
    EXPECT_EQ(printCaptions(), kAllClipboard);
    EXPECT_TRUE(item(QStringLiteral("CheckPrintClipboard1")).isChecked());
    choose("CheckPrintClipboard1");
    EXPECT_EQ(printCaptions(), kAllPrint);
    EXPECT_FALSE(item(QStringLiteral("CheckPrintClipboard1")).isChecked());
    EXPECT_FALSE(printBox().isChecked());  // the menu never moves the box
}

TEST_F(MenuCommands, TheCheckBoxSetsTheSwitchToItsOwnState) {
    printBox().click();
    EXPECT_TRUE(state().options.printClipboardSwitch);
    EXPECT_EQ(printCaptions(), kAllClipboard);
    choose("CheckPrintClipboard1");  // switch off, box still ticked
    EXPECT_TRUE(printBox().isChecked());
    printBox().click();  // unticking leaves the switch off
    EXPECT_FALSE(state().options.printClipboardSwitch);
    EXPECT_EQ(printCaptions(), kAllPrint);
}

TEST_F(MenuCommands, PrintButtonCopiesOrPrintsTheClientArea) {
    mainWindow().show();
    QPushButton& print = child<QPushButton>(mainWindow(), QStringLiteral("Button6"));
    // The area under the menu bar: the menu is not part of the picture.
    const QSize client = mainWindow().centralWidget()->size();
    ASSERT_LT(client.height(), mainWindow().height());
    choose("CheckPrintClipboard1");
    print.click();
    EXPECT_EQ(takeBoxes(), std::vector<QString>{QStringLiteral("Image saved to clipboard!")});
    EXPECT_EQ(platform.clipboard.size() / platform.clipboard.devicePixelRatio(), client);
    EXPECT_EQ(platform.printDialogs, 0);

    choose("CheckPrintClipboard1");
    platform.clipboard = QImage();
    print.click();
    EXPECT_EQ(platform.printDialogs, 1);
    ASSERT_EQ(platform.printedImages.size(), 1u);
    EXPECT_EQ(platform.printedImages[0].size() / platform.printedImages[0].devicePixelRatio(), client);
    EXPECT_TRUE(platform.clipboard.isNull());
    EXPECT_TRUE(takeBoxes().empty());

    platform.confirmPrint = false;  // cancelled: nothing printed, nothing said
    print.click();
    EXPECT_EQ(platform.printedImages.size(), 1u);
    EXPECT_TRUE(takeBoxes().empty());
}

TEST_F(MenuCommands, ScreenResolutionNamesTheScreenOfTheWindowInAPlainBox) {
    choose("YourScreenResolution1");
    const QSize screen = mainWindow().screen()->size();
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].kind, platform::FakePlatform::BoxKind::Plain);
    const std::vector<QString> boxes = takeBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], QStringLiteral("Screen Resolution %1 x %2").arg(screen.width()).arg(screen.height()));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^Screen Resolution [1-9][0-9]* x [1-9][0-9]*$")).match(boxes[0]).hasMatch());
}

TEST_F(MenuCommands, OpenNotepadOpensTheNotesFileInTheHomeDirectory) {
    const QString notes = home + QStringLiteral("/Keldar2007notes.txt");
    choose("OpenNotepad1");
    EXPECT_EQ(platform.openedDocuments, std::vector<QString>{notes});
    EXPECT_TRUE(QFileInfo(notes).isFile());
    EXPECT_EQ(QFileInfo(notes).size(), 0);

    // An existing file keeps what the user wrote; a later directory does not move it.
    writeText(notes, "sol 13: the hills\n");
    enter(makeDirectory(QStringLiteral("elsewhere")));
    takeBoxes();
    choose("OpenNotepad1");
    EXPECT_EQ(platform.openedDocuments, (std::vector<QString>{notes, notes}));
    QFile file(notes);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("sol 13: the hills\n"));
    EXPECT_TRUE(takeBoxes().empty());
}

TEST_F(MenuCommands, OpenNotepadSaysSoWhenTheNotesFileCannotBeMade) {
    QFile::setPermissions(home, QFile::ReadOwner | QFile::ExeOwner);
    if (QFileInfo(home).isWritable()) {
        QFile::setPermissions(home, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        GTEST_SKIP() << "this user writes into read-only directories";
    }
    choose("OpenNotepad1");
    QFile::setPermissions(home, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const std::vector<QString> warnings = platform.texts(Box::Warning);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_TRUE(warnings[0].startsWith(QStringLiteral("Cannot create the notes file ") + home)) << warnings[0].toStdString();
    EXPECT_TRUE(platform.openedDocuments.empty());
}

TEST_F(MenuCommands, OutsideProgramsStartFromTheHomeDirectoryWhenPresent) {
    choose("RunAutostitchexternalprogram1");
    choose("BMPtoAVIexternalprogram1");
    EXPECT_TRUE(platform.startedPrograms.empty());
    EXPECT_TRUE(takeBoxes().empty());

    writeText(home + QStringLiteral("/autostitch"), "#!/bin/sh\n");
    writeText(home + QStringLiteral("/AVIBuilder.exe"), "MZ");
    choose("RunAutostitchexternalprogram1");
    choose("BMPtoAVIexternalprogram1");
    EXPECT_EQ(platform.startedPrograms, (std::vector<QStringList>{{home + QStringLiteral("/autostitch")},
                                                                  {home + QStringLiteral("/AVIBuilder.exe")}}));
    EXPECT_FALSE(item(QStringLiteral("BMPtoAVIexternalprogram1")).isVisible());
}

TEST_F(MenuCommands, ColourOptionsTakeOppositeMarks) {
    EXPECT_TRUE(item(QStringLiteral("AutoL4L5L6RGB1")).isChecked());
    EXPECT_FALSE(item(QStringLiteral("ForceManualColour1")).isChecked());
    choose("AutoL4L5L6RGB1");
    EXPECT_FALSE(state().options.autoRgb);
    EXPECT_TRUE(state().options.forceManualColour);
    EXPECT_TRUE(item(QStringLiteral("ForceManualColour1")).isChecked());
    choose("ForceManualColour1");
    EXPECT_FALSE(state().options.forceManualColour);
    EXPECT_TRUE(state().options.autoRgb);
    EXPECT_TRUE(item(QStringLiteral("AutoL4L5L6RGB1")).isChecked());
    choose("ForceManualColour1");
    EXPECT_TRUE(state().options.forceManualColour);
    EXPECT_FALSE(item(QStringLiteral("AutoL4L5L6RGB1")).isChecked());
}

TEST_F(MenuCommands, PlainTogglesTurnOnlyTheirOwnMark) {
    const ui::ViewerOptions before = state().options;
    choose("CheckStereoAutoshow1");
    choose("CheckLoopSlideshow1");
    choose("ThumbnailsasFullsize1");
    const ui::ViewerOptions& after = state().options;
    EXPECT_NE(after.stereoAutoshow, before.stereoAutoshow);
    EXPECT_NE(after.loop, before.loop);
    EXPECT_NE(after.thumbnailsAsFullsize, before.thumbnailsAsFullsize);
    EXPECT_EQ(after.autoRgb, before.autoRgb);
    EXPECT_EQ(after.slideshowRunning, before.slideshowRunning);
    EXPECT_EQ(after.printClipboardSwitch, before.printClipboardSwitch);
    EXPECT_TRUE(item(QStringLiteral("CheckStereoAutoshow1")).isChecked());
    EXPECT_FALSE(item(QStringLiteral("CheckLoopSlideshow1")).isChecked());
}

TEST_F(MenuCommands, ImageItemsHandOverACopyOfTheCurrentImage) {
    const QImage shown = ui::toQImage(mainWindow().mainImage().picture());
    choose("FullSizeImage1");
    EXPECT_TRUE(bench->fullSizeImagePage().isVisible());
    EXPECT_EQ(bench->fullSizeImagePage().image(), shown);
    choose("LargeSizeImage1");
    EXPECT_TRUE(bench->largeImagePage().isVisible());
    EXPECT_EQ(bench->largeImagePage().imageView().picture(), mainWindow().mainImage().picture());
    // Copies: the next image leaves what the pages hold alone.
    mainWindow().selectFile(1);
    mainWindow().runImageAction();
    EXPECT_EQ(shownWidth(), 32);
    EXPECT_EQ(bench->fullSizeImagePage().image().width(), 31);
}

TEST_F(MenuCommands, StereoPageItems) {
    choose("CheckStereoAutoshow1");
    choose("ManualStereoImageSelection1");
    EXPECT_TRUE(bench->manualStereoPage().isVisible());
    EXPECT_TRUE(state().showStereo);
    EXPECT_FALSE(item(QStringLiteral("CheckStereoAutoshow1")).isChecked());
    choose("AnaglyphStereoPage1");
    EXPECT_TRUE(bench->anaglyphPage().isVisible());
}

}  // namespace
}  // namespace keldar::testing
