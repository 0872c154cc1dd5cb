// The archive fetch page, driven headless against a local stand-in for the archive: the menu
// opens it with a proposed directory, a fetch runs off the user-interface thread, and the main
// window then shows the first image fetched.

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
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
    EXPECT_EQ(page.statusText(), QStringLiteral("2 fetched, 0 skipped, 0 failed."));
    EXPECT_EQ(state().currentDirectory, target);
    const QString first = QString::fromStdString(archive::idFor('N', 77, 0)) + QStringLiteral(".JPG");
    EXPECT_EQ(mainWindow().fileBrowser().selectedFileName(), first);
    EXPECT_EQ(mainWindow().mainImage().picture().width(), 48);
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

}  // namespace
}  // namespace keldar::testing
