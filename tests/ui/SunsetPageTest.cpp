// The sunset page: the fade paced by the platform's pauses, the delay entry, restoring the
// picture, the errors that stop a fade, opening a file and the main menu's hand-over.

#include <map>

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

#include "core/imaging/ImageFile.h"
#include "support/UiTestSupport.h"
#include "ui/app/ImageView.h"
#include "ui/pages/SunsetUnit21.h"

namespace keldar::testing {
namespace {

using Kind = platform::FakePlatform::BoxKind;

struct Bgr {
    int blue, green, red;
    friend bool operator==(const Bgr&, const Bgr&) = default;
    friend std::ostream& operator<<(std::ostream& out, const Bgr& p) {
        return out << '(' << p.blue << ", " << p.green << ", " << p.red << ')';
    }
};

imaging::ImageBuffer solid(int width, int height, Bgr colour) {
    imaging::ImageBuffer image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = image.row(y) + 3 * x;
            p[0] = static_cast<std::uint8_t>(colour.blue);
            p[1] = static_cast<std::uint8_t>(colour.green);
            p[2] = static_cast<std::uint8_t>(colour.red);
        }
    return image;
}

Bgr pixel(const imaging::ImageBuffer& image, int x, int y) {
    const std::uint8_t* p = image.row(y) + 3 * x;
    return {p[0], p[1], p[2]};
}

class SunsetPage : public WorkbenchTest {
protected:
    void SetUp() override {
        WorkbenchTest::SetUp();
        // A fade without pauses lets events through; on a slow machine the main window's
        // two-second timers would fire inside it and speak about a directory never entered.
        for (QTimer* timer : mainWindow().findChildren<QTimer*>()) timer->stop();
    }
    ui::TForm21& page() const { return bench->sunsetPage(); }
    void click(const char* name) { child<QPushButton>(page(), QString::fromLatin1(name)).click(); }
    void setDelay(const QString& text) { child<QLineEdit>(page(), QStringLiteral("Edit1")).setText(text); }
    bool nightTime() const { return child<QLabel>(page(), QStringLiteral("Label3")).isVisibleTo(&page()); }
    void receive(const imaging::ImageBuffer& image) { page().handOver(image, QString()); }
    void fade() { click("Button4"); }

    const imaging::ImageBuffer sunlit = solid(5, 3, {10, 200, 255});
};

TEST_F(SunsetPage, EachPassDarkensEveryByteByOneBeforeItsPause) {
    receive(sunlit);
    std::map<int, Bgr> seen;  // pass number -> the picture's pixel during that pass's pause
    platform.onPause = [&](int) {
        const int pass = static_cast<int>(platform.pauses.size());
        if (pass == 10 || pass == 200 || pass == 255) seen[pass] = pixel(page().displayedImage(), 4, 2);
    };
    fade();
    EXPECT_EQ(seen, (std::map<int, Bgr>{{10, {0, 190, 245}}, {200, {0, 0, 55}}, {255, {0, 0, 0}}}));
    EXPECT_EQ(page().displayedImage(), solid(5, 3, {0, 0, 0}));
    EXPECT_TRUE(nightTime());
    EXPECT_EQ(page().backupImage(), sunlit);
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(SunsetPage, TheDelayEntryPacesThePasses) {
    const std::pair<const char*, int> entries[] = {{"1", 1}, {"300", 255}, {"255", 255}, {"0", 0}, {"-5", 0}};
    receive(sunlit);
    for (const auto& [text, milliseconds] : entries) {
        platform.pauses.clear();
        setDelay(QString::fromLatin1(text));
        fade();
        // A delay of 0 does not pause at all.
        EXPECT_EQ(platform.pauses, std::vector<int>(milliseconds == 0 ? 0 : 256, milliseconds)) << text;
        EXPECT_TRUE(nightTime()) << text;
        EXPECT_EQ(page().displayedImage(), solid(5, 3, {0, 0, 0})) << text;
    }
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(SunsetPage, EveryFadeStartsFromTheUnfadedPictureAndReinstateRestoresIt) {
    receive(sunlit);
    std::vector<Bgr> firstRun, secondRun;
    platform.onPause = [&](int) { firstRun.push_back(pixel(page().displayedImage(), 0, 0)); };
    fade();
    platform.onPause = [&](int) { secondRun.push_back(pixel(page().displayedImage(), 0, 0)); };
    fade();
    ASSERT_EQ(firstRun.size(), 256u);
    EXPECT_EQ(secondRun, firstRun);

    click("Button5");
    EXPECT_EQ(page().displayedImage(), sunlit);
    EXPECT_EQ(child<ui::ImageView>(page(), QStringLiteral("Image1")).picture(), sunlit);
    EXPECT_FALSE(nightTime());
}

TEST_F(SunsetPage, APictureUnderTwoRowsIsABitmapError) {
    for (const imaging::ImageBuffer& image : {solid(6, 1, {9, 9, 9}), imaging::ImageBuffer()}) {
        receive(image);
        fade();
        EXPECT_EQ(platform.texts(Kind::Error), std::vector<QString>{QStringLiteral("Bitmap Error")});
        platform.boxes.clear();
        EXPECT_TRUE(platform.pauses.empty());
        EXPECT_FALSE(nightTime());
        EXPECT_EQ(page().displayedImage(), image);
    }
}

TEST_F(SunsetPage, ABadDelayEntryIsReportedBeforeAnyPass) {
    receive(sunlit);
    for (const char* text : {"abc", "12.5", ""}) {
        // After a finished fade too: the picture is re-instated before the entry is refused.
        setDelay(QStringLiteral("0"));
        fade();
        ASSERT_TRUE(nightTime());
        setDelay(QString::fromLatin1(text));
        fade();
        const QString message = QStringLiteral("'%1' is not a valid integer value").arg(QString::fromLatin1(text));
        EXPECT_EQ(platform.texts(Kind::Error), std::vector<QString>{message});
        platform.boxes.clear();
        EXPECT_TRUE(platform.pauses.empty()) << text;
        EXPECT_EQ(page().displayedImage(), sunlit) << text;
        EXPECT_FALSE(nightTime()) << text;
    }
}

TEST_F(SunsetPage, OpenImageTakesAFileByItsExtensionAndKeepsThePictureOnFailure) {
    const QString dir = makeDirectory(QStringLiteral("open"));
    receive(sunlit);
    const QString jpeg = writePicture(dir + QStringLiteral("/upper.JPEG"), 7, 4);
    const QString bmp = writePicture(dir + QStringLiteral("/plain.bmp"), 8, 4);
    const QString broken = writeText(dir + QStringLiteral("/broken.jpg"));
    for (const auto& [path, width] : {std::pair{jpeg, 7}, std::pair{bmp, 8}}) {
        platform.openFileAnswers.push_back(path);
        click("Button2");
        EXPECT_EQ(page().displayedImage().width(), width) << path.toStdString();
        EXPECT_EQ(page().backupImage(), page().displayedImage());
    }
    platform.openFileAnswers.push_back(broken);
    click("Button2");
    ASSERT_EQ(platform.texts(Kind::Error).size(), 1u);
    EXPECT_TRUE(platform.texts(Kind::Error)[0].contains(QStringLiteral("broken.jpg")));
    EXPECT_EQ(page().displayedImage().width(), 8);
    // Cancelling changes nothing either; the dialog starts at the last file opened.
    click("Button2");
    EXPECT_EQ(platform.openDialogStarts.back(), bmp);
    EXPECT_EQ(page().displayedImage().width(), 8);
}

TEST_F(SunsetPage, TheMenuHandsOverTheCurrentImage) {
    const QString dir = makeDirectory(QStringLiteral("images"));
    const QString first = writePicture(dir + QStringLiteral("/a.jpg"), 12, 9);
    enter(dir);
    ASSERT_EQ(shownWidth(), 12);
    receive(sunlit);
    fade();
    ASSERT_TRUE(nightTime());

    mainWindow().menuItem(QStringLiteral("SunsetSimfade1"))->trigger();
    EXPECT_TRUE(page().isVisible());
    EXPECT_FALSE(nightTime());
    EXPECT_EQ(page().displayedImage(), mainWindow().mainImage().picture());
    EXPECT_EQ(page().backupImage(), mainWindow().mainImage().picture());
    click("Button2");  // cancelled, but it opened at the current file
    EXPECT_EQ(platform.openDialogStarts, std::vector<QString>{first});
    click("Button1");
    EXPECT_FALSE(page().isVisible());
}

}  // namespace
}  // namespace keldar::testing
