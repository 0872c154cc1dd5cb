// The directory walk of the Image action against a scripted list: which file ends up
// selected and loaded, how many attempts it took, and which messages the user saw.

#include <algorithm>
#include <stdexcept>
#include <vector>

#include <gtest/gtest.h>

#include "ui/app/ImageWalk.h"

namespace keldar::ui {
namespace {

// A file list where each entry is a picture or not.
class ScriptedList final : public ImageWalkHost {
public:
    ScriptedList(std::vector<bool> pictures, int selected) : pictures_(std::move(pictures)), selected_(selected) {}

    int fileCount() override { return static_cast<int>(pictures_.size()); }
    int selectedIndex() override { return selected_; }
    void select(int index) override { selected_ = index >= 0 && index < fileCount() ? index : -1; }
    QString selectedPath() override { return selected_ < 0 ? QString() : QStringLiteral("/d/%1.jpg").arg(selected_); }
    void prepareAttempt(const QString& path) override { prepared.push_back(path); }
    bool loadPicture(const QString& path) override {
        const int index = path.section(QLatin1Char('/'), -1).section(QLatin1Char('.'), 0, 0).toInt();
        tried.push_back(index);
        if (index == unopenable) throw std::runtime_error("cannot open");
        if (pictures_.at(static_cast<std::size_t>(index))) loaded = index;
        return pictures_.at(static_cast<std::size_t>(index));
    }
    void stopSlideshowAndSearch() override { ++stops; }
    void information(const QString& text) override { messages.push_back(QStringLiteral("i:") + text); }
    void warning(const QString& text) override { messages.push_back(QStringLiteral("w:") + text); }

    int selected() const { return selected_; }

    std::vector<QString> prepared;
    std::vector<int> tried;
    std::vector<QString> messages;
    int loaded = -1;
    int stops = 0;
    int unopenable = -2;

private:
    std::vector<bool> pictures_;
    int selected_;
};

const QString kEnd = QStringLiteral("i:") + kEndOfDirectoryMessage;
const QString kStart = QStringLiteral("i:") + kStartOfDirectoryMessage;
const QString kNoMore = QStringLiteral("w:") + kNoMoreImagesMessage;
const QString kNoFiles = QStringLiteral("w:") + kNoImageFilesMessage;

ImageWalkOptions loopOn() { return {true, false, false}; }
ImageWalkOptions loopOff() { return {false, false, false}; }

TEST(ImageWalk, LoadsTheSelectedPicture) {
    ScriptedList list({true, true, true}, 1);
    const ImageWalkResult walk = runImageWalk(list, loopOn());
    EXPECT_TRUE(walk.loaded);
    EXPECT_EQ(list.loaded, 1);
    EXPECT_EQ(walk.attempts, 1);
    EXPECT_EQ(walk.positionText, QStringLiteral("2"));
    EXPECT_EQ(walk.countText, QStringLiteral("3"));
    EXPECT_TRUE(list.messages.empty());
}

TEST(ImageWalk, LastFileWithLoopOnIsShownAndTheStepAfterItGoesToTheFirst) {
    ScriptedList list({true, true, true}, 2);
    const ImageWalkResult walk = runImageWalk(list, loopOn());
    EXPECT_EQ(list.loaded, 2);
    EXPECT_EQ(list.selected(), 2);
    EXPECT_EQ(walk.positionText, QStringLiteral("3"));
    EXPECT_TRUE(list.messages.empty());
    EXPECT_EQ(list.stops, 0);
    // A step forward from the last entry leaves nothing selected: the walk goes on from the
    // first, and the counter names the first.
    list.select(3);
    const ImageWalkResult wrapped = runImageWalk(list, loopOn());
    EXPECT_EQ(list.loaded, 0);
    EXPECT_EQ(list.selected(), 0);
    EXPECT_EQ(wrapped.positionText, QStringLiteral("1"));
    EXPECT_TRUE(list.messages.empty());
}

TEST(ImageWalk, LastFileWithLoopOffWarnsStopsAndStillLoadsIt) {
    ScriptedList list({true, true, true}, 2);
    runImageWalk(list, loopOff());
    EXPECT_EQ(list.messages, std::vector<QString>{kEnd});
    EXPECT_EQ(list.stops, 1);
    EXPECT_EQ(list.loaded, 2);
    EXPECT_EQ(list.selected(), 2);
}

TEST(ImageWalk, NonPicturesAreSkippedUpToTheNextPicture) {
    ScriptedList list({false, false, true, true}, -1);
    const ImageWalkResult walk = runImageWalk(list, loopOff());
    EXPECT_EQ(list.loaded, 2);
    EXPECT_EQ(list.selected(), 2);
    EXPECT_EQ(walk.failures, 2);
    EXPECT_EQ(list.tried, (std::vector<int>{0, 1, 2}));
    EXPECT_TRUE(list.messages.empty());
}

TEST(ImageWalk, EnteringADirectoryOfOnePictureLoadsIt) {
    // The attempt with nothing selected does not use up the one failure the list allows.
    ScriptedList list({true}, -1);
    const ImageWalkResult walk = runImageWalk(list, loopOff());
    EXPECT_TRUE(walk.loaded);
    EXPECT_EQ(list.loaded, 0);
    EXPECT_EQ(list.selected(), 0);
    EXPECT_TRUE(list.messages.empty());
}

TEST(ImageWalk, OneNonPictureWithLoopOffWarnsOnce) {
    ScriptedList list({false}, -1);
    const ImageWalkResult walk = runImageWalk(list, loopOff());
    EXPECT_FALSE(walk.loaded);
    EXPECT_TRUE(walk.endReached);
    EXPECT_EQ(list.messages, std::vector<QString>{kNoMore});
}

TEST(ImageWalk, OnlyNonPicturesWithLoopOffTriesEachOnceThenWarns) {
    ScriptedList list({false, false, false}, -1);
    const ImageWalkResult walk = runImageWalk(list, loopOff());
    EXPECT_EQ(list.tried, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(walk.failures, 3);
    EXPECT_EQ(list.loaded, -1);
    EXPECT_EQ(list.messages, std::vector<QString>{kNoMore});
}

TEST(ImageWalk, OnlyNonPicturesWithLoopOnSelectsTheFirstQuietly) {
    ScriptedList list({false, false, false}, 1);
    const ImageWalkResult walk = runImageWalk(list, loopOn());
    EXPECT_TRUE(walk.endReached);
    EXPECT_EQ(list.tried, (std::vector<int>{1, 2, 0}));
    EXPECT_EQ(list.selected(), 0);
    EXPECT_TRUE(list.messages.empty());
}

TEST(ImageWalk, WithoutTheLoopAWalkPastTheEndGivesUpAndKeepsThePicture) {
    // [a.LBL, b.JPG, c.LBL, d.LBL] with c.LBL clicked: the pass over the end is a failure.
    ScriptedList list({false, true, false, false}, 2);
    const ImageWalkResult walk = runImageWalk(list, loopOff());
    EXPECT_EQ(list.tried, (std::vector<int>{2, 3, 0}));
    EXPECT_EQ(list.loaded, -1);
    EXPECT_TRUE(walk.endReached);
    EXPECT_EQ(list.messages, std::vector<QString>{kNoMore});
    EXPECT_EQ(list.selected(), 1);
    EXPECT_EQ(list.prepared, (std::vector<QString>{QStringLiteral("/d/2.jpg"), QStringLiteral("/d/3.jpg"), QString(),
                                                   QStringLiteral("/d/0.jpg"), QStringLiteral("/d/1.jpg")}));
}

TEST(ImageWalk, WithTheLoopAWalkPastTheEndGoesOnFromTheFirstFile) {
    ScriptedList list({false, true, false, false}, 2);
    const ImageWalkResult walk = runImageWalk(list, loopOn());
    EXPECT_EQ(list.tried, (std::vector<int>{2, 3, 0, 1}));
    EXPECT_EQ(list.loaded, 1);
    EXPECT_TRUE(list.messages.empty());
    EXPECT_EQ(std::count(list.prepared.begin(), list.prepared.end(), QString()), 0);
}

TEST(ImageWalk, EnteringADirectoryOfNonPicturesEndsOnTheLastOne) {
    ScriptedList list({false, false}, -1);
    runImageWalk(list, loopOff());
    EXPECT_EQ(list.tried, (std::vector<int>{0, 1}));
    EXPECT_EQ(list.selected(), 1);
    EXPECT_EQ(list.prepared.back(), QStringLiteral("/d/1.jpg"));
    EXPECT_EQ(list.messages, std::vector<QString>{kNoMore});
}

TEST(ImageWalk, SteppingUpOntoAFileThatFailsMovesFurtherUp) {
    // Up from entry 3 onto entry 2, which does not decode: entry 1 is shown, not 3 again.
    ScriptedList list({true, true, false, true}, 2);
    ImageWalkOptions options = loopOff();
    options.backward = true;
    runImageWalk(list, options);
    EXPECT_EQ(list.tried, (std::vector<int>{2, 1}));
    EXPECT_EQ(list.loaded, 1);

    // Above the first entry the walk goes on from the last, as a walk down goes on from the
    // first past the end.
    ScriptedList top({false, true, true}, 0);
    runImageWalk(top, options);
    EXPECT_EQ(top.tried, (std::vector<int>{0, 2}));
    EXPECT_EQ(top.loaded, 2);
}

TEST(ImageWalk, EmptyDirectoryWarnsThatThereAreNoImageFiles) {
    ScriptedList list({}, -1);
    const ImageWalkResult walk = runImageWalk(list, loopOn());
    EXPECT_EQ(list.messages, std::vector<QString>{kNoFiles});
    EXPECT_EQ(walk.attempts, 1);
    EXPECT_FALSE(walk.loaded);
}

TEST(ImageWalk, EmptyDirectoryWithLoopOffAlsoReportsTheEnd) {
    // Position "0" equals count "0", so the end-of-directory check fires before the warning.
    ScriptedList list({}, -1);
    runImageWalk(list, loopOff());
    EXPECT_EQ(list.messages, (std::vector<QString>{kEnd, kNoFiles}));
}

TEST(ImageWalk, SteppingBackToTheFirstFileSaysSo) {
    ScriptedList list({true, true}, 0);
    runImageWalk(list, {true, true, false});
    EXPECT_EQ(list.messages, std::vector<QString>{kStart});
}

TEST(ImageWalk, SteppingBackIsQuietDuringASlideshowOrAwayFromTheFirstFile) {
    ScriptedList duringSlideshow({true, true}, 0);
    runImageWalk(duringSlideshow, {true, true, true});
    EXPECT_TRUE(duringSlideshow.messages.empty());
    ScriptedList second({true, true, true}, 1);
    runImageWalk(second, {true, true, false});
    EXPECT_TRUE(second.messages.empty());
}

TEST(ImageWalk, AFileThatCannotBeOpenedEndsTheWalk) {
    ScriptedList list({false, true, true}, 0);
    list.unopenable = 1;
    EXPECT_THROW(runImageWalk(list, loopOn()), std::runtime_error);
    EXPECT_EQ(list.tried, (std::vector<int>{0, 1}));
    EXPECT_EQ(list.loaded, -1);
}

}  // namespace
}  // namespace keldar::ui
