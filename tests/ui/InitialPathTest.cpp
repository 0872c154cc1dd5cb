// The path given on the command line: the workbench starts in that directory, or in a file's
// directory with the file shown; a path that is not there is said once and changes nothing.

#include <cerrno>
#include <cstring>

#include <QTest>

#include "support/UiTestSupport.h"

namespace keldar::testing {
namespace {

using Kind = platform::FakePlatform::BoxKind;

class InitialPath : public WorkbenchTest {
protected:
    // a.jpg, b.jpg, c.jpg of widths 10, 11, 12, so the main image tells which one is shown.
    QString makePictures(const QString& name) {
        const QString directory = makeDirectory(name);
        for (int i = 0; i < 3; ++i) writePicture(directory + QStringLiteral("/%1.jpg").arg(QChar('a' + i)), 10 + i, 6);
        return directory;
    }
    // Shows the main window as the program does and waits for the first image.
    void start() {
        mainWindow().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&mainWindow()));
        QTRY_VERIFY(!state().currentDirectory.isEmpty());
    }
};

TEST_F(InitialPath, StartsInTheDirectoryOrOnTheFileGiven) {
    struct Case {
        const char* argument;  // relative to the scratch directory, the working directory at start
        bool absolute;
        int selected;
        int width;
    };
    const Case cases[] = {
        {"pictures", true, 0, 10},
        {"pictures/", false, 0, 10},
        {"pictures/b.jpg", true, 1, 11},
        {"pictures/c.jpg", false, 2, 12},  // the last file too, which a click would move past
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.argument);
        bench = std::make_unique<ui::Workbench>(platform);
        platform.clear();
        const QString pictures = makePictures(QStringLiteral("pictures"));
        QDir::setCurrent(scratch.path());
        const QString argument = QString::fromUtf8(c.argument);
        mainWindow().openInitialPath(c.absolute ? scratch.path() + QLatin1Char('/') + argument : argument);
        start();

        EXPECT_EQ(state().currentDirectory, pictures);
        EXPECT_EQ(state().homeDirectory, pictures);
        EXPECT_EQ(QDir::currentPath(), pictures);
        EXPECT_EQ(mainWindow().selectedFileIndex(), c.selected);
        EXPECT_EQ(shownWidth(), c.width);
        EXPECT_TRUE(platform.boxes.empty());
    }
}

TEST_F(InitialPath, APathThatIsNotThereIsSaidOnceAndTheWorkingDirectoryIsShown) {
    const QString working = makePictures(QStringLiteral("working"));
    QDir::setCurrent(working);
    mainWindow().openInitialPath(scratch.path() + QStringLiteral("/gone/b.jpg"));
    start();

    EXPECT_EQ(state().currentDirectory, working);
    EXPECT_EQ(shownWidth(), 10);
    QTest::qWait(50);  // any later start-up step has had its turn
    ASSERT_EQ(platform.texts(Kind::Warning).size(), 1u);
    EXPECT_EQ(platform.boxes.size(), 1u);
    const QString text = platform.texts(Kind::Warning).front();
    EXPECT_TRUE(text.contains(scratch.path() + QStringLiteral("/gone/b.jpg"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QString::fromLocal8Bit(std::strerror(ENOENT)))) << text.toStdString();
}

}  // namespace
}  // namespace keldar::testing
