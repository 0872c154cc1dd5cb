#pragma once

#include <QString>

#include "core/imaging/ImageBuffer.h"
#include "ui/app/Page.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace keldar::ui {

class ImageView;

// The image selected in the main window, as the hand-off copies it; design texts until then.
struct ManualStereoCurrent {
    imaging::ImageBuffer picture;
    QString fileName = QStringLiteral("Edit1");
    QString eye = QStringLiteral("EYE");
    QString camera = QStringLiteral("Camera");
    QString filter = QStringLiteral("Filter");
    QString earthTime = QStringLiteral("EarthTime");
    QString rover = QStringLiteral("Rover");
    QString sol = QStringLiteral("Sol");
};

// One eye's locked image; a set never locked passes its design texts on.
struct ManualStereoLocked {
    imaging::ImageBuffer picture;
    QString fileName = QStringLiteral("Filename unknown");
    QString filter = QStringLiteral("Filter Unknown");
    QString earthTime = QStringLiteral("EarthTime");
};

// The manual stereo selection: builds a stereo pair by hand, locking the image selected in
// the main window into the left-eye or right-eye place by its eye.
class TForm11 : public Page {
    Q_OBJECT
public:
    TForm11(Workbench& workbench, platform::Platform& platform);

    // The upper half; the file name is an edit field, so current().fileName is what the
    // user left there.
    void setCurrent(const ManualStereoCurrent& current);
    ManualStereoCurrent current() const;
    const ManualStereoLocked& lockedLeft() const { return left_; }
    const ManualStereoLocked& lockedRight() const { return right_; }

    // --- The commands of the buttons ---
    void previousImage();  // "Prev."
    void nextImage();      // "Next"
    void lockImage();      // "Lock Image": into the place of the eye the eye field names
    void viewInStereo();   // "View in Stereo": the eyes swapped for cross-eyed viewing
    void closePage();      // "Close": clears the show-stereo flag

private:
    struct LockedControls {
        ImageView* picture = nullptr;
        QLabel* fileName = nullptr;
        QLabel* filter = nullptr;
        QLabel* earthTime = nullptr;
    };
    LockedControls buildLockedSet(const QString& prefix);
    void showLocked(const LockedControls& controls, const ManualStereoLocked& locked);
    void connectGuarded(QPushButton* button, void (TForm11::*command)());
    void stepMainWindow(int step);

    ManualStereoCurrent current_;
    ManualStereoLocked left_;
    ManualStereoLocked right_;

    ImageView* currentPicture_ = nullptr;
    QLineEdit* edit1_ = nullptr;
    QLabel* eye_ = nullptr;
    QLabel* camera_ = nullptr;
    QLabel* filter_ = nullptr;
    QLabel* earthTime_ = nullptr;
    QLabel* rover_ = nullptr;
    QLabel* sol_ = nullptr;
    LockedControls leftControls_;
    LockedControls rightControls_;
};

}  // namespace keldar::ui
