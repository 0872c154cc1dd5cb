// Directories a hostile or careless world leaves behind, walked through the real main window:
// broken pictures among good ones, files and directories that vanish, odd names.

#include <cstdio>

#include <unistd.h>

#include <QDir>
#include <QFile>

#include "platform/FileNames.h"
#include "support/UiTestSupport.h"
#include "ui/app/FileBrowser.h"

namespace keldar::testing {
namespace {

using Kind = platform::FakePlatform::BoxKind;

class HostileDirectory : public WorkbenchTest {
protected:
    QString names(int index) const { return mainWindow().fileBrowser().fileNames().at(index); }
};

TEST_F(HostileDirectory, BrokenPicturesAmongGoodOnesAreSkippedQuietly) {
    const QString dir = makeDirectory(QStringLiteral("broken"));
    writePicture(dir + QStringLiteral("/a.jpg"), 10, 6);
    writeText(dir + QStringLiteral("/b.jpg"), QByteArray());                      // 0 bytes
    QFile good(writePicture(dir + QStringLiteral("/c.jpg"), 30, 20));
    ASSERT_TRUE(good.open(QIODevice::ReadOnly));
    writeText(dir + QStringLiteral("/c1.jpg"), good.read(good.size() / 3));       // truncated
    // A BMP header claiming 16384 x 16384 pixels in a few bytes.
    QByteArray huge("BM");
    huge.append(QByteArray(52, '\0'));
    huge[10] = 54;
    huge[14] = 40;
    huge[18] = 0x00, huge[19] = 0x40;  // width 16384
    huge[22] = 0x00, huge[23] = 0x40;  // height 16384
    huge[26] = 1, huge[28] = 24;
    writeText(dir + QStringLiteral("/d.bmp"), huge);
    writePicture(dir + QStringLiteral("/e.jpg"), 14, 6);
    enter(dir);
    clickFile(0);
    std::vector<int> shown;
    for (int step = 0; step < 3; ++step) {
        mainWindow().selectFile(mainWindow().selectedFileIndex() + 1);
        mainWindow().runGuarded([this] { mainWindow().runImageAction(); });
        shown.push_back(shownWidth());
    }
    // b skipped to c; the truncated c1 and the huge d skipped to e; past the end to a.
    EXPECT_EQ(shown, (std::vector<int>{30, 14, 10}));
    EXPECT_TRUE(platform.boxes.empty()) << platform.allTexts().front().toStdString();
}

TEST_F(HostileDirectory, VanishedFilesAndDirectoriesAreReportedAndTheWindowStays) {
    const QString dir = makeDirectory(QStringLiteral("vanishing"));
    writePicture(dir + QStringLiteral("/a.jpg"), 10, 6);
    writePicture(dir + QStringLiteral("/b.jpg"), 11, 6);
    writePicture(dir + QStringLiteral("/c.jpg"), 12, 6);
    enter(dir);
    ASSERT_EQ(shownWidth(), 10);
    QFile::remove(dir + QStringLiteral("/b.jpg"));  // deleted between listing and loading
    clickFile(1);
    ASSERT_EQ(platform.texts(Kind::Error).size(), 1u);
    EXPECT_TRUE(platform.texts(Kind::Error)[0].contains(QStringLiteral("b.jpg")));
    EXPECT_EQ(shownWidth(), 10);

    ASSERT_TRUE(QDir(dir).removeRecursively());  // the shown directory itself goes
    clickFile(2);
    EXPECT_EQ(platform.texts(Kind::Error).size(), 2u);
    EXPECT_EQ(shownWidth(), 10);
    enter(dir);  // entering it again says it is gone and leaves the browser where it was
    EXPECT_EQ(platform.texts(Kind::Error).size(), 3u);
    EXPECT_EQ(mainWindow().fileBrowser().directory(), dir);
}

TEST_F(HostileDirectory, ADirectoryWithoutReadPermissionIsRefusedAndTheBrowserStays) {
    if (::geteuid() == 0) GTEST_SKIP() << "root may read every directory; run as a user to check this";
    const QString good = makeDirectory(QStringLiteral("readable"));
    writePicture(good + QStringLiteral("/a.jpg"), 10, 6);
    const QString locked = makeDirectory(QStringLiteral("locked"));
    writePicture(locked + QStringLiteral("/b.jpg"), 11, 6);
    enter(good);
    ASSERT_TRUE(QFile::setPermissions(locked, QFileDevice::WriteOwner));
    enter(locked);
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(platform.texts(Kind::Error).size(), 1u);
    EXPECT_EQ(mainWindow().fileBrowser().directory(), good);
    EXPECT_EQ(shownWidth(), 10);
}

TEST_F(HostileDirectory, OddNamesAreListedLoadedAndDecoded) {
    const QString dir = makeDirectory(QStringLiteral("odd names"));
    const QStringList odd = {QStringLiteral("-2N127531276EFF0300P1512L0M1.JPG"),
                             QStringLiteral("2N127531276EFF0300P1512L0M1 copy.JPG"),
                             QStringLiteral("2N127531276EFF0300P1512L0M1 \"quoted\" 'x'.JPG")};
    for (int i = 0; i < odd.size(); ++i) writePicture(dir + QLatin1Char('/') + odd[i], 20 + i, 6);
    enter(dir);
    ASSERT_EQ(mainWindow().fileBrowser().fileCount(), 3);
    for (int i = 0; i < 3; ++i) {
        clickFile(i);
        const int shown = mainWindow().selectedFileIndex();
        EXPECT_EQ(shownWidth(), 20 + odd.indexOf(names(shown))) << names(shown).toStdString();
        EXPECT_EQ(display(QStringLiteral("identifierText")), names(shown).left(27));
    }
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(HostileDirectory, ANameThatIsNotUtf8IsListedShownLoadedAndDecodedByItsBytes) {
    const QString dir = makeDirectory(QStringLiteral("bytes"));
    writePicture(dir + QStringLiteral("/1N128459614EFF0100P1507L0M1.JPG"), 10, 6);
    // The picture is written under a plain name, then given a name with the byte 0xFF.
    const QByteArray raw = QFile::encodeName(dir) + "/2N127531276EFF0300P1512L0M1\xff.JPG";
    writePicture(dir + QStringLiteral("/plain.JPG"), 33, 6);
    ASSERT_EQ(::rename(QFile::encodeName(dir + QStringLiteral("/plain.JPG")).constData(), raw.constData()), 0);
    enter(dir);
    ASSERT_EQ(mainWindow().fileBrowser().fileCount(), 2);
    EXPECT_EQ(platform::fileNameToBytes(names(1)), QByteArray("2N127531276EFF0300P1512L0M1\xff.JPG"));
    clickFile(1);
    mainWindow().menuItem(QStringLiteral("CheckLoopSlideshow1"))->trigger();
    clickFile(0);
    clickFile(1);
    EXPECT_EQ(shownWidth(), 33);
    EXPECT_EQ(child<QLineEdit>(mainWindow(), QStringLiteral("Edit2")).text(),
              QStringLiteral("2N127531276EFF0300P1512L0M1\uFFFD.JPG"));
    EXPECT_EQ(display(QStringLiteral("identifierText")), QStringLiteral("2N127531276EFF0300P1512L0M1"));
    EXPECT_EQ(platform.texts(Kind::Error).size(), 0u);
}

TEST(FileNames, EveryByteSequenceRoundTrips) {
    const QByteArray cases[] = {"plain.jpg", "caf\xc3\xa9.jpg", "\xff\xfe", "a\xc3(b", "\xed\xa0\x80",
                                "\xf0\x9f\x98\x80 smile", "\xe2\x82", ""};
    for (const QByteArray& bytes : cases) {
        const QString name = platform::fileNameFromBytes(bytes);
        EXPECT_EQ(platform::fileNameToBytes(name), bytes) << bytes.toHex().toStdString();
        EXPECT_FALSE(platform::displayFileName(name).contains(QChar(0xDCFF)));
    }
    EXPECT_EQ(platform::displayFileName(platform::fileNameFromBytes("a\xff" "b")), QStringLiteral("a\uFFFDb"));
    EXPECT_EQ(platform::fileNameFromBytes("caf\xc3\xa9"), QStringLiteral("caf\u00e9"));
}

}  // namespace
}  // namespace keldar::testing
