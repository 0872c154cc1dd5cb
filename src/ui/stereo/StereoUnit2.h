#pragma once

#include <array>

#include <QString>

#include "ui/app/Page.h"

class QLabel;
class QPushButton;

namespace keldar::ui {

class ImageView;

// The display lines of the stereo pair viewer; other windows fill them before showing it.
enum class StereoLine {
    RightEyeFile,    // under image 1
    LeftEyeFile,     // under image 2
    RightEyeFilter,  // under image 1
    LeftEyeFilter,   // under image 2
    MarsTime,        // under image 1
    Local,           // under image 2
    Utc,             // hidden
    Rover,
    Camera,
    Sol,
    Directory,       // hidden
};
inline constexpr int kStereoLineCount = 11;

// The stereo pair viewer: a stereo pair side by side for cross-eyed viewing, the right-eye
// image on the left and the left-eye image on the right.
class TForm2 : public Page {
    Q_OBJECT
public:
    TForm2(Workbench& workbench, platform::Platform& platform);

    // Image 1 shows the right-eye image, image 2 the left-eye image.
    ImageView& rightEyeView() const { return *image1_; }
    ImageView& leftEyeView() const { return *image2_; }

    QString line(StereoLine which) const;
    void setLine(StereoLine which, const QString& text);

    // --- The commands of the buttons ---
    void nextImage();        // "NEXT IMAGE"
    void previousImage();    // "PREVIOUS IMAGE"
    void anaglyphThis();     // "Anaglyph This": the pair goes to the anaglyph builder
    void printWindow();      // "Print": clipboard or printer, by the main window's check box
    void saveAsCrossEyed();  // "Save as X-eyed": a message only
    void manualStereo();     // "Manual Stereo"
    void closeViewer();      // "Close": clears the show-stereo flag

    // The client area as it is painted now: what "Print" copies or prints.
    QImage clientImage();

private:
    QLabel* lineLabel(StereoLine which) const { return lines_[static_cast<std::size_t>(which)]; }
    void connectGuarded(QPushButton* button, void (TForm2::*command)());
    // Runs the main window's Image action after the selection moved by `step` entries.
    void stepMainWindow(int step);

    ImageView* image1_ = nullptr;
    ImageView* image2_ = nullptr;
    std::array<QLabel*, kStereoLineCount> lines_{};
};

}  // namespace keldar::ui
