// The main window over time: the startup tick, the slideshow driven tick by tick through
// Timer1 (loop on and off, the check box and the menu item, "Let's go to the movies",
// "Slideshow Delay") and the one-shot directories timer.

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QMetaObject>
#include <QTest>
#include <QTimer>

#include "support/UiTestSupport.h"
#include "ui/app/FileBrowser.h"
#include "ui/app/ImageView.h"
#include "ui/pages/DirectoriesUnit22.h"
#include "ui/pages/LargeImageUnit7.h"
#include "ui/pages/SlideshowDelayUnit16.h"

namespace keldar::testing {
namespace {

using platform::ThreadPriority;

// Four pictures, 21 to 24 pixels wide, in a directory without traverse maps.
class Slideshow : public WorkbenchTest {
protected:
    void SetUp() override {
        WorkbenchTest::SetUp();
        dir = makeDirectory(QStringLiteral("show"));
        for (int i = 0; i < 4; ++i)
            writePicture(dir + QStringLiteral("/%1.jpg").arg(QChar(QLatin1Char('a').unicode() + i)), 21 + i, 20);
        enter(dir);
        ASSERT_EQ(shownWidth(), 21);
        takeBoxes();
    }

    QTimer& timer1() const { return child<QTimer>(mainWindow(), QStringLiteral("Timer1")); }
    QTimer& timer2() const { return child<QTimer>(mainWindow(), QStringLiteral("Timer2")); }
    QCheckBox& slideshowBox() const { return child<QCheckBox>(mainWindow(), QStringLiteral("CheckBox3")); }
    QAction& item(const char* name) const {
        QAction* found = mainWindow().menuItem(QString::fromLatin1(name));
        if (found == nullptr) throw std::runtime_error(std::string("no menu item ") + name);
        return *found;
    }

    // One tick of a timer, as its interval running out delivers it.
    static void tick(QTimer& timer) { ASSERT_TRUE(QMetaObject::invokeMethod(&timer, "timeout")); }

    // Ticks Timer1 `count` times and gives the width of the picture shown after each.
    std::vector<int> shownAfterTicks(int count) {
        std::vector<int> widths;
        for (int i = 0; i < count; ++i) {
            tick(timer1());
            widths.push_back(shownWidth());
        }
        return widths;
    }

    QString dir;
};

TEST_F(Slideshow, StartupTickInADirectoryWithoutTraverseMapsKeepsTheProgramRunning) {
    ASSERT_FALSE(QFileInfo::exists(dir + QStringLiteral("/Traverse-Maps/Opportunity")));
    ASSERT_FALSE(QFileInfo::exists(dir + QStringLiteral("/Traverse-Maps/Spirit")));
    ASSERT_FALSE(state().startupDone);
    tick(timer1());
    QCoreApplication::processEvents();
    EXPECT_TRUE(state().startupDone);
    EXPECT_TRUE(mainWindow().isVisible());
    EXPECT_TRUE(timer1().isActive());
    EXPECT_TRUE(takeBoxes().empty());
    // The rest of the tick: the large-image page holds the main image, "Lower" is applied.
    EXPECT_EQ(bench->largeImagePage().imageView().picture(), mainWindow().mainImage().picture());
    EXPECT_EQ(platform.priorities, std::vector<ThreadPriority>{ThreadPriority::Lower});
    EXPECT_TRUE(item("Lower1").isChecked());
    // It runs once: the next tick applies no priority again.
    tick(timer1());
    EXPECT_EQ(platform.priorities.size(), 1u);
    EXPECT_TRUE(mainWindow().isVisible());
}

TEST_F(Slideshow, TicksDoNothingUntilTheSlideshowRuns) {
    EXPECT_EQ(shownAfterTicks(3), (std::vector<int>{21, 21, 21}));
    EXPECT_EQ(mainWindow().selectedFileIndex(), 0);
}

TEST_F(Slideshow, WithLoopOnEveryFileIsShownAndTheFirstFollowsTheLast) {
    ASSERT_TRUE(state().options.loop);
    item("SlideshowStartStop1").trigger();
    EXPECT_TRUE(item("SlideshowStartStop1").isChecked());
    EXPECT_TRUE(timer1().isActive());
    EXPECT_TRUE(bench->largeImagePage().isVisible());
    mainWindow().viewerState().slideshowDelay = 1500;
    // The last entry is shown; the step after it goes on from the first.
    EXPECT_EQ(shownAfterTicks(5), (std::vector<int>{22, 23, 24, 21, 22}));
    EXPECT_EQ(timer1().interval(), 1500);
    EXPECT_TRUE(timer1().isActive());
    EXPECT_TRUE(takeBoxes().empty());
    // The large-image page follows the slideshow.
    EXPECT_EQ(bench->largeImagePage().imageView().picture().width(), 22);
}

TEST_F(Slideshow, WithLoopOffTheEndOfTheDirectoryStopsItAfterTheMessage) {
    item("CheckLoopSlideshow1").trigger();
    ASSERT_FALSE(state().options.loop);
    slideshowBox().click();
    EXPECT_TRUE(slideshowBox().isChecked());
    EXPECT_TRUE(item("SlideshowStartStop1").isChecked());
    EXPECT_TRUE(timer1().isActive());

    // When the message shows, everything has stopped and the last file is not shown yet.
    bool stoppedAtMessage = false;
    int shownAtMessage = 0;
    platform.onBox = [&](const platform::FakePlatform::Box&) {
        stoppedAtMessage = !timer1().isActive() && !slideshowBox().isChecked() && !item("SlideshowStartStop1").isChecked();
        shownAtMessage = shownWidth();
    };
    EXPECT_EQ(shownAfterTicks(3), (std::vector<int>{22, 23, 24}));
    EXPECT_EQ(takeBoxes(), std::vector<QString>{QStringLiteral("End of directory, no more images in this directory !")});
    EXPECT_TRUE(stoppedAtMessage);
    EXPECT_EQ(shownAtMessage, 23);
    EXPECT_FALSE(timer1().isActive());
    EXPECT_FALSE(slideshowBox().isChecked());
    EXPECT_FALSE(state().options.slideshowRunning);
    // A late tick changes nothing.
    EXPECT_EQ(shownAfterTicks(1), std::vector<int>{24});
    EXPECT_TRUE(takeBoxes().empty());
}

TEST_F(Slideshow, CheckBoxAndMenuItemTurnTheStepsOnAndOffWhileTheTimerTicksOn) {
    slideshowBox().click();
    EXPECT_EQ(shownAfterTicks(1), std::vector<int>{22});
    slideshowBox().click();  // unticked: the menu item is turned off, the ticks idle
    EXPECT_FALSE(item("SlideshowStartStop1").isChecked());
    EXPECT_EQ(shownAfterTicks(2), (std::vector<int>{22, 22}));

    item("SlideshowStartStop1").trigger();  // on by the menu: the box shows it
    EXPECT_TRUE(slideshowBox().isChecked());
    EXPECT_EQ(shownAfterTicks(1), std::vector<int>{23});
    item("SlideshowStartStop1").trigger();  // off by the menu: the timer keeps ticking, idle
    EXPECT_FALSE(slideshowBox().isChecked());
    EXPECT_TRUE(timer1().isActive());
    EXPECT_EQ(shownAfterTicks(2), (std::vector<int>{23, 23}));

    // Started by the box, stopped by the large-image page's button: a click on the box
    // starts it again rather than stopping it.
    slideshowBox().click();
    child<QPushButton>(bench->largeImagePage(), QStringLiteral("Button5")).click();
    EXPECT_FALSE(slideshowBox().isChecked());
    slideshowBox().click();
    EXPECT_TRUE(item("SlideshowStartStop1").isChecked());
    EXPECT_TRUE(slideshowBox().isChecked());
}

TEST_F(Slideshow, AStepKeepsTheTimersPace) {
    slideshowBox().click();
    ASSERT_TRUE(timer1().isActive());
    const int interval = timer1().interval();
    ASSERT_GT(interval, 40);
    QTest::qSleep(30);
    tick(timer1());
    EXPECT_LT(timer1().remainingTime(), interval - 20) << "a step restarting the timer puts every tick back";
}

TEST_F(Slideshow, MoviesRunsFastEitherWayAndTheSlideshowItemStopsBoth) {
    item("Letsgotothemovies1").trigger();
    EXPECT_TRUE(item("Letsgotothemovies1").isChecked());
    EXPECT_TRUE(item("SlideshowStartStop1").isChecked());
    EXPECT_EQ(state().slideshowDelay, 10);
    EXPECT_EQ(timer1().interval(), 10);
    EXPECT_TRUE(timer1().isActive());
    EXPECT_TRUE(bench->largeImagePage().isVisible());

    item("Letsgotothemovies1").trigger();  // second time: mark off, still the fast slideshow
    EXPECT_FALSE(item("Letsgotothemovies1").isChecked());
    EXPECT_TRUE(item("SlideshowStartStop1").isChecked());
    EXPECT_EQ(timer1().interval(), 10);
    EXPECT_TRUE(timer1().isActive());
    EXPECT_EQ(shownAfterTicks(1), std::vector<int>{22});
    EXPECT_EQ(timer1().interval(), 10);

    item("Letsgotothemovies1").trigger();
    ASSERT_TRUE(item("Letsgotothemovies1").isChecked());
    item("SlideshowStartStop1").trigger();  // stopping clears both marks
    EXPECT_FALSE(item("SlideshowStartStop1").isChecked());
    EXPECT_FALSE(item("Letsgotothemovies1").isChecked());
    EXPECT_EQ(state().slideshowDelay, 10);  // until the delay page sets another
}

TEST_F(Slideshow, DelayItemPausesTheSlideshowAndShowsTheDelayPage) {
    item("SlideshowStartStop1").trigger();
    timer1().setInterval(3500);
    item("SlideshowDelay1").trigger();
    EXPECT_FALSE(timer1().isActive());
    EXPECT_TRUE(item("SlideshowStartStop1").isChecked());
    EXPECT_EQ(state().slideshowDelay, 3500);
    EXPECT_TRUE(bench->slideshowDelayPage().isVisible());
    EXPECT_EQ(bench->slideshowDelayPage().entry().text(), QStringLiteral("3500"));
}

TEST_F(Slideshow, ABoxOfOneStepHoldsTheNextTicksBack) {
    // A modal box keeps the event loop turning; ticks that arrive meanwhile must not start
    // a second step inside the first. Here the box reports a file that vanished.
    tick(timer1());  // the startup tick
    item("SlideshowStartStop1").trigger();
    ASSERT_TRUE(QFile::remove(dir + QStringLiteral("/b.jpg")));
    int nestedSteps = 0;
    platform.onBox = [&](const platform::FakePlatform::Box&) {
        const int before = mainWindow().selectedFileIndex();
        tick(timer1());
        if (mainWindow().selectedFileIndex() != before) ++nestedSteps;
    };
    tick(timer1());
    ASSERT_EQ(platform.texts(platform::FakePlatform::BoxKind::Error).size(), 1u);
    EXPECT_EQ(nestedSteps, 0);
    EXPECT_EQ(mainWindow().selectedFileIndex(), 1);
    // Once the box is closed the slideshow goes on.
    platform.onBox = nullptr;
    EXPECT_EQ(shownAfterTicks(1), std::vector<int>{23});
}

TEST_F(Slideshow, DirectoriesTimerShowsTheDirectoriesPageOnce) {
    EXPECT_TRUE(timer2().isActive());
    EXPECT_EQ(timer2().interval(), 2000);
    EXPECT_FALSE(bench->directoriesPage().isVisible());
    tick(timer2());
    EXPECT_TRUE(bench->directoriesPage().isVisible());
    EXPECT_FALSE(timer2().isActive());
}

}  // namespace
}  // namespace keldar::testing
