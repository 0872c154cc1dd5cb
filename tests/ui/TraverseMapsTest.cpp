// The traverse map pages: the chooser, the map lists read once by the startup tick, the
// arrows, the "Print" buttons, and map directories that are missing, empty or hold no picture.

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMetaObject>
#include <QTest>
#include <QTimer>

#include "support/UiTestSupport.h"
#include "ui/app/ImageView.h"
#include "ui/pages/OpportunityMapsUnit8.h"
#include "ui/pages/SpiritMapsUnit9.h"
#include "ui/pages/TraverseMapsUnit6.h"

namespace keldar::testing {
namespace {

using Kind = platform::FakePlatform::BoxKind;

// A start directory with three Opportunity maps, 31 to 33 pixels wide; Spirit's directory is
// made by the tests that need it.
class TraverseMaps : public WorkbenchTest {
protected:
    void SetUp() override {
        WorkbenchTest::SetUp();
        home = makeDirectory(QStringLiteral("home"));
        writePicture(home + QStringLiteral("/start.jpg"), 20, 10);
        opportunityMaps = makeDirectory(QStringLiteral("home/Traverse-Maps/Opportunity"));
        for (int i = 1; i <= 3; ++i)
            writePicture(opportunityMaps + QStringLiteral("/map%1.jpg").arg(i, 2, 10, QLatin1Char('0')), 30 + i, 20);
        enter(home);
        takeBoxes();
    }

    void startupTick() {
        ASSERT_TRUE(QMetaObject::invokeMethod(&child<QTimer>(mainWindow(), QStringLiteral("Timer1")), "timeout"));
    }
    static void press(ui::TraverseMapViewer& page, const char* button) {
        child<QPushButton>(page, QString::fromLatin1(button)).click();
    }
    static int shownMapWidth(const ui::TraverseMapViewer& page) { return page.mapView().picture().width(); }

    QString home;
    QString opportunityMaps;
};

TEST_F(TraverseMaps, ArrowsStepThroughTheMapsReadAtTheStartupTick) {
    ui::TForm8& page = bench->opportunityMapsPage();
    EXPECT_EQ(page.mapView().picture().width(), 513) << "the drawn map shows until the first press";
    startupTick();
    ASSERT_EQ(page.mapNames(), (QStringList{"map01.jpg", "map02.jpg", "map03.jpg"}));
    EXPECT_EQ(page.mapView().picture().width(), 513);
    // Maps added later are not seen during the run.
    writePicture(opportunityMaps + QStringLiteral("/map04.jpg"), 34, 20);
    startupTick();

    const std::pair<const char*, int> presses[] = {
        {"Button3", 31}, {"Button3", 32}, {"Button3", 33}, {"Button3", 33},
        {"Button2", 32}, {"Button2", 31}, {"Button2", 31},
    };
    int step = 0;
    for (const auto& [button, width] : presses) {
        press(page, button);
        EXPECT_EQ(shownMapWidth(page), width) << "press " << step;
        const QString name = QStringLiteral("/map%1.jpg").arg(width - 30, 2, 10, QLatin1Char('0'));
        EXPECT_EQ(page.currentMapPath(), opportunityMaps + name);
        ++step;
    }
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(TraverseMaps, BackArrowPressedFirstShowsTheFirstMap) {
    const QString spiritMaps = makeDirectory(QStringLiteral("home/Traverse-Maps/Spirit"));
    writePicture(spiritMaps + QStringLiteral("/b.jpg"), 41, 20);
    writePicture(spiritMaps + QStringLiteral("/a.jpg"), 40, 20);
    startupTick();
    ui::TForm9& page = bench->spiritMapsPage();
    EXPECT_EQ(page.mapView().picture().width(), 713);
    press(page, "Button2");
    EXPECT_EQ(shownMapWidth(page), 40);
    EXPECT_EQ(page.selectedIndex(), 0);
}

TEST_F(TraverseMaps, AMissingOrEmptyMapDirectoryIsReportedAndTheMapStays) {
    startupTick();
    ui::TForm8& opportunity = bench->opportunityMapsPage();
    press(opportunity, "Button3");
    ASSERT_EQ(shownMapWidth(opportunity), 31);
    // The directory loses its maps and the page is pointed at it again.
    for (const QString& name : QDir(opportunityMaps).entryList(QDir::Files)) QFile::remove(opportunityMaps + '/' + name);
    opportunity.setMapDirectory(opportunityMaps);
    const QString spiritMaps = home + QStringLiteral("/Traverse-Maps/Spirit");
    const struct {
        ui::TraverseMapViewer* page;
        QString message;
        int width;  // of the map the page keeps
    } cases[] = {
        {&bench->spiritMapsPage(), QStringLiteral("The map directory \"%1\" does not exist.").arg(spiritMaps), 713},
        {&opportunity, QStringLiteral("The map directory \"%1\" holds no maps.").arg(opportunityMaps), 31},
    };
    for (const auto& c : cases) {
        for (const char* button : {"Button3", "Button2"}) {
            press(*c.page, button);
            const std::vector<QString> errors = platform.texts(Kind::Error);
            ASSERT_EQ(errors.size(), 1u) << button;
            EXPECT_TRUE(errors[0].startsWith(c.message)) << errors[0].toStdString();
            EXPECT_EQ(shownMapWidth(*c.page), c.width) << button;
            platform.boxes.clear();
        }
    }
    EXPECT_TRUE(mainWindow().isVisible());
}

TEST_F(TraverseMaps, AFileThatIsNoPictureIsReportedAndThePreviousMapStays) {
    writeText(opportunityMaps + QStringLiteral("/map02.jpg"));
    startupTick();
    ui::TForm8& page = bench->opportunityMapsPage();
    press(page, "Button3");
    press(page, "Button3");
    ASSERT_EQ(platform.texts(Kind::Error).size(), 1u);
    EXPECT_TRUE(platform.texts(Kind::Error)[0].contains(QStringLiteral("map02.jpg")));
    EXPECT_EQ(shownMapWidth(page), 31);
    press(page, "Button3");
    EXPECT_EQ(shownMapWidth(page), 33);
}

TEST_F(TraverseMaps, TheChooserOpensEachRoversPageAndThePrintButtonsDoNothing) {
    mainWindow().menuItem(QStringLiteral("TraverseMaps1"))->trigger();
    ui::TForm6& chooser = bench->traverseMapsPage();
    ASSERT_TRUE(chooser.isVisible());
    const std::pair<const char*, ui::TraverseMapViewer*> names[] = {
        {"Label3", &bench->opportunityMapsPage()}, {"Label4", &bench->spiritMapsPage()}};
    for (const auto& [label, page] : names) {
        QTest::mouseClick(&child<QLabel>(chooser, QString::fromLatin1(label)), Qt::LeftButton);
        EXPECT_TRUE(page->isVisible()) << label;
        press(*page, "Button4");
        press(*page, "Button1");
        EXPECT_FALSE(page->isVisible()) << label;
    }
    EXPECT_FALSE(child<QPushButton>(bench->opportunityMapsPage(), QStringLiteral("Button4")).isEnabled());
    EXPECT_TRUE(child<QPushButton>(bench->spiritMapsPage(), QStringLiteral("Button4")).isEnabled());
    EXPECT_EQ(platform.printDialogs, 0);
    EXPECT_TRUE(platform.boxes.empty());
    child<QPushButton>(chooser, QStringLiteral("Button1")).click();
    EXPECT_FALSE(chooser.isVisible());
}

}  // namespace
}  // namespace keldar::testing
