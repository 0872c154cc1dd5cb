// The colour composer and the colour processor driven as a user drives them: bands loaded by
// hand and picked from the main window, the straight and blended combinations, the effects,
// saving, and the automatic L4/L5/L6 run over the main window's file list.

#include <QAction>
#include <QCheckBox>
#include <QDeadlineTimer>
#include <QListWidget>
#include <QScrollBar>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include "core/imaging/ColourComposite.h"
#include "core/imaging/ImageFile.h"
#include "core/imaging/PixelFunctions.h"
#include "core/sample/SampleDirectory.h"
#include "support/UiTestSupport.h"
#include "ui/app/FileBrowser.h"
#include "ui/colour/ColourAltUnit20.h"
#include "ui/colour/ColourProcessorUnit31.h"

namespace keldar::testing {
namespace {

using Band = imaging::Band;
using Box = platform::FakePlatform::BoxKind;

std::string fsPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

// A product name of 27 characters: Spirit PANCAM, the given clock, eye and filter.
QString product(const char* clock, char eye, char filter) {
    return QStringLiteral("2P%1EDN0000P2303%2%3M1").arg(QLatin1String(clock)).arg(QLatin1Char(eye)).arg(QLatin1Char(filter));
}

// Every pixel different, so a channel taken from the wrong band or byte shows.
imaging::ImageBuffer pattern(int width, int height, int seed) {
    imaging::ImageBuffer image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c) image.row(y)[3 * x + c] = static_cast<std::uint8_t>(x * 7 + y * 13 + seed * 31 + c * 5);
    return image;
}

int byteAt(const imaging::ImageBuffer& image, int x, int y, int channel) { return image.row(y)[3 * x + channel]; }

imaging::ImageBuffer readBack(const QString& path) { return imaging::readImageFile(fsPath(path)).image; }

class ColourTest : public WorkbenchTest {
protected:
    void SetUp() override {
        WorkbenchTest::SetUp();
        // The products are the last entries of the list, as in a directory of one set.
        dir = makeDirectory(QStringLiteral("images"));
    }

    ui::TForm20& composer() const { return bench->colourComposer(); }
    ui::TForm31& processor() const { return bench->colourProcessor(); }
    QTimer& timer(const char* name) const { return child<QTimer>(processor(), QString::fromLatin1(name)); }

    QString band(const QString& name, const imaging::ImageBuffer& image) const {
        const QString path = dir + QLatin1Char('/') + name;
        const std::string error = imaging::writeImageFile(image, fsPath(path));
        if (!error.empty()) throw std::runtime_error(error);
        return path;
    }
    QString grey(const QString& name, int value, int width = 4, int height = 3) const {
        return writePicture(dir + QLatin1Char('/') + name, width, height, value, value, value);
    }

    // Loads the three bands through the open dialogs, as a user does with Auto Colour unticked.
    void loadByHand(const QString& red, const QString& green, const QString& blue) {
        platform.openFileAnswers = {red, green, blue};
        for (const char* button : {"Button3", "Button2", "Button1"}) child<QPushButton>(composer(), QString::fromLatin1(button)).click();
    }
    // Bands of equal grey levels named as an L4/L5/L6 set.
    void loadGreySet(int red, int green, int blue) {
        loadByHand(grey(product("126471340", 'L', '4') + QStringLiteral(".bmp"), red),
                   grey(product("126471340", 'L', '5') + QStringLiteral(".bmp"), green),
                   grey(product("126471340", 'L', '6') + QStringLiteral(".bmp"), blue));
    }

    void openInMain(const QString& name) {
        enter(dir);
        mainWindow().selectFile(static_cast<int>(mainWindow().fileBrowser().fileNames().indexOf(name)));
        mainWindow().runImageAction();
    }
    void clickColour() { child<QPushButton>(mainWindow(), QStringLiteral("Button9")).click(); }
    void runTimer(const char* name) {
        QTimer& t = timer(name);
        ASSERT_TRUE(t.isActive()) << name;
        EXPECT_EQ(t.interval(), 5000);
        t.setInterval(1);
        const QDeadlineTimer deadline(5000);
        while (t.isActive() && !deadline.hasExpired()) QTest::qWait(5);
        ASSERT_FALSE(t.isActive()) << name << " did not fire";
    }
    bool allLoaded() const {
        return composer().bandLoaded(Band::Red) && composer().bandLoaded(Band::Green) && composer().bandLoaded(Band::Blue);
    }
    QStringList entries() const { return QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name); }
    // Writes the sample directory; the name of its red band, the first of its L4/L5/L6 set.
    QString writeSample() const {
        if (const std::string error = sample::writeSampleDirectory(fsPath(dir)); !error.empty())
            throw std::runtime_error(error);
        for (const sample::SampleEntry& entry : sample::sampleEntries())
            if (entry.description.rfind("Opportunity PANCAM left, filter 4", 0) == 0)
                return QString::fromStdString(entry.name);
        throw std::runtime_error("the sample has no red band");
    }

    QString dir;
};

// --- By hand ---

TEST_F(ColourTest, StraightCombinationOfBandsOfDifferentSizesTakesTheLeastAndOneByteOfEach) {
    const imaging::ImageBuffer r = pattern(7, 5, 1), g = pattern(6, 8, 2), b = pattern(9, 4, 3);
    loadByHand(band(product("126471340", 'L', '4') + QStringLiteral(".bmp"), r),
               band(product("126471340", 'L', '5') + QStringLiteral(".bmp"), g),
               band(product("126471340", 'L', '6') + QStringLiteral(".bmp"), b));
    ASSERT_TRUE(allLoaded());
    const imaging::ImageBuffer& out = composer().composite();
    ASSERT_EQ(out.width(), 6);
    ASSERT_EQ(out.height(), 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) {
            ASSERT_EQ(byteAt(out, x, y, 2), byteAt(r, x, y, 0));
            ASSERT_EQ(byteAt(out, x, y, 1), byteAt(g, x, y, 1));
            ASSERT_EQ(byteAt(out, x, y, 0), byteAt(b, x, y, 2));
        }
    EXPECT_EQ(composer().shownPicture(), out);
    EXPECT_TRUE(composer().isVisible());
    EXPECT_EQ(composer().statusText(), QStringLiteral("RGB Loaded."));
    EXPECT_EQ(composer().fileNameText(Band::Green), product("126471340", 'L', '5') + QStringLiteral(".bmp"));
    EXPECT_EQ(composer().filterCodeText(Band::Red), QStringLiteral("L4"));
    EXPECT_EQ(composer().filterSuffix(), QStringLiteral("-L4L5L6"));
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(ColourTest, BadInputIsReportedAndKeepsWhatTheSlotHeld) {
    loadGreySet(10, 20, 30);
    const imaging::ImageBuffer before = composer().bandImage(Band::Red);
    child<QPushButton>(composer(), QStringLiteral("Button3")).click();  // the user cancels
    platform.openFileAnswers = {writeText(dir + QStringLiteral("/truncated.jpg"), "\xFF\xD8\xFF\xE0 not a JPEG")};
    child<QPushButton>(composer(), QStringLiteral("Button3")).click();
    child<QCheckBox>(composer(), QStringLiteral("CheckBox4")).click();  // Auto Colour, no product picked yet
    child<QPushButton>(composer(), QStringLiteral("Button3")).click();
    EXPECT_EQ(platform.texts(Box::Error).size(), 1u);
    ASSERT_EQ(platform.texts(Box::Warning).size(), 1u);
    EXPECT_TRUE(platform.texts(Box::Warning)[0].contains(QStringLiteral("Auto Colour")));
    EXPECT_TRUE(composer().bandLoaded(Band::Red));
    EXPECT_EQ(composer().bandImage(Band::Red), before);
}

TEST_F(ColourTest, Mer2RgbBlendsAtSeventyAndTheBlueSliderRunsFromGreenToBlue) {
    loadGreySet(200, 100, 50);
    child<QPushButton>(composer(), QStringLiteral("Button34")).click();
    EXPECT_EQ(child<QScrollBar>(composer(), QStringLiteral("ScrollBar1")).value(), 70);
    EXPECT_EQ(child<QScrollBar>(composer(), QStringLiteral("ScrollBar2")).value(), 70);
    EXPECT_EQ(child<QScrollBar>(composer(), QStringLiteral("ScrollBar3")).value(), 100);
    EXPECT_TRUE(child<QScrollBar>(composer(), QStringLiteral("ScrollBar3")).isHidden());
    EXPECT_FALSE(child<QScrollBar>(composer(), QStringLiteral("ScrollBar1")).isHidden());
    EXPECT_EQ(labelText(composer(), QStringLiteral("blueDisplay")), QStringLiteral("70%"));
    EXPECT_EQ(composer().statusText(), QStringLiteral("MER2RGB Loaded."));
    EXPECT_EQ(composer().filterSuffix(), QStringLiteral("-L4L5L5L5L6"));
    // Red (179 × 200 + 77 × 100) >> 8 = 169, blue (179 × 50 + 77 × 100) >> 8 = 65, green the
    // green band after its JPEG round trip.
    imaging::ImageBuffer greenReread;
    ASSERT_EQ(imaging::jpegRoundTrip(composer().bandImage(Band::Green), greenReread), "");
    EXPECT_EQ(byteAt(composer().composite(), 1, 1, 2), 169);
    EXPECT_EQ(byteAt(composer().composite(), 1, 1, 1), byteAt(greenReread, 1, 1, 1));
    EXPECT_EQ(byteAt(composer().composite(), 1, 1, 0), 65);

    composer().setBlueWeight(100);
    EXPECT_EQ(byteAt(composer().composite(), 2, 2, 0), 50);  // the blue band itself
    composer().setBlueWeight(0);
    EXPECT_EQ(byteAt(composer().composite(), 2, 2, 0), 100);  // the green band
    EXPECT_EQ(labelText(composer(), QStringLiteral("blueDisplay")), QStringLiteral("0%"));
}

TEST_F(ColourTest, InvertAndSolarizeWorkOnTheStraightCompositeAndLeaveItAsItIs) {
    child<QPushButton>(composer(), QStringLiteral("Button15")).click();  // nothing to invert yet
    EXPECT_EQ(platform.texts(Box::Information).size(), 1u);
    struct Case { int level, inverted, solarized50; };
    for (const Case& c : {Case{100, 155, 228}, Case{200, 55, 72}}) {
        loadGreySet(c.level, c.level, c.level);
        const imaging::ImageBuffer composite = composer().composite();
        child<QPushButton>(composer(), QStringLiteral("Button15")).click();
        EXPECT_EQ(byteAt(composer().shownPicture(), 0, 0, 1), c.inverted) << c.level;
        child<QPushButton>(composer(), QStringLiteral("Button42")).click();
        EXPECT_FALSE(child<QSlider>(composer(), QStringLiteral("TrackBar1")).isHidden());
        composer().setSolarize(50);
        EXPECT_TRUE(composer().solarized());
        EXPECT_EQ(byteAt(composer().shownPicture(), 3, 2, 2), c.solarized50) << c.level;
        EXPECT_EQ(labelText(composer(), QStringLiteral("solarizeCaption")), QStringLiteral("50%"));
        EXPECT_EQ(composer().composite(), composite);
        child<QPushButton>(composer(), QStringLiteral("Button15")).click();
        EXPECT_FALSE(composer().solarized());
        composer().setSolarize(0);
    }
}

TEST_F(ColourTest, CloseHidesTheAdjustmentsAndKeepsTheBands) {
    loadGreySet(1, 2, 3);
    child<QPushButton>(composer(), QStringLiteral("Button34")).click();
    child<QPushButton>(composer(), QStringLiteral("Button42")).click();
    composer().setSolarize(30);
    child<QPushButton>(composer(), QStringLiteral("Button4")).click();
    EXPECT_FALSE(composer().isVisible());
    EXPECT_FALSE(composer().solarized());
    for (const char* name : {"ScrollBar1", "ScrollBar2", "TrackBar1", "solarizeCaption", "blueDisplay", "redDisplay",
                             "redProcessedThumbnail", "greenProcessedThumbnail", "blueProcessedThumbnail"})
        EXPECT_TRUE(child<QWidget>(composer(), QString::fromLatin1(name)).isHidden()) << name;
    EXPECT_TRUE(allLoaded());
}

// --- Save ---

class ColourSaveTest : public ColourTest {
protected:
    void SetUp() override {
        ColourTest::SetUp();
        writePicture(dir + QStringLiteral("/holiday.bmp"), 2, 2);
        enter(dir);  // the home directory; composites go to its RGB directory
        rgb = dir + QStringLiteral("/ImageCategories/Colour/456_RGB");
        loadGreySet(40, 80, 120);
        composer().setSaveDialog([this](QWidget*, const ui::SaveDialogRequest& request) {
            requests.push_back(request);
            ui::SaveDialogAnswer answer = answers.empty() ? ui::SaveDialogAnswer{} : answers.front();
            if (!answers.empty()) answers.erase(answers.begin());
            if (answer.path == QLatin1String("proposed")) answer.path = request.proposedPath;
            return answer;
        });
    }
    void save() { child<QPushButton>(composer(), QStringLiteral("Button7")).click(); }
    QStringList saved() const { return QDir(rgb).entryList(QDir::Files, QDir::Name); }

    const QString base = product("126471340", 'L', '5');  // the green band's name
    QString rgb;
    std::vector<ui::SaveDialogRequest> requests;
    std::vector<ui::SaveDialogAnswer> answers;
};

TEST_F(ColourSaveTest, ProposesTheCounterNameInTheRgbDirectoryAndWritesByTheChosenFilter) {
    ASSERT_FALSE(QFileInfo::exists(rgb));
    // A bitmap saved under a counter takes it as a JPEG does: the next save is offered the next.
    answers = {{QStringLiteral("proposed"), 2}, {QStringLiteral("proposed"), 4}, {QStringLiteral("proposed"), 4}};
    save();
    save();
    save();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].proposedPath, rgb + QLatin1Char('/') + base + QStringLiteral("-L4L5L6-01"));
    EXPECT_EQ(requests[1].proposedPath, rgb + QLatin1Char('/') + base + QStringLiteral("-L4L5L6-02"));
    EXPECT_EQ(requests[2].proposedPath, rgb + QLatin1Char('/') + base + QStringLiteral("-L4L5L6-03"));
    EXPECT_EQ(requests[0].preselectedFilter, 2);
    ASSERT_EQ(requests[0].filters.size(), 4u);
    EXPECT_EQ(requests[0].filters[0].description, "All (*.jpg;*.jpeg;*.bmp)");
    EXPECT_EQ(saved(), (QStringList{base + QStringLiteral("-L4L5L6-01.jpg"), base + QStringLiteral("-L4L5L6-02.bmp"),
                                    base + QStringLiteral("-L4L5L6-03.bmp")}));
    EXPECT_EQ(readBack(rgb + QLatin1Char('/') + base + QStringLiteral("-L4L5L6-02.bmp")), composer().composite());
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(ColourSaveTest, ASolarizedPictureIsProposedUnderTheSolarizedNameAndWrittenAsShown) {
    child<QPushButton>(composer(), QStringLiteral("Button42")).click();
    composer().setSolarize(50);
    answers = {{QStringLiteral("proposed"), 3}};
    save();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].proposedPath, rgb + QLatin1Char('/') + base + QStringLiteral("-L4L5L6-Solarized01"));
    EXPECT_EQ(readBack(rgb + QLatin1Char('/') + base + QStringLiteral("-L4L5L6-Solarized01.bmp")),
              composer().effectPicture());
    EXPECT_FALSE(composer().solarized());
}

TEST_F(ColourSaveTest, NeverOverwritesAndRefusesADirectoryItCannotWrite) {
    ASSERT_TRUE(QDir().mkpath(rgb));
    const QString mine = writeText(rgb + QStringLiteral("/mine.bmp"), "the user's own file");
    answers = {{rgb + QStringLiteral("/mine.jpg"), 4}, {}};
    save();  // written as mine.bmp, which exists
    ASSERT_EQ(platform.texts(Box::Warning).size(), 1u);
    EXPECT_TRUE(platform.texts(Box::Warning)[0].contains(QStringLiteral("mine.bmp")));
    EXPECT_EQ(QFile(mine).size(), 19);

    // A directory that cannot be made (a file stands in its way), and one that takes no file.
    for (const QString& blocked : {mine + QStringLiteral("/456_RGB/"), QStringLiteral("/proc/")}) {
        mainWindow().viewerState().rgbDirectory = blocked;
        save();
    }
    EXPECT_EQ(requests.size(), 1u);  // no dialog for either
    ASSERT_EQ(platform.texts(Box::Warning).size(), 3u);
    EXPECT_TRUE(platform.texts(Box::Warning)[1].contains(QStringLiteral("cannot be created")));
    EXPECT_TRUE(platform.texts(Box::Warning)[2].contains(QStringLiteral("cannot be written")));
    EXPECT_EQ(saved(), QStringList{QStringLiteral("mine.bmp")});
}

// --- The pick, the processor and the options ---

TEST_F(ColourTest, ThePickDerivesTheBandNamesAndOnlyALeftFilterFourFiveOrSixPicks) {
    const QString green = product("126471340", 'L', '5') + QStringLiteral(".JPG");
    const QString right = product("126471399", 'R', '5') + QStringLiteral(".JPG");
    grey(green, 90);
    grey(right, 90);
    openInMain(green);
    EXPECT_EQ(composer().eyePrefix(), QStringLiteral("2P126471340EDN0000P2303L"));
    clickColour();
    EXPECT_EQ(composer().derivedName(Band::Red), QStringLiteral("2P126471340EDN0000P2303L4M1.JPG"));
    EXPECT_EQ(composer().derivedName(Band::Green), green);
    EXPECT_EQ(composer().derivedName(Band::Blue), QStringLiteral("2P126471340EDN0000P2303L6M1.JPG"));
    EXPECT_TRUE(composer().picks()[Band::Green]);
    EXPECT_TRUE(composer().bandLoaded(Band::Green));
    EXPECT_TRUE(composer().autoColour());
    EXPECT_EQ(platform.beeps, 1);

    openInMain(right);
    clickColour();
    EXPECT_FALSE(composer().picks()[Band::Red] || composer().picks()[Band::Green] || composer().picks()[Band::Blue]);
    EXPECT_EQ(composer().fileNameText(Band::Green), green);  // nothing loaded over it
    EXPECT_EQ(platform.openDialogs, 0);
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(ColourTest, ManualStartWithGreenBandOffersOnlyTheGreenSlotWithTheCurrentFile) {
    const QString right = grey(product("126471399", 'R', '2') + QStringLiteral(".JPG"), 70);
    openInMain(QFileInfo(right).fileName());
    mainWindow().menuItem(QStringLiteral("ForceManualColour1"))->trigger();
    clickColour();
    EXPECT_TRUE(processor().isVisible());
    EXPECT_EQ(processor().messageText(), ui::kSelectBandMessage);
    EXPECT_FALSE(composer().autoColour());

    child<QCheckBox>(processor(), QStringLiteral("CheckBox1")).click();
    child<QCheckBox>(processor(), QStringLiteral("CheckBox2")).click();  // unchecks RED BAND
    EXPECT_FALSE(child<QCheckBox>(processor(), QStringLiteral("CheckBox1")).isChecked());
    platform.openFileAnswers = {right};
    child<QPushButton>(processor(), QStringLiteral("Button1")).click();
    EXPECT_EQ(platform.openDialogStarts, std::vector<QString>{right});
    EXPECT_TRUE(composer().bandLoaded(Band::Green));
    EXPECT_FALSE(composer().bandLoaded(Band::Red) || composer().bandLoaded(Band::Blue));
    EXPECT_FALSE(processor().isVisible());
    EXPECT_FALSE(child<QCheckBox>(processor(), QStringLiteral("CheckBox2")).isChecked());

    clickColour();
    child<QCheckBox>(processor(), QStringLiteral("CheckBox3")).click();
    child<QPushButton>(processor(), QStringLiteral("Button2")).click();  // CANCEL picks nothing
    EXPECT_FALSE(processor().isVisible());
    EXPECT_FALSE(composer().bandLoaded(Band::Blue));
    EXPECT_EQ(platform.openDialogs, 1);
}

TEST_F(ColourTest, TheAutoColourBoxSetsTheAutoOptionOnlyAndTheMenuShowsTheComposer) {
    QCheckBox& box = child<QCheckBox>(composer(), QStringLiteral("CheckBox4"));
    box.click();  // ticked
    box.click();  // unticked
    EXPECT_FALSE(state().options.autoRgb);
    EXPECT_FALSE(state().options.forceManualColour);
    EXPECT_FALSE(mainWindow().menuItem(QStringLiteral("AutoL4L5L6RGB1"))->isChecked());
    mainWindow().menuItem(QStringLiteral("ColourImageProductionPage1"))->trigger();
    EXPECT_TRUE(composer().isVisible());
}

TEST_F(ColourTest, BothWindowsFitTheDesignScreen) {
    platform.openFileAnswers = {grey(QString(120, QLatin1Char('n')) + QStringLiteral(".bmp"), 5)};
    child<QPushButton>(composer(), QStringLiteral("Button3")).click();
    for (const QWidget* window : {static_cast<const QWidget*>(&composer()), static_cast<const QWidget*>(&processor())}) {
        EXPECT_LE(window->minimumSizeHint().width(), 800) << window->objectName().toStdString();
        EXPECT_LE(window->minimumSizeHint().height(), 580) << window->objectName().toStdString();
    }
}

// --- The automatic run ---

struct RunCase {
    const char* what;
    std::vector<std::pair<const char*, char>> files;  // clock and filter of left-eye products; 'R' a right-eye one
    bool complete;
};

class ColourRunTest : public ColourTest, public ::testing::WithParamInterface<RunCase> {};

TEST_P(ColourRunTest, ColourOnTheRedBandStepsThroughTheNextTwoFiles) {
    QStringList names;
    int seed = 0;
    for (const auto& [clock, filter] : GetParam().files) {
        names << (filter == 'R' ? product(clock, 'R', '5') : product(clock, 'L', filter)) + QStringLiteral(".JPG");
        band(names.back(), pattern(6, 5, ++seed));
    }
    const QStringList before = entries();
    openInMain(names.front());
    const int redIndex = mainWindow().selectedFileIndex();
    clickColour();

    EXPECT_EQ(mainWindow().selectedFileIndex(), redIndex);
    EXPECT_FALSE(composer().scanGuard() || composer().redStepGuard());
    EXPECT_EQ(entries(), before);  // no temporary file beside the images
    EXPECT_EQ(platform.beeps, 1);
    EXPECT_TRUE(composer().bandLoaded(Band::Red));
    if (GetParam().complete) {
        ASSERT_TRUE(allLoaded());
        EXPECT_EQ(composer().composite(),
                  imaging::combineAllChannels(readBack(dir + QLatin1Char('/') + names[0]), composer().bandImage(Band::Green),
                                              composer().bandImage(Band::Blue)));
        EXPECT_EQ(composer().statusText(), QStringLiteral("RGB Loaded."));
        EXPECT_TRUE(composer().isVisible());
        EXPECT_FALSE(timer("Timer1").isActive());
        // "Colour" again on the red band's entry (the state still describes the last file
        // stepped to): the same set recombines at once.
        const imaging::ImageBuffer first = composer().composite();
        composer().closePage();
        clickColour();
        EXPECT_EQ(composer().composite(), first);
        EXPECT_TRUE(composer().isVisible());
        EXPECT_FALSE(timer("Timer1").isActive());
    } else {
        EXPECT_FALSE(composer().bandLoaded(Band::Blue));
        EXPECT_FALSE(composer().isVisible());
        EXPECT_FALSE(processor().isVisible());
        runTimer("Timer1");
        EXPECT_TRUE(processor().isVisible());
        EXPECT_EQ(processor().messageText(), ui::kRunFailedMessage);
        EXPECT_EQ(processor().messageColour(), QColor(Qt::cyan));
        runTimer("Timer2");
        EXPECT_FALSE(processor().isVisible());
    }
    EXPECT_TRUE(platform.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Runs, ColourRunTest,
    ::testing::Values(RunCase{"L5 then L6", {{"126471340", '4'}, {"126471340", '5'}, {"126471340", '6'}}, true},
                      RunCase{"L6 then L5", {{"126471340", '4'}, {"126471341", '6'}, {"126471342", '5'}}, true},
                      RunCase{"right eye then L5", {{"126471340", '4'}, {"126471341", 'R'}, {"126471342", '5'}}, false}),
    [](const ::testing::TestParamInfo<RunCase>& info) {
        std::string name = info.param.what;
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
        return name;
    });

TEST_F(ColourTest, AScanFromAGreenBandLeavesNoGuardAndALaterRunWithAnIncompleteSetOffersNoMix) {
    const char* clocks[] = {"126471340", "126471350"};
    for (const char* clock : clocks)
        for (char filter : {'4', '5', '6'}) band(product(clock, 'L', filter) + QStringLiteral(".JPG"), pattern(5, 5, filter));
    QFile::remove(dir + QLatin1Char('/') + product("126471350", 'L', '6') + QStringLiteral(".JPG"));

    openInMain(product("126471340", 'L', '5') + QStringLiteral(".JPG"));
    clickColour();
    EXPECT_FALSE(composer().scanGuard());
    openInMain(product("126471340", 'L', '4') + QStringLiteral(".JPG"));
    clickColour();
    ASSERT_EQ(composer().statusText(), QStringLiteral("RGB Loaded."));
    const imaging::ImageBuffer complete = composer().composite();
    composer().closePage();

    // The second exposure has no blue band and ends the list: its red and green must not be
    // shown with the first exposure's blue, nor with bands from the top of the list.
    openInMain(product("126471350", 'L', '4') + QStringLiteral(".JPG"));
    clickColour();
    EXPECT_EQ(composer().fileNameText(Band::Green), product("126471350", 'L', '5') + QStringLiteral(".JPG"));
    EXPECT_EQ(composer().composite(), complete);
    EXPECT_FALSE(composer().isVisible());
    runTimer("Timer1");
    EXPECT_EQ(processor().messageText(), ui::kRunFailedMessage);
}

TEST_F(ColourTest, AfterTheRunTheArrowKeysStepOnFromTheRedBandAndTheDirectoriesStayPut) {
    const QString red = writeSample();
    enter(dir);
    const int redIndex = static_cast<int>(mainWindow().fileBrowser().fileNames().indexOf(red));
    clickFile(redIndex);
    const QListWidget& directories = child<QListWidget>(mainWindow(), QStringLiteral("DirectoryListBox1"));
    const QString directoryShown = directories.currentItem()->text();
    // Clicked as a user clicks it, so the button takes the focus.
    QTest::mouseClick(&child<QPushButton>(mainWindow(), QStringLiteral("Button9")), Qt::LeftButton);
    ASSERT_TRUE(composer().isVisible());
    ASSERT_EQ(mainWindow().selectedFileIndex(), redIndex);

    // The keys the main window gets next go to the file list.
    QWidget* keys = mainWindow().focusWidget();
    ASSERT_NE(keys, nullptr);
    QTest::keyClick(keys, Qt::Key_Down);
    EXPECT_EQ(mainWindow().selectedFileIndex(), redIndex + 1);
    EXPECT_EQ(state().displays.fileNameField, mainWindow().fileBrowser().fileNames().at(redIndex + 1));
    EXPECT_EQ(state().currentDirectory, dir);
    EXPECT_EQ(directories.currentItem()->text(), directoryShown);
}

TEST_F(ColourTest, OnTheSampleDirectoryOneClickGivesTheCompositeAndLeavesNoFileBehind) {
    const QString red = writeSample();
    const QStringList before = entries();
    openInMain(red);
    clickColour();
    ASSERT_TRUE(composer().isVisible());
    EXPECT_EQ(composer().composite().width(), 512);
    EXPECT_EQ(composer().filterSuffix(), QStringLiteral("-L4L5L6"));
    child<QPushButton>(composer(), QStringLiteral("Button34")).click();
    child<QPushButton>(composer(), QStringLiteral("Button15")).click();
    child<QPushButton>(composer(), QStringLiteral("Button42")).click();
    composer().setSolarize(40);
    platform.saveFileAnswers = {dir + QStringLiteral("/ImageCategories/Colour/456_RGB/sol40")};
    child<QPushButton>(composer(), QStringLiteral("Button7")).click();
    EXPECT_TRUE(QFileInfo::exists(dir + QStringLiteral("/ImageCategories/Colour/456_RGB/sol40.jpg")));
    EXPECT_EQ(entries(), before);
    EXPECT_TRUE(platform.boxes.empty());
}

}  // namespace
}  // namespace keldar::testing
