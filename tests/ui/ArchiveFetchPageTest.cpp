// The archive fetch page, driven headless against a local stand-in for the archive: the menu
// opens it with a proposed directory, a fetch runs off the user-interface thread, and the main
// window then shows the first image fetched.

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>

#include "LocalArchive.h"
#include "support/UiTestSupport.h"
#include "ui/app/FileBrowser.h"
#include "ui/app/ImageView.h"
#include "ui/pages/ArchiveFetchUnit33.h"

namespace keldar::testing {
namespace {

class ArchiveFetchPage : public WorkbenchTest {
protected:
    void SetUp() override {
        WorkbenchTest::SetUp();
        if (std::string(PYTHON).empty()) GTEST_SKIP() << "no Python 3 for the local archive server";
    }
};

TEST_F(ArchiveFetchPage, TheFetchPageFetchesOffTheUserInterfaceThreadAndTheMainWindowEntersTheDirectory) {
    const QString home = makeDirectory(QStringLiteral("home"));
    writePicture(home + QStringLiteral("/start.jpg"), 20, 10);
    enter(home);
    archive::LocalArchive server(QFile::encodeName(makeDirectory(QStringLiteral("archive"))).toStdString());
    ASSERT_FALSE(server.base().empty());

    mainWindow().menuItem(QStringLiteral("FetchfromthePDSarchive1"))->trigger();
    ui::TForm33& page = bench->archiveFetchPage();
    ASSERT_TRUE(page.isVisible());
    page.setArchiveBase(QString::fromStdString(server.base()));
    child<QSpinBox>(page, QStringLiteral("SpinEdit1")).setValue(77);
    child<QSpinBox>(page, QStringLiteral("SpinEdit2")).setValue(77);
    const QString target = child<QLineEdit>(page, QStringLiteral("Edit1")).text();
    EXPECT_EQ(target, home + QStringLiteral("/All-MER-Images/Spirit-sol0077"));
    child<QComboBox>(page, QStringLiteral("ComboBox2")).setCurrentIndex(1);  // left eyes

    // While the transfers run, the user-interface thread goes on answering.
    server.faults("{\"latency_ms\": 150}");
    QSignalSpy finished(&page, &ui::TForm33::fetchFinished);
    child<QPushButton>(page, QStringLiteral("Button1")).click();
    EXPECT_TRUE(page.fetching());
    int turns = 0;
    while (finished.isEmpty() && turns < 600) {
        QTest::qWait(25);
        ++turns;
    }
    ASSERT_EQ(finished.count(), 1) << page.statusText().toStdString();
    EXPECT_GT(turns, 4) << "the fetch ran while the event loop turned";
    EXPECT_EQ(page.lastSummary().fetched, 2) << page.statusText().toStdString();
    EXPECT_EQ(page.statusText(), QStringLiteral("2 fetched, 0 skipped, 0 failed, 0 dropped."));
    EXPECT_EQ(state().currentDirectory, target);
    const QString first = QString::fromStdString(archive::idFor('N', 77, 0)) + QStringLiteral(".JPG");
    EXPECT_EQ(mainWindow().fileBrowser().selectedFileName(), first);
    EXPECT_EQ(mainWindow().mainImage().picture().width(), 48);
    // The main window comes to the front with its first picture.
    QTest::qWait(50);
    EXPECT_EQ(QApplication::activeWindow(), &mainWindow());
    EXPECT_TRUE(takeBoxes().empty());
}

TEST_F(ArchiveFetchPage, ACancelledFetchLeavesNoProductUnderItsNameAndTheMainWindowWhereItWas) {
    const QString home = makeDirectory(QStringLiteral("home"));
    writePicture(home + QStringLiteral("/start.jpg"), 20, 10);
    enter(home);
    archive::LocalArchive server(QFile::encodeName(makeDirectory(QStringLiteral("archive"))).toStdString());
    server.faults("{\"latency_ms\": 300}");
    ui::TForm33& page = bench->archiveFetchPage();
    page.openPage();
    page.setArchiveBase(QString::fromStdString(server.base()));
    child<QSpinBox>(page, QStringLiteral("SpinEdit2")).setValue(77);
    child<QSpinBox>(page, QStringLiteral("SpinEdit1")).setValue(77);
    QSignalSpy finished(&page, &ui::TForm33::fetchFinished);
    page.startFetch();
    QTest::qWait(200);
    child<QPushButton>(page, QStringLiteral("Button2")).click();
    ASSERT_TRUE(finished.wait(20000));
    EXPECT_TRUE(page.lastSummary().stopped);
    EXPECT_TRUE(page.statusText().startsWith(QStringLiteral("Cancelled: ")));
    EXPECT_EQ(state().currentDirectory, home);
    const QDir target(child<QLineEdit>(page, QStringLiteral("Edit1")).text());
    for (const QString& name : target.entryList(QDir::Files)) EXPECT_FALSE(name.endsWith(QStringLiteral(".JPG"))) << name.toStdString();
}


// Runs the page's fetch to its end.
bool runToEnd(ui::TForm33& page) {
    QSignalSpy finished(&page, &ui::TForm33::fetchFinished);
    child<QPushButton>(page, QStringLiteral("Button1")).click();
    return finished.wait(60000);
}

TEST_F(ArchiveFetchPage, ManyFailuresKeepThePageOnTheScreenAndNothingFetchedIsNotEntered) {
    const QString home = makeDirectory(QStringLiteral("home"));
    writePicture(home + QStringLiteral("/start.jpg"), 20, 10);
    enter(home);
    archive::LocalArchive server(QFile::encodeName(makeDirectory(QStringLiteral("archive"))).toStdString());
    ui::TForm33& page = bench->archiveFetchPage();
    page.openPage();
    page.setArchiveBase(QString::fromStdString(server.base()));
    const QSize before = page.frameGeometry().size();
    // Sols 151 to 299 are listed, but the archive has no browse file of them: 596 failures.
    child<QSpinBox>(page, QStringLiteral("SpinEdit1")).setValue(151);
    child<QSpinBox>(page, QStringLiteral("SpinEdit2")).setValue(299);
    const QString target = child<QLineEdit>(page, QStringLiteral("Edit1")).text();
    ASSERT_TRUE(runToEnd(page));
    EXPECT_EQ(page.lastSummary().failed, 596);
    EXPECT_EQ(page.statusText(), QStringLiteral("0 fetched, 0 skipped, 596 failed, 0 dropped."));
    const QStringList lines = page.reportLines();
    ASSERT_EQ(lines.size(), ui::TForm33::kMostReportLines + 1);
    EXPECT_EQ(lines.last(), QStringLiteral("and 296 more"));
    EXPECT_TRUE(lines.first().endsWith(QStringLiteral("not found (HTTP 404) (after 1 tries)")) ||
                lines.first().endsWith(QStringLiteral("not found (HTTP 404)")))
        << lines.first().toStdString();
    const QRect screen = page.screen()->availableGeometry();
    QApplication::processEvents();
    EXPECT_TRUE(screen.contains(page.frameGeometry())) << page.frameGeometry().height() << " in " << screen.height();
    EXPECT_LE(page.frameGeometry().height(), before.height() + child<QListWidget>(page, QStringLiteral("ListBox1")).height() + 8);
    // Nothing came: the directory made for it is gone and the main window stays where it was.
    EXPECT_FALSE(QFileInfo::exists(target));
    EXPECT_EQ(state().currentDirectory, home);
    // Escape closes the page.
    QTest::keyClick(&page, Qt::Key_Escape);
    EXPECT_FALSE(page.isVisible());
}

TEST_F(ArchiveFetchPage, AnEmptySolOrAnArchiveOutOfReachIsSaidInWords) {
    const QString home = makeDirectory(QStringLiteral("home"));
    writePicture(home + QStringLiteral("/start.jpg"), 20, 10);
    enter(home);
    archive::LocalArchive server(QFile::encodeName(makeDirectory(QStringLiteral("archive"))).toStdString());
    ui::TForm33& page = bench->archiveFetchPage();
    page.openPage();
    page.setArchiveBase(QString::fromStdString(server.base()));
    child<QSpinBox>(page, QStringLiteral("SpinEdit1")).setValue(150);
    const QString target = child<QLineEdit>(page, QStringLiteral("Edit1")).text();
    EXPECT_TRUE(target.endsWith(QStringLiteral("Spirit-sol0150"))) << target.toStdString();
    ASSERT_TRUE(runToEnd(page));
    EXPECT_EQ(page.statusText(), QStringLiteral("The archive lists no NAVCAM products of Spirit for sol 150."));
    EXPECT_FALSE(QFileInfo::exists(target));
    EXPECT_EQ(state().currentDirectory, home);

    // Nothing listens at this address.
    page.setArchiveBase(QStringLiteral("http://127.0.0.1:1/"));
    ASSERT_TRUE(runToEnd(page));
    EXPECT_EQ(page.lastSummary().failed, 0);
    EXPECT_TRUE(page.statusText().startsWith(QStringLiteral("Nothing was fetched. The archive cannot be reached: ")))
        << page.statusText().toStdString();
    EXPECT_TRUE(page.statusText().contains(QStringLiteral("Connection refused"))) << page.statusText().toStdString();
    EXPECT_TRUE(takeBoxes().empty());
}

TEST_F(ArchiveFetchPage, TheAddressIsCheckedAndTheSolsKeepTheirOrder) {
    ui::TForm33& page = bench->archiveFetchPage();
    page.openPage();
    EXPECT_EQ(child<QLineEdit>(page, QStringLiteral("Edit2")).text(), QStringLiteral("https://planetarydata.jpl.nasa.gov/img/data/mer/"));
    for (const QString& bad : {QStringLiteral("ftp://example.org/mer/"), QStringLiteral("planetarydata"), QStringLiteral("http://")}) {
        page.setArchiveBase(bad);
        child<QPushButton>(page, QStringLiteral("Button1")).click();
        EXPECT_FALSE(page.fetching()) << bad.toStdString();
        const std::vector<QString> boxes = takeBoxes();
        ASSERT_EQ(boxes.size(), 1u) << bad.toStdString();
        EXPECT_TRUE(boxes[0].contains(QStringLiteral("The archive address must be an http:// or https:// address.")))
            << boxes[0].toStdString();
    }
    QSpinBox& first = child<QSpinBox>(page, QStringLiteral("SpinEdit1"));
    QSpinBox& last = child<QSpinBox>(page, QStringLiteral("SpinEdit2"));
    first.setValue(100);
    EXPECT_EQ(last.value(), 100);
    EXPECT_TRUE(child<QLineEdit>(page, QStringLiteral("Edit1")).text().endsWith(QStringLiteral("Spirit-sol0100")));
    last.setValue(120);
    last.setValue(90);
    EXPECT_EQ(first.value(), 90);
    EXPECT_EQ(last.value(), 90);
}

}  // namespace
}  // namespace keldar::testing
