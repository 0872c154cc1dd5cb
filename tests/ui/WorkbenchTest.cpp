// Start-up: every window exists from the start, in the fixed order, hidden except the main
// window, each with its caption; closing the main window ends the program.

#include <QApplication>
#include <QLabel>
#include <QTest>

#include "support/UiTestSupport.h"
#include "ui/app/ImageView.h"
#include "ui/pages/LargeImageUnit7.h"
#include "ui/time/MartianTimeUnit13.h"

namespace keldar::testing {
namespace {

using StartUp = WorkbenchTest;

TEST_F(StartUp, CreatesEveryWindowInStartUpOrderWithItsCaption) {
    const std::vector<std::pair<QString, QString>> expected = {
        {"TForm1", "Keldar 2007.    Mars Exploration Rovers Data display and image manipulation."},
        {"TForm2", "MER Images Stereo Viewer"},
        {"TForm3", "Various Time Variables and Constants relative to Earth"},
        {"TForm4", "Web Links"},
        {"TForm5", "Martian Calendar"},
        {"TForm6", "Traverse Maps"},
        {"TForm7", "Large Size Image Display Page"},
        {"TForm8", "Opportunity Traverse Maps"},
        {"TForm9", "Spirit Traverse Maps"},
        {"TForm10", "Data Decoding Information"},
        {"TForm11", "Manual Stereo Viewing Filter Selection"},
        {"TForm12", "Help on software usage."},
        {"TForm13", "Martian Time page"},
        {"TForm15", "Remember them"},
        {"TForm16", "Slideshow Delay"},
        {"TForm17", "Full size image"},
        {"TForm18", "Usage"},
        {"TForm19", "Anaglyph"},
        {"TForm20", "Colour"},
        {"TForm21", "Sunset"},
        {"TForm22", "Keldar 2007 Directories"},
        {"TForm23", "SOL searcher"},
        {"TForm24", "Martian and Mars related links"},
        {"TForm14", "My Birthday Searcher"},
        {"TForm25", "Help on Menu Selections"},
        {"TForm26", "Help on how to make a Colour composite image"},
        {"TForm27", "Help for creating 3D anaglyphs"},
        {"TForm28", "Quick Start Help"},
        {"TForm30", "Play Page"},
        {"TForm31", "Keldar Colour proccessor"},
    };
    const std::vector<QWidget*>& windows = bench->windows();
    ASSERT_EQ(windows.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(windows[i]->objectName(), expected[i].first) << i;
        EXPECT_EQ(windows[i]->windowTitle(), expected[i].second) << i;
        EXPECT_TRUE(windows[i]->isWindow()) << i;
        EXPECT_FALSE(windows[i]->isVisible()) << i;
    }
}

TEST_F(StartUp, OnlyTheMainWindowShowsAndItReadsTheStartDirectory) {
    const QString directory = makeDirectory(QStringLiteral("start"));
    writePicture(directory + QStringLiteral("/2N292280938EFFB100P0703L0M1.JPG"), 24, 16);
    QDir::setCurrent(directory);

    mainWindow().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&mainWindow()));
    QTRY_COMPARE(state().currentDirectory, directory);
    for (QWidget* window : bench->windows())
        EXPECT_EQ(window->isVisible(), window == &mainWindow()) << window->objectName().toStdString();
    EXPECT_EQ(state().homeDirectory, directory);
    EXPECT_EQ(shownWidth(), 24);
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(StartUp, ThePicturesThatFollowTheThumbnailOptionAreRegistered) {
    const std::vector<ui::ImageView*>& views = bench->stretchViews();
    EXPECT_NE(std::find(views.begin(), views.end(), &mainWindow().mainImage()), views.end());
    EXPECT_NE(std::find(views.begin(), views.end(), &bench->largeImagePage().imageView()), views.end());
    EXPECT_LE(views.size(), 7u);
}

TEST_F(StartUp, CloseEndsTheProgramFromTheButtonAndTheMenu) {
    bench->martianTimePage().showPage();
    mainWindow().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&mainWindow()));
    child<QPushButton>(mainWindow(), QStringLiteral("Button1")).click();
    EXPECT_FALSE(mainWindow().isVisible());
    EXPECT_FALSE(bench->martianTimePage().isVisible());

    mainWindow().show();
    mainWindow().menuItem(QStringLiteral("Close1"))->trigger();
    EXPECT_FALSE(mainWindow().isVisible());
}

TEST_F(StartUp, EveryWindowFitsTheScreenWithTheSampleImageShown) {
    const QString directory = makeDirectory(QStringLiteral("fit"));
    writePicture(directory + QStringLiteral("/2P126471340EDN0000P2303L5M1.JPG"), 64, 48);
    QDir::setCurrent(directory);
    mainWindow().show();
    QTRY_COMPARE(state().currentDirectory, directory);

    const QSize screen = mainWindow().screen()->size();
    // What a window manager's title bar and borders take (openbox: 20 + 5 + 1 + 1).
    const QSize frame(2, 27);
    for (QWidget* window : bench->windows()) {
        window->show();
        QCoreApplication::processEvents();
        const std::string name = window->objectName().toStdString();
        const QSize least = window->minimumSizeHint();
        EXPECT_LE(window->width(), screen.width()) << name;
        EXPECT_LE(window->height(), screen.height()) << name;
        EXPECT_LE(least.width() + frame.width(), screen.width()) << name;
        EXPECT_LE(least.height() + frame.height(), screen.height()) << name;
        // A note that wraps gets the height of all its lines, at the window's own size and
        // at the least size the frame leaves.
        for (const QSize size : {window->size(), window->size().boundedTo(screen - frame)}) {
            window->resize(size);
            QCoreApplication::processEvents();
            for (const QLabel* label : window->findChildren<QLabel*>()) {
                if (!label->wordWrap() || !label->isVisible() || label->text().isEmpty()) continue;
                EXPECT_GE(label->height(), label->heightForWidth(label->width()))
                    << name << ": " << label->text().left(40).toStdString();
            }
        }
        window->hide();
    }
}

}  // namespace
}  // namespace keldar::testing
