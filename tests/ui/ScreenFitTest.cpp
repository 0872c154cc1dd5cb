// Screen fit arithmetic: a window designed for 800 x 600 at 96 dpi on other screens.

#include <ostream>

#include <QLabel>
#include <QMainWindow>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include "ui/app/FrameFit.h"
#include "ui/app/ScreenFit.h"

namespace keldar::ui {
namespace {

struct FitCase {
    const char* what;
    ScreenMetrics screen;
    QSize design;
    bool scaleFonts;
    QSize expectedWindow;
    double expectedScale;
    int expectedFontFactor;
};

void PrintTo(const FitCase& c, std::ostream* out) { *out << c.what; }

class ScreenFitTable : public ::testing::TestWithParam<FitCase> {};

TEST_P(ScreenFitTable, ScalesWindowControlsAndFonts) {
    const FitCase& c = GetParam();
    const ScreenFitResult fit = computeScreenFit(c.screen, c.design, c.scaleFonts);
    EXPECT_EQ(fit.windowSize, c.expectedWindow) << c.what;
    EXPECT_NEAR(fit.contentScale, c.expectedScale, 1e-9) << c.what;
    EXPECT_EQ(fit.fontFactor, c.expectedFontFactor) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Screens, ScreenFitTable,
    ::testing::Values(
        FitCase{"design screen: nothing changes", {800, 600, 96}, {800, 600}, true, {800, 600}, 1.0, 1},
        FitCase{"1024 wide: resized by 1024/800, fonts keep their size", {1024, 768, 96}, {800, 600}, true,
                {1024, 768}, 1.28, 1},
        FitCase{"1024 wide, smaller window: integer arithmetic, product first", {1024, 768, 96}, {401, 301}, true,
                {513, 385}, 1.28, 1},
        FitCase{"1600 wide: fonts double", {1600, 1200, 96}, {800, 600}, true, {1600, 1200}, 2.0, 2},
        FitCase{"1599 wide: fonts still single", {1599, 1200, 96}, {400, 300}, true, {799, 600}, 1599.0 / 800, 1},
        FitCase{"2400 wide: fonts triple", {2400, 1800, 96}, {400, 300}, true, {1200, 900}, 3.0, 3},
        FitCase{"640 wide: window shrinks but text does not vanish", {640, 480, 96}, {800, 600}, true,
                {640, 480}, 0.8, 1},
        FitCase{"600 wide, fonts left out", {600, 400, 96}, {300, 200}, false, {225, 133}, 0.75, 1},
        FitCase{"1600 wide, fonts left out", {1600, 1200, 96}, {400, 300}, false, {800, 600}, 2.0, 1},
        FitCase{"120 dpi on the design screen: shrunk by 96/120", {800, 600, 120}, {800, 600}, true, {640, 480},
                0.8, 1},
        FitCase{"120 dpi and 1024 wide: both steps", {1024, 768, 120}, {800, 600}, true, {819, 614}, 1.024, 1},
        FitCase{"96 dpi or less leaves the size alone", {800, 600, 72}, {500, 400}, true, {500, 400}, 1.0, 1},
        FitCase{"a window taller than the screen is clamped", {800, 600, 96}, {700, 900}, true, {700, 600}, 1.0,
                1},
        FitCase{"a window wider than a narrow screen is clamped", {1024, 768, 96}, {900, 500}, true, {1024, 640},
                1.28, 1}));

TEST(ScreenFitApply, ResizesTheWindowGrowsDesignedControlsAndFontsOfDirectControls) {
    QMainWindow window;
    auto* centre = new QWidget(&window);
    window.setCentralWidget(centre);
    auto* direct = new QLabel(QStringLiteral("direct"), centre);
    QFont font = direct->font();
    font.setPointSize(9);
    direct->setFont(font);
    auto* picture = new QWidget(centre);
    picture->setProperty("designSize", QSize(361, 363));
    auto* layout = new QVBoxLayout(centre);
    layout->addWidget(direct);
    layout->addWidget(picture);

    const ScreenFitResult fit = applyScreenFit(window, QSize(800, 600), true, ScreenMetrics{1600, 1200, 96});
    EXPECT_EQ(window.size(), QSize(1600, 1200));
    EXPECT_EQ(direct->font().pointSize(), 18);
    EXPECT_EQ(picture->minimumSize(), QSize(722, 726));
    EXPECT_EQ(fit.fontFactor, 2);
}

TEST(ScreenFitApply, WithoutTheFontStepFontsStayOnALargeScreen) {
    QWidget window;
    auto* direct = new QLabel(QStringLiteral("direct"), &window);
    QFont font = direct->font();
    font.setPointSize(9);
    direct->setFont(font);
    applyScreenFit(window, QSize(400, 300), false, ScreenMetrics{1600, 1200, 96});
    EXPECT_EQ(window.size(), QSize(800, 600));
    EXPECT_EQ(direct->font().pointSize(), 9);
}

struct FrameCase {
    const char* what;
    QRect client;
    QMargins frame;
    QSize minimum;
    QRect expected;
};

TEST(FrameFit, TheWholeFrameLiesOnTheAvailableArea) {
    const QRect screen(0, 0, 800, 600);
    const QMargins openbox(1, 24, 1, 4);
    const FrameCase cases[] = {
        {"a window of the screen's size loses its title bar's height", {0, 0, 800, 600}, openbox, {0, 0},
         {1, 24, 798, 572}},
        {"one that fits keeps its place", {100, 100, 300, 200}, openbox, {0, 0}, {100, 100, 300, 200}},
        {"one that runs off the bottom right moves in", {700, 500, 300, 200}, openbox, {0, 0}, {499, 396, 300, 200}},
        {"one above the top comes down under its title bar", {50, 0, 300, 200}, openbox, {0, 0}, {50, 24, 300, 200}},
        {"no frame: only the clamp", {-5, 0, 800, 600}, {}, {0, 0}, {0, 0, 800, 600}},
        {"a minimum larger than the area is kept, at the top left", {10, 10, 800, 600}, openbox, {800, 590},
         {1, 24, 800, 590}},
    };
    for (const FrameCase& c : cases)
        EXPECT_EQ(fitFrameInto(c.client, c.frame, screen, c.minimum), c.expected) << c.what;
    // A panel at the top: the area starts below it.
    EXPECT_EQ(fitFrameInto({0, 0, 800, 600}, openbox, QRect(0, 30, 800, 570), {0, 0}), QRect(1, 54, 798, 542));
}

}  // namespace
}  // namespace keldar::ui
