// The directories page: its value lines follow the main window, its buttons move the main
// window's directory browser, and a directory that is not there leaves the browser alone.

#include "support/UiTestSupport.h"
#include "ui/app/FileBrowser.h"
#include "ui/pages/DirectoriesUnit22.h"

namespace keldar::testing {
namespace {

using Kind = platform::FakePlatform::BoxKind;

// A home directory and the category directories under it, each holding a picture.
class DirectoriesPage : public WorkbenchTest {
protected:
    void SetUp() override {
        WorkbenchTest::SetUp();
        home = makeDirectory(QStringLiteral("Mars"));
        writePicture(home + QStringLiteral("/home.jpg"), 20, 10);
        for (const char* sub : {"All-MER-Images", "ImageCategories/Anaglyphs", "ImageCategories/Colour/456_RGB",
                                "ImageCategories/Colour"})
            writePicture(makeDirectory(QStringLiteral("Mars/") + QLatin1String(sub)) + QStringLiteral("/p.jpg"), 8, 8);
        enter(home);
        ASSERT_EQ(state().homeDirectory, home);
        page().showPage();
        takeBoxes();
    }

    ui::TForm22& page() const { return bench->directoriesPage(); }
    void click(const char* name) { child<QPushButton>(page(), QString::fromLatin1(name)).click(); }
    QString browserDirectory() const { return mainWindow().fileBrowser().directory(); }

    QString home;
};

TEST_F(DirectoriesPage, ValueLinesShowTheMainWindowsDirectories) {
    const std::pair<const char*, QString> lines[] = {
        {"Label1", home},
        {"Label2", home},
        {"Label3", home + QStringLiteral("/All-MER-Images/")},
        {"Label4", home + QStringLiteral("/ImageCategories/Anaglyphs/")},
        {"Label5", home + QStringLiteral("/ImageCategories/Colour/456_RGB/")},
        {"Label6", home + QStringLiteral("/ImageCategories/Colour/")},
        {"Label7", QStringLiteral("This selection is empty at the moment.")},
    };
    for (const auto& [name, text] : lines) EXPECT_EQ(labelText(page(), QString::fromLatin1(name)), text) << name;
}

TEST_F(DirectoriesPage, EachJumpButtonMovesTheBrowserAndClosesThePage) {
    const std::pair<const char*, const char*> jumps[] = {
        {"Button6", "/All-MER-Images"},
        {"Button7", "/ImageCategories/Colour/456_RGB"},
        {"Button4", "/ImageCategories/Anaglyphs"},
        {"Button5", "/ImageCategories/Colour"},
        {"Button3", ""},
    };
    for (const auto& [button, sub] : jumps) {
        page().showPage();
        click(button);
        EXPECT_EQ(browserDirectory(), home + QString::fromLatin1(sub)) << button;
        EXPECT_FALSE(page().isVisible()) << button;
        // The home directory stays the first one seen, so every jump starts from it.
        EXPECT_EQ(state().homeDirectory, home);
    }
    EXPECT_EQ(labelText(page(), QStringLiteral("Label1")), home);
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(DirectoriesPage, JumpBeforeAnyBrowseOnlyClosesThePage) {
    click("Button2");
    EXPECT_FALSE(page().isVisible());
    EXPECT_EQ(browserDirectory(), home);
    EXPECT_EQ(platform.openDialogs, 0);
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(DirectoriesPage, BrowseRemembersAFilesDirectoryForJump) {
    const QString downloads = makeDirectory(QStringLiteral("Downloads"));
    const QString file = writePicture(downloads + QStringLiteral("/1N128288450EFF0332P1974L0M1.JPG"), 16, 12);
    platform.openFileAnswers.push_back(file);
    click("Button8");
    EXPECT_EQ(labelText(page(), QStringLiteral("Label7")), file);
    // Cancelling a second browse keeps the first choice; a file that is no picture is refused.
    click("Button8");
    platform.openFileAnswers.push_back(writeText(downloads + QStringLiteral("/notes.jpg")));
    click("Button8");
    EXPECT_EQ(platform.texts(Kind::Error).size(), 1u);
    EXPECT_EQ(page().jumpTarget(), file);
    EXPECT_EQ(labelText(page(), QStringLiteral("Label7")), file);

    click("Button2");
    EXPECT_EQ(browserDirectory(), downloads);
    EXPECT_FALSE(page().isVisible());
}

TEST_F(DirectoriesPage, AMissingDirectoryIsReportedAndTheBrowserStays) {
    ASSERT_TRUE(QDir(home + QStringLiteral("/All-MER-Images")).removeRecursively());
    click("Button6");
    const std::vector<QString> warnings = platform.texts(Kind::Warning);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_TRUE(warnings[0].contains(home + QStringLiteral("/All-MER-Images/"))) << warnings[0].toStdString();
    EXPECT_TRUE(warnings[0].contains(QStringLiteral("does not exist")));
    EXPECT_EQ(browserDirectory(), home);
    EXPECT_TRUE(page().isVisible());

    // The same for a remembered file whose directory went away.
    const QString gone = makeDirectory(QStringLiteral("gone"));
    platform.openFileAnswers.push_back(writePicture(gone + QStringLiteral("/a.bmp"), 4, 4));
    click("Button8");
    ASSERT_TRUE(QDir(gone).removeRecursively());
    click("Button2");
    EXPECT_EQ(platform.texts(Kind::Warning).size(), 2u);
    EXPECT_EQ(browserDirectory(), home);
    EXPECT_TRUE(page().isVisible());
}

}  // namespace
}  // namespace keldar::testing
