// The play page, reached only by a hidden menu item: clipboard round trips and the sample
// file that "Draw Alpha" looks for.

#include <QAction>

#include "support/UiTestSupport.h"
#include "ui/pages/PlayUnit30.h"

namespace keldar::testing {
namespace {

class PlayPage : public WorkbenchTest {
protected:
    ui::TForm30& page() const { return bench->playPage(); }
    void click(const char* name) const { child<QPushButton>(page(), QString::fromLatin1(name)).click(); }
};

TEST_F(PlayPage, OnlyTheHiddenMenuItemOpensIt) {
    QAction* item = mainWindow().menuItem(QStringLiteral("FunctionTesting1"));
    ASSERT_NE(item, nullptr);
    EXPECT_FALSE(item->isVisible());
    item->trigger();
    EXPECT_TRUE(page().isVisible());
}

TEST_F(PlayPage, ClipboardAssignThenShowClipboardAboveShowsTheWorkBitmap) {
    click("Button6");  // "Capture rectangle to the right": a 210 x 105 work bitmap
    ASSERT_EQ(page().workBitmap().size(), QSize(210, 105));
    // The empty lower picture became an empty bitmap: nothing to see yet.
    EXPECT_TRUE(page().lowerPicture().has_value() && page().lowerPicture()->isNull());
    click("Button5");
    click("BitBtn1");
    ASSERT_TRUE(page().lowerPicture().has_value());
    EXPECT_EQ(*page().lowerPicture(), page().workBitmap());
}

TEST_F(PlayPage, ClearClipboardThenShowClipboardAboveLeavesTheLowerPicture) {
    platform.clipboard = QImage(20, 10, QImage::Format_RGB32);
    platform.clipboard.fill(Qt::red);
    click("BitBtn1");
    ASSERT_TRUE(page().lowerPicture().has_value());
    const QImage shown = *page().lowerPicture();
    EXPECT_EQ(shown.size(), QSize(20, 10));
    click("Button8");
    EXPECT_FALSE(platform.clipboardHasImage());
    click("BitBtn1");
    EXPECT_EQ(*page().lowerPicture(), shown);
}

TEST_F(PlayPage, DrawAlphaWithoutTheSampleFileSaysItWasNotFound) {
    const QString home = makeDirectory(QStringLiteral("Mars"));
    writePicture(home + QStringLiteral("/a.jpg"), 8, 8);
    enter(home);
    ASSERT_EQ(state().homeDirectory, home);
    takeBoxes();
    click("Button7");
    EXPECT_EQ(platform.texts(platform::FakePlatform::BoxKind::Plain),
              std::vector<QString>{QStringLiteral("The bitmap ") + home + QStringLiteral("/AlphaRedSml.BMP was not found!")});
    writePicture(home + QStringLiteral("/AlphaRedSml.BMP"), 8, 8);
    takeBoxes();
    click("Button7");
    EXPECT_TRUE(takeBoxes().empty());
}

}  // namespace
}  // namespace keldar::testing
