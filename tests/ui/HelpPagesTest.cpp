// The help pages: the help menu's buttons, the menu-selection page's blue words (some of
// which open another page than the menu item of the same name), and the way back.

#include <map>
#include <set>

#include <QAction>
#include <QGridLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTest>

#include "support/UiTestSupport.h"
#include "ui/pages/HelpControls.h"
#include "ui/pages/ColourHelpUnit26.h"
#include "ui/pages/HelpMenuUnit12.h"
#include "ui/pages/MenuHelpUnit25.h"

namespace keldar::testing {
namespace {

class HelpPages : public WorkbenchTest {
protected:
    QWidget& window(const QString& name) const {
        for (QWidget* window : bench->windows())
            if (window->objectName() == name) return *window;
        throw std::runtime_error("no window " + name.toStdString());
    }
    void hideAll() const {
        for (QWidget* window : bench->windows()) window->hide();
    }
    std::set<QString> visibleWindows() const {
        std::set<QString> names;
        for (QWidget* window : bench->windows())
            if (window->isVisible()) names.insert(window->objectName());
        return names;
    }
    QAction& menuItem(const char* name) const {
        QAction* item = mainWindow().menuItem(QString::fromLatin1(name));
        if (item == nullptr) throw std::runtime_error(std::string("no menu item ") + name);
        return *item;
    }
    void click(const QString& window, const char* button) const {
        child<QPushButton>(this->window(window), QString::fromLatin1(button)).click();
    }
};

TEST_F(HelpPages, TheHelpMenuOpensEachHelpPageAndCloses) {
    const std::pair<const char*, const char*> buttons[] = {
        {"Button1", "TForm28"}, {"Button2", "TForm25"}, {"Button3", "TForm26"},
        {"Button4", "TForm27"}, {"Button5", "TForm18"},
    };
    bench->helpMenuPage().showPage();
    for (const auto& [button, page] : buttons) {
        click(QStringLiteral("TForm12"), button);
        EXPECT_TRUE(window(QString::fromLatin1(page)).isVisible()) << button;
    }
    EXPECT_EQ(child<QPushButton>(bench->helpMenuPage(), QStringLiteral("Button5")).text(),
              QStringLiteral("Usage && Filename conventions."));
    click(QStringLiteral("TForm12"), "Button6");
    EXPECT_FALSE(bench->helpMenuPage().isVisible());
}

TEST_F(HelpPages, MenuItemsAndTheHiddenButtonOpenTheHelpMenu) {
    for (const char* item : {"TheHelpMenu1", "Help1"}) {
        hideAll();
        menuItem(item).trigger();
        EXPECT_EQ(visibleWindows(), std::set<QString>{QStringLiteral("TForm12")}) << item;
    }
    hideAll();
    child<QPushButton>(mainWindow(), QStringLiteral("Button16")).click();
    EXPECT_EQ(visibleWindows(), std::set<QString>{QStringLiteral("TForm12")});
}

TEST_F(HelpPages, EveryBlueWordOfTheMenuPagePerformsItsOwnTarget) {
    struct Case {
        const char* words;
        std::set<QString> opens;  // the windows that become visible
        const char* menuItem;     // the main menu item performed, if the words act as one
    };
    // "Fullsize Image" and "Large Size Image" open each other's page; "Show Stereo Image Pair"
    // and "Anaglyph Stereo Page" open another page than their menu items do.
    const std::vector<Case> cases = {
        {"Fullsize Image", {"TForm7"}, nullptr},
        {"Large Size Image", {"TForm17"}, nullptr},
        {"Manual Stereo Image Selection", {"TForm11"}, nullptr},
        {"Show Stereo Image Pair", {"TForm13"}, nullptr},
        {"Slideshow Start / Stop", {"TForm7"}, "SlideshowStartStop1"},
        {"Sunset Sim fade", {"TForm21"}, nullptr},
        {"Traverse Maps", {"TForm6"}, nullptr},
        {"My Birthday Searcher", {"TForm14"}, "MyBirthdaySearcher1"},
        {"SOL Searcher", {"TForm23"}, "SOLsearcher1"},
        {"Anaglyph Stereo Page", {"TForm2"}, nullptr},
        {"Colour Production Page", {"TForm20"}, nullptr},
        {"Application Priority", {}, nullptr},
        {"Slideshow Delay", {"TForm16"}, "SlideshowDelay1"},
        {"Auto L4L5L6 RGB Colour,", {"TForm26"}, nullptr},
        {"Earth Variables Display,", {}, "EarthVariablesDisplay1"},
        {"Martian Calendar,", {"TForm5"}, nullptr},
        {"Martian Variables Display,", {"TForm13"}, nullptr},
        {"MER Data Decoding,", {"TForm10"}, nullptr},
        {"Martian Web Links,", {"TForm4"}, nullptr},
        {"The Help Menu,", {"TForm12"}, nullptr},
        {"Your Screen Resolution.", {}, "YourScreenResolution1"},
        {"Remember", {"TForm15"}, "Thosethatwentbeforeus1"},
        {"Help", {"TForm12"}, nullptr},
    };
    ui::TForm25& page = bench->menuHelpPage();
    std::map<QString, ui::HelpLink*> clickable;
    for (ui::HelpLink* label : page.findChildren<ui::HelpLink*>())
        if (label->isClickable()) clickable[label->text()] = label;
    ASSERT_EQ(clickable.size(), cases.size());

    for (const Case& c : cases) {
        const QString words = QString::fromLatin1(c.words);
        ASSERT_TRUE(clickable.count(words)) << c.words;
        hideAll();
        page.showPage();
        takeBoxes();
        std::unique_ptr<QSignalSpy> performed;
        if (c.menuItem != nullptr) performed = std::make_unique<QSignalSpy>(&menuItem(c.menuItem), &QAction::triggered);
        QTest::mouseClick(clickable[words], Qt::LeftButton);

        std::set<QString> opened = visibleWindows();
        opened.erase(QStringLiteral("TForm25"));
        // The Earth variables page is wired to its menu item elsewhere: the item performed is what counts.
        if (words != QLatin1String("Earth Variables Display,")) {
            EXPECT_EQ(opened, c.opens) << c.words;
        }
        if (performed) {
            EXPECT_EQ(performed->count(), 1) << c.words;
        }
        const std::vector<QString> boxes = takeBoxes();
        if (words == QLatin1String("Your Screen Resolution.")) {
            ASSERT_EQ(boxes.size(), 1U);
            EXPECT_TRUE(boxes[0].startsWith(QStringLiteral("Screen Resolution "))) << boxes[0].toStdString();
        } else {
            EXPECT_TRUE(boxes.empty()) << c.words;
        }
    }
    EXPECT_TRUE(state().options.slideshowRunning);
}

TEST_F(HelpPages, TheMenuPageCountsAndDescribesEveryItemOfTheRealMenus) {
    // Each heading row says how many items its menu shows; the rows under it describe them.
    const auto* grid = qobject_cast<QGridLayout*>(
        child<QScrollArea>(bench->menuHelpPage(), QStringLiteral("ScrollBox1")).widget()->layout());
    ASSERT_NE(grid, nullptr);
    std::map<QString, QString> countLines;
    std::map<QString, int> describedRows;
    QString heading;
    for (int row = 0; row < grid->rowCount(); ++row) {
        const QLayoutItem* words = grid->itemAtPosition(row, 0);
        const QLayoutItem* second = grid->itemAtPosition(row, 1);
        if (words == nullptr || second == nullptr) continue;
        const QString left = qobject_cast<QLabel*>(words->widget())->text();
        const QString right = qobject_cast<QLabel*>(second->widget())->text();
        if (right.startsWith(QStringLiteral("The ") + left + QStringLiteral(" menu has "))) {
            heading = left;
            countLines[heading] = right;
        } else {
            EXPECT_FALSE(right.isEmpty()) << left.toStdString();
            ++describedRows[heading];
        }
    }
    std::map<QString, QString> expected;
    for (const QAction* menu : mainWindow().menuBar()->actions()) {
        int shown = 0;
        for (const QAction* item : menu->menu()->actions()) shown += item->isVisible() ? 1 : 0;
        expected[menu->text()] = QStringLiteral("The %1 menu has %2 %3.")
                                     .arg(menu->text())
                                     .arg(shown)
                                     .arg(shown == 1 ? QStringLiteral("item") : QStringLiteral("items"));
        EXPECT_EQ(describedRows[menu->text()], shown) << menu->text().toStdString();
    }
    EXPECT_EQ(countLines, expected);
    EXPECT_EQ(countLines[QStringLiteral("View")], QStringLiteral("The View menu has 8 items."));
    EXPECT_EQ(countLines[QStringLiteral("Options")], QStringLiteral("The Options menu has 10 items."));
}

TEST_F(HelpPages, TheWayBackToTheHelpMenu) {
    struct Case {
        const char* page;
        const char* button;
        bool staysOpen;
    };
    const Case cases[] = {
        {"TForm28", "Button2", false},
        {"TForm25", "Button2", false},
        {"TForm26", "Button1", true},
        {"TForm27", "Button1", false},
    };
    for (const Case& c : cases) {
        hideAll();
        QWidget& page = window(QString::fromLatin1(c.page));
        page.show();
        click(page.objectName(), c.button);
        EXPECT_TRUE(bench->helpMenuPage().isVisible()) << c.page;
        EXPECT_EQ(page.isVisible(), c.staysOpen) << c.page;
    }
}

TEST_F(HelpPages, QuickStartQuestionMarkPressesTheMainWindowsButton) {
    QSignalSpy pressed(&child<QPushButton>(mainWindow(), QStringLiteral("Button7")), &QPushButton::clicked);
    click(QStringLiteral("TForm28"), "Button1");
    EXPECT_EQ(pressed.count(), 1);
}

TEST_F(HelpPages, ColourHelpBlueWordsOpenTheDataDecodingPage) {
    hideAll();
    QTest::mouseClick(&child<ui::HelpLink>(bench->colourHelpPage(), QStringLiteral("Label1")), Qt::LeftButton);
    EXPECT_EQ(visibleWindows(), std::set<QString>{QStringLiteral("TForm10")});
}

}  // namespace
}  // namespace keldar::testing
