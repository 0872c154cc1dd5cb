// The main window as the user first sees it: its controls with their captions and hints, the
// displays with their design texts, and the main menu with its items, hints and marks.

#include <functional>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>

#include "support/UiTestSupport.h"
#include "ui/pages/DirectoriesUnit22.h"
#include "ui/time/MartianTimeUnit13.h"

namespace keldar::testing {
namespace {

using MainWindow = WorkbenchTest;

TEST_F(MainWindow, ButtonsHaveTheirCaptionsHintsAndVisibility) {
    struct Expected {
        const char* name;
        const char* caption;
        const char* hint;
        bool shown;
    };
    const Expected buttons[] = {
        {"Button1", "Close", "Exit Program", true},
        {"Button8", "Large Image", "View the selected image in a large window", true},
        {"Button13", "Stereo", "Display Stereo pair in both present", true},
        {"Button9", "Colour", "Pass image to colour page if R.G.B.", true},
        {"Button6", "Print", "Print window or send to Clipboard", true},
        {"Button7", "?", "", true},
        {"Button3", "Image", "", false},
        {"Button10", "Data", "", false},
        {"Button4", "Stereo", "View in Stereo if possible", false},
        {"Button11", "Manual Stereo", "", false},
        {"Button12", "BufrScan", "", false},
        {"Button14", "TimeZone", "", false},
    };
    mainWindow().show();
    for (const Expected& e : buttons) {
        const auto& button = child<QPushButton>(mainWindow(), QString::fromLatin1(e.name));
        EXPECT_EQ(button.text(), QString::fromLatin1(e.caption)) << e.name;
        EXPECT_EQ(button.toolTip(), QString::fromLatin1(e.hint)) << e.name;
        EXPECT_EQ(button.isVisible(), e.shown) << e.name;
    }
    EXPECT_EQ(child<QCheckBox>(mainWindow(), QStringLiteral("CheckBox3")).text(), QStringLiteral("Slideshow"));
    EXPECT_FALSE(child<QCheckBox>(mainWindow(), QStringLiteral("CheckBox3")).isChecked());
    EXPECT_EQ(child<QCheckBox>(mainWindow(), QStringLiteral("CheckBox4")).text(), QStringLiteral("Print/Clipboard"));
    EXPECT_FALSE(child<QCheckBox>(mainWindow(), QStringLiteral("CheckBox4")).isChecked());
}

TEST_F(MainWindow, BrowserControlsCarryTheirHints) {
    EXPECT_EQ(child<QComboBox>(mainWindow(), QStringLiteral("DriveComboBox1")).toolTip(),
              QStringLiteral("Select your MER image hard drive here"));
    EXPECT_EQ(child<QListWidget>(mainWindow(), QStringLiteral("DirectoryListBox1")).toolTip(),
              QStringLiteral("Dbl Click in this box to select your MER image directory"));
    EXPECT_EQ(child<QListView>(mainWindow(), QStringLiteral("FileListBox1")).toolTip(),
              QStringLiteral("Dbl Click in this box to select an image, then use cursor buttons, up and down."));
    EXPECT_EQ(child<QLineEdit>(mainWindow(), QStringLiteral("Edit2")).text(), QStringLiteral("Edit2"));
    EXPECT_EQ(display(QStringLiteral("Label1")), QStringLiteral("Path and filename selected for display"));
}

TEST_F(MainWindow, DisplaysShowTheirDesignTextsBeforeTheFirstFile) {
    const std::pair<const char*, const char*> designs[] = {
        {"filePositionText", "File in Use"}, {"roverText", "Waiting"}, {"locationText", "Waiting"},
        {"cameraText", "Waiting"}, {"clockDisplay", "Waiting"}, {"productTypeText", "Waiting"},
        {"site", "Waiting"}, {"drive", "Waiting"}, {"sequence", "14Waiting"}, {"categoryText", "37Waiting"},
        {"sequenceNumberDisplay", "34Nil"}, {"sequenceRangeText", "33Waiting"}, {"eyeText", "15Waiting"},
        {"stereoStatus", "This image may be part of a Stereo pair"}, {"filterText", "22Waiting"},
        {"producerText", "23Waiting"}, {"versionText", "24Waiting"}, {"identifierText", "Current FileName"},
        {"rightEyeNameText", "Right Eye FileName"}, {"leftEyeNameText", "Left Eye FileName"},
        {"utcTimeText", "Waiting"}, {"timeZoneText", "Waiting"}, {"localTimeText", "Waitimg"}, {"solText", "0"},
        {"marsTimeText", "Waiting"}, {"transpiredSols", "TRMD"}, {"transpiredHours", "TRMH"},
        {"transpiredMinutes", "TRMM"}, {"transpiredSeconds", "TRMS"},
    };
    for (const auto& [name, design] : designs)
        EXPECT_EQ(display(QString::fromLatin1(name)), QString::fromLatin1(design)) << name;
    EXPECT_EQ(state().eyeLetterVariable, QStringLiteral("x"));
    EXPECT_EQ(state().currentSol(), 5);
    EXPECT_EQ(state().slideshowDelay, 2000);
}

TEST_F(MainWindow, BothTimersRunEveryTwoSeconds) {
    for (const char* name : {"Timer1", "Timer2"}) {
        const auto* timer = mainWindow().findChild<QTimer*>(QString::fromLatin1(name));
        ASSERT_NE(timer, nullptr) << name;
        EXPECT_EQ(timer->interval(), 2000) << name;
        EXPECT_TRUE(timer->isActive()) << name;
    }
}

// Captions of a menu's items in order, sub-menus as "caption>" followed by their items.
QStringList captionsOf(const QMenu& menu) {
    QStringList captions;
    for (const QAction* item : menu.actions()) {
        if (item->menu() != nullptr) {
            captions << item->text() + QLatin1Char('>');
            captions << captionsOf(*item->menu());
            captions << QStringLiteral("<");
        } else {
            captions << item->text();
        }
    }
    return captions;
}

TEST_F(MainWindow, MenuHoldsEveryItemInOrder) {
    QStringList menus;
    QStringList items;
    for (const QAction* top : mainWindow().menuBar()->actions()) {
        menus << top->text();
        items << captionsOf(*top->menu());
    }
    EXPECT_EQ(menus, (QStringList{"File", "Edit", "View", "Tools", "Options", "Information", "Remember", "Help"}));
    const QStringList expected = {
        "Directories", "Fetch from the PDS archive...", "Close", "Function Testing",
        "Open Notepad", "Filename Font Size>", "5", "6", "7", "8", "9", "10", "11", "12", "13", "14", "<",
        "Full Size Image", "Large Size Image", "Manual Stereo Image Selection", "Show Stereo Image Pair",
        "Slideshow Start / Stop", "Sunset Sim fade", "Traverse Maps", "PDS Label",
        "My Birthday Searcher", "SOL searcher", "Anaglyph Stereo Page", "Colour Image Production Page",
        "BMP to AVI external program", "Run Autostitch external program", "Panorama of this sequence",
        "Movie of this sequence...",
        "Application Priority>", "Idle", "Lowest", "Lower", "Normal", "Higher", "Highest", "<",
        "Check Print / Clipboard", "Slideshow Delay", "Check Stereo Autoshow", "Thumbnails as Fullsize",
        "Check Loop Slideshow", "Auto L4L5L6 RGB", "Force Manual Colour", "Let's go to the movies",
        "Accept lower-case archive names",
        "Earth Variables Display", "Martian Calendar", "Martian Variables Display", "MER Data Decoding",
        "The Help Menu", "Web Links All Mars", "Your Screen Resolution",
        "Those that went before us",
        "Help"};
    EXPECT_EQ(items, expected);
}

TEST_F(MainWindow, TwoMenuItemsAreBuiltHidden) {
    QStringList hidden;
    for (QAction* item : mainWindow().menuBar()->findChildren<QAction*>())
        if (!item->isVisible()) hidden << item->text();
    for (const QMenu* menu : mainWindow().menuBar()->findChildren<QMenu*>())
        for (const QAction* item : menu->actions())
            if (!item->isVisible()) hidden << item->text();
    hidden.removeDuplicates();
    hidden.sort();
    EXPECT_EQ(hidden, (QStringList{"BMP to AVI external program", "Function Testing"}));
}

TEST_F(MainWindow, MenuHintsAndStartMarks) {
    const std::pair<const char*, const char*> hints[] = {
        {"CheckPrintClipboard1", "Swap between Print and Clipboard"},
        {"SlideshowDelay1", "Change the Slideshow delay in milliseconds"},
        {"CheckStereoAutoshow1", "Autoshow Stereo Images with same Time and Filter"},
    };
    for (const auto& [name, hint] : hints) {
        QAction* item = mainWindow().menuItem(QString::fromLatin1(name));
        ASSERT_NE(item, nullptr) << name;
        EXPECT_EQ(item->toolTip(), QString::fromLatin1(hint)) << name;
    }
    QStringList checked;
    for (const QMenu* menu : mainWindow().menuBar()->findChildren<QMenu*>())
        for (const QAction* item : menu->actions())
            if (item->isChecked()) checked << item->text();
    checked.removeDuplicates();
    checked.sort();
    EXPECT_EQ(checked, (QStringList{"Auto L4L5L6 RGB", "Check Loop Slideshow", "Lower"}));
    for (const char* name : {"SlideshowStartStop1", "CheckPrintClipboard1", "CheckStereoAutoshow1",
                             "ThumbnailsasFullsize1", "ForceManualColour1", "Letsgotothemovies1"})
        EXPECT_TRUE(mainWindow().menuItem(QString::fromLatin1(name))->isCheckable()) << name;
}

TEST_F(MainWindow, TheThreeOptionItemsToggleTheirOwnMark) {
    const std::pair<const char*, bool ui::ViewerOptions::*> options[] = {
        {"CheckStereoAutoshow1", &ui::ViewerOptions::stereoAutoshow},
        {"ThumbnailsasFullsize1", &ui::ViewerOptions::thumbnailsAsFullsize},
        {"CheckLoopSlideshow1", &ui::ViewerOptions::loop},
    };
    for (const auto& [name, option] : options) {
        QAction* item = mainWindow().menuItem(QString::fromLatin1(name));
        const bool before = state().options.*option;
        item->trigger();
        EXPECT_EQ(state().options.*option, !before) << name;
        EXPECT_EQ(item->isChecked(), !before) << name;
        item->trigger();
        EXPECT_EQ(state().options.*option, before) << name;
        EXPECT_EQ(item->isChecked(), before) << name;
    }
}

TEST_F(MainWindow, DirectoriesItemAndQuestionButtonShowOnlyTheDirectoriesPage) {
    for (const auto& show : std::vector<std::function<void()>>{
             [&] { mainWindow().menuItem(QStringLiteral("Directories1"))->trigger(); },
             [&] { child<QPushButton>(mainWindow(), QStringLiteral("Button7")).click(); }}) {
        show();
        for (QWidget* window : bench->windows())
            EXPECT_EQ(window->isVisible(), window->objectName() == QLatin1String("TForm22"))
                << window->objectName().toStdString();
        bench->directoriesPage().close();
    }
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(MainWindow, MartianVariablesDisplayShowsTheMartianTimePageOnTop) {
    ui::TForm13& page = bench->martianTimePage();
    EXPECT_TRUE(page.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    mainWindow().menuItem(QStringLiteral("MartianVariablesDisplay1"))->trigger();
    EXPECT_TRUE(page.isVisible());
    const QRect screen = page.screen()->availableGeometry();
    EXPECT_LE(std::abs(page.frameGeometry().center().x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(page.frameGeometry().center().y() - screen.center().y()), 1);
}

}  // namespace
}  // namespace keldar::testing
