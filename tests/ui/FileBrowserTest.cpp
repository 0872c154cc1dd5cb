// The file browser: which files and directories it lists, how entering a directory behaves,
// and that only the user's change of the file selection runs the Image action.

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QHelpEvent>
#include <QListView>
#include <QListWidget>
#include <QTest>
#include <QToolTip>

#include "support/UiTestSupport.h"
#include "ui/app/FileBrowser.h"
#include "ui/app/ImageView.h"

namespace keldar::testing {
namespace {

using ui::FileBrowser;

TEST(FileListing, EveryFileButHiddenOnesAndDirectoriesSortedWithoutRegardToCase) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const char* name : {"b.jpg", "A.JPG", "c.LBL", ".hidden.jpg", "a2.bmp", "Zeta.txt", "_under.jpg"})
        writeText(dir.path() + QLatin1Char('/') + QLatin1String(name));
    QDir(dir.path()).mkdir(QStringLiteral("subdirectory.jpg"));
    QDir(dir.path()).mkdir(QStringLiteral(".hiddenDirectory"));
    QDir(dir.path()).mkdir(QStringLiteral("Beta"));
    QDir(dir.path()).mkdir(QStringLiteral("alpha"));
    EXPECT_EQ(ui::listImageDirectoryFiles(dir.path()),
              (QStringList{"_under.jpg", "A.JPG", "a2.bmp", "b.jpg", "c.LBL", "Zeta.txt"}));
    EXPECT_EQ(ui::listSubdirectories(dir.path()), (QStringList{"alpha", "Beta", "subdirectory.jpg"}));
}

TEST(FileListing, VolumesStartWithTheRootAndTheHomeDirectory) {
    const std::vector<ui::Volume> volumes = ui::listVolumes();
    ASSERT_GE(volumes.size(), 2u);
    EXPECT_EQ(volumes[0].rootPath, QStringLiteral("/"));
    EXPECT_EQ(volumes[1].rootPath, QDir::homePath());
}

using Browser = WorkbenchTest;

TEST_F(Browser, EnteringADirectoryMakesItCurrentClearsTheSelectionAndLoadsTheFirstPicture) {
    const QString first = makeDirectory(QStringLiteral("first"));
    writePicture(first + QStringLiteral("/a.jpg"), 10, 8);
    writePicture(first + QStringLiteral("/b.jpg"), 11, 8);
    enter(first);
    EXPECT_EQ(QDir::currentPath(), first);
    EXPECT_EQ(mainWindow().fileBrowser().fileNames(), (QStringList{"a.jpg", "b.jpg"}));
    EXPECT_EQ(mainWindow().selectedFileIndex(), 0);
    EXPECT_EQ(shownWidth(), 10);

    const QString second = makeDirectory(QStringLiteral("second"));
    writePicture(second + QStringLiteral("/c.jpg"), 12, 8);
    writePicture(second + QStringLiteral("/d.jpg"), 13, 8);
    mainWindow().selectFile(1);
    enter(second);
    EXPECT_EQ(QDir::currentPath(), second);
    EXPECT_EQ(mainWindow().selectedFileIndex(), 0);
    EXPECT_EQ(shownWidth(), 12);
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(Browser, EnteringTheDirectoryAlreadyShownChangesNothing) {
    const QString directory = makeDirectory(QStringLiteral("same"));
    writePicture(directory + QStringLiteral("/a.jpg"), 10, 8);
    writePicture(directory + QStringLiteral("/b.jpg"), 11, 8);
    writePicture(directory + QStringLiteral("/c.jpg"), 12, 8);
    enter(directory);
    clickFile(1);
    ASSERT_EQ(shownWidth(), 11);
    enter(directory + QStringLiteral("/."));
    EXPECT_EQ(mainWindow().selectedFileIndex(), 1);
    EXPECT_EQ(shownWidth(), 11);
}

TEST_F(Browser, OnlyTheUsersChangeOfSelectionRunsTheImageAction) {
    const QString directory = makeDirectory(QStringLiteral("pick"));
    for (int i = 0; i < 4; ++i) writePicture(directory + QStringLiteral("/%1.jpg").arg(i), 10 + i, 8);
    enter(directory);
    ASSERT_EQ(shownWidth(), 10);

    mainWindow().selectFile(2);  // by the program: nothing is loaded
    EXPECT_EQ(mainWindow().selectedFileIndex(), 2);
    EXPECT_EQ(shownWidth(), 10);

    clickFile(1);  // by the user
    EXPECT_EQ(shownWidth(), 11);
    EXPECT_EQ(child<QLineEdit>(mainWindow(), QStringLiteral("Edit2")).text(), QStringLiteral("1.jpg"));

    QListView& list = child<QListView>(mainWindow(), QStringLiteral("FileListBox1"));
    list.setFocus();
    QTest::keyClick(&list, Qt::Key_Down);  // the cursor keys step too
    EXPECT_EQ(shownWidth(), 12);
    EXPECT_EQ(mainWindow().selectedFileIndex(), 2);
}

TEST_F(Browser, LongNamesOfOneProductStayApartInTheNarrowListAndTheirTooltipsGiveThemWhole) {
    // As in a fetched directory, a product's label is the last name: the list's rows take
    // their width from the last name.
    const QString directory = makeDirectory(QStringLiteral("fetched"));
    const QString id = QStringLiteral("2N127531276EFF0300P1512L0M1");
    const QStringList names = {id + QStringLiteral("-B30C16M50-01.jpg"), id + QStringLiteral(".JPG"),
                               id + QStringLiteral(".LBL")};
    writePicture(directory + QLatin1Char('/') + names[0], 10, 8);
    writePicture(directory + QLatin1Char('/') + names[1], 11, 8);
    writeText(directory + QLatin1Char('/') + names[2]);
    mainWindow().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&mainWindow()));
    enter(directory);
    QListView& list = child<QListView>(mainWindow(), QStringLiteral("FileListBox1"));
    ASSERT_EQ(list.model()->rowCount(), 3);
    ASSERT_EQ(mainWindow().selectedFileIndex(), 0);

    // The list is narrower than the names (as at 1024 x 768), so each is cut; the .JPG and
    // the .LBL (neither selected) must still not look the same.
    ASSERT_GT(list.fontMetrics().horizontalAdvance(names[1]), list.viewport()->width());
    const QImage rows = list.viewport()->grab().toImage();
    EXPECT_NE(rows.copy(list.visualRect(list.model()->index(1, 0))),
              rows.copy(list.visualRect(list.model()->index(2, 0))));

    for (int row = 0; row < 3; ++row) {
        const QPoint at = list.visualRect(list.model()->index(row, 0)).center();
        QHelpEvent help(QEvent::ToolTip, at, list.viewport()->mapToGlobal(at));
        QApplication::sendEvent(list.viewport(), &help);
        EXPECT_EQ(QToolTip::text(), names[row]);
        QToolTip::hideText();
    }
}

TEST_F(Browser, DirectoryListShowsTheWayDownAndEntersASubdirectoryOnActivation) {
    const QString parent = makeDirectory(QStringLiteral("parent"));
    makeDirectory(QStringLiteral("parent/Sol-0013"));
    makeDirectory(QStringLiteral("parent/.cache"));
    writePicture(parent + QStringLiteral("/Sol-0013/x.jpg"), 17, 8);
    enter(parent);

    QListWidget& directories = child<QListWidget>(mainWindow(), QStringLiteral("DirectoryListBox1"));
    QStringList shown;
    for (int i = 0; i < directories.count(); ++i) shown << directories.item(i)->text().trimmed();
    ASSERT_GE(shown.size(), 3);
    EXPECT_EQ(shown.first(), QStringLiteral("/"));
    EXPECT_EQ(shown.at(shown.size() - 2), QStringLiteral("parent"));
    EXPECT_EQ(shown.last(), QStringLiteral("Sol-0013"));
    EXPECT_EQ(directories.currentItem()->text().trimmed(), QStringLiteral("parent"));

    emit directories.itemActivated(directories.item(directories.count() - 1));
    EXPECT_EQ(state().currentDirectory, parent + QStringLiteral("/Sol-0013"));
    EXPECT_EQ(shownWidth(), 17);

    // One step up the ladder goes back.
    emit directories.itemActivated(directories.item(directories.count() - 2));
    EXPECT_EQ(state().currentDirectory, parent);
}

TEST_F(Browser, VolumeSelectorFollowsTheDirectory) {
    const QString directory = makeDirectory(QStringLiteral("volume"));
    enter(directory);
    const QComboBox& volumes = child<QComboBox>(mainWindow(), QStringLiteral("DriveComboBox1"));
    const QString root = volumes.currentData().toString();
    EXPECT_TRUE(root == QLatin1String("/") || directory.startsWith(root + QLatin1Char('/'))) << root.toStdString();
}

TEST_F(Browser, ADirectoryThatCannotBeEnteredIsReportedAndNothingChanges) {
    const QString directory = makeDirectory(QStringLiteral("here"));
    writePicture(directory + QStringLiteral("/a.jpg"), 10, 8);
    enter(directory);
    platform.clear();
    enter(scratch.path() + QStringLiteral("/not-there"));
    ASSERT_EQ(platform.texts(platform::FakePlatform::BoxKind::Error).size(), 1u);
    EXPECT_TRUE(platform.boxes[0].text.contains(QStringLiteral("not-there")));
    EXPECT_EQ(state().currentDirectory, directory);
    EXPECT_EQ(QDir::currentPath(), directory);
    EXPECT_EQ(shownWidth(), 10);
}

}  // namespace
}  // namespace keldar::testing
