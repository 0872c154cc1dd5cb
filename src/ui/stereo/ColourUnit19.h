#pragma once

#include <vector>

#include <QString>

#include "core/imaging/AnaglyphPipeline.h"
#include "core/imaging/ImageBuffer.h"
#include "ui/app/Page.h"
#include "ui/stereo/AnaglyphSaveDialog.h"

class QLabel;
class QPushButton;
class QScrollBar;

namespace keldar::ui {

class ImageView;

// The anaglyph builder: a red/cyan anaglyph from a stereo pair, with merge, contrast and
// brightness sliders, saved as JPEG or BMP under a name that records the settings.
class TForm19 : public Page {
    Q_OBJECT
public:
    TForm19(Workbench& workbench, platform::Platform& platform);

    // The entry of the stereo viewer's "Anaglyph This": hides the manual commands, loads the
    // right-eye file as image 1 and the left-eye file as image 2 without a dialog, shows the
    // window. Throws when a file cannot be read (the window is then not shown).
    void fillFromStereoPair(const QString& rightEyePath, const QString& leftEyePath);

    // --- The commands of the buttons ---
    // Image 1 is the right eye (cyan layer), image 2 the left eye (red layer). With the
    // auto-load flag off the open dialog asks for the file; a cancelled dialog changes
    // nothing. Throws when the file cannot be read: flag, image and layers keep their state.
    void loadImage(int which);
    void reset();                 // "Reset": the slider sequence 49, 16, 30, 50
    void makeBlue();              // "Make Blue": red/blue instead of red/cyan
    void makeCyan();              // "Make Cyan"
    void makeRed();               // "Make Red"
    void showManualControls();    // "Manual Adjustment Controls"
    void saveAs();                // "Save As"
    void closePage();             // "Close": back to the start state

    // --- State, for the windows that look at it ---
    bool imageLoaded(int which) const { return which == 1 ? image1Loaded_ : image2Loaded_; }
    QString autoLoadFlag() const { return autoLoad_ ? QStringLiteral("yes") : QStringLiteral("no"); }
    imaging::AnaglyphSettings settings() const;
    const imaging::ImageBuffer& image(int which) const { return which == 1 ? image1_ : image2_; }
    const imaging::ImageBuffer& cyanLayer() const { return cyanLayer_; }
    const imaging::ImageBuffer& redLayer() const { return redLayer_; }
    const imaging::ImageBuffer& result() const { return result_; }
    QString fileText(int which) const;
    QString saveNameText() const;
    QString saveStatusText() const;
    QString proposedRelativeName() const;

    // Sets a slider as the user would; the change runs the pipeline.
    void setMerge(int position);
    void setContrast(int position);
    void setBrightness(int position);

    // Replaces the save dialog (the platform's by default).
    void setSaveDialog(SaveDialog dialog) { saveDialog_ = std::move(dialog); }

private:
    void sliderChanged();
    void connectGuarded(QPushButton* button, void (TForm19::*command)());
    QScrollBar* makeSlider(const QString& name, int position);
    QString anaglyphDirectory() const;
    // "" when the directory exists (created if missing) and takes new files, else the warning.
    QString prepareDirectory(const QString& directory) const;
    // Writes the result in the format of the filter; false (after a warning) when nothing was written.
    bool writeResult(const QString& chosenPath, int filterIndex);

    imaging::ImageBuffer image1_, image2_, cyanLayer_, redLayer_, result_;
    bool image1Loaded_ = false;
    bool image2Loaded_ = false;
    bool autoLoad_ = false;
    QString openDialogFileName_;  // the file the next load takes when auto-load is on
    QString lastOpenedFile_;      // the base of the save name
    SaveDialog saveDialog_;

    ImageView* thumbnail1_ = nullptr;
    ImageView* thumbnail2_ = nullptr;
    ImageView* largeView_ = nullptr;
    QLabel* file1_ = nullptr;
    QLabel* file2_ = nullptr;
    QLabel* saveName_ = nullptr;
    QLabel* saveStatus_ = nullptr;
    QLabel* relativeName_ = nullptr;
    QScrollBar* merge_ = nullptr;       // ScrollBar1
    QScrollBar* contrast_ = nullptr;    // ScrollBar3
    QScrollBar* brightness_ = nullptr;  // ScrollBar2
    QLabel* mergeDisplay_ = nullptr;
    QLabel* contrastDisplay_ = nullptr;
    QLabel* brightnessDisplay_ = nullptr;
    std::vector<QWidget*> sliderControls_;  // sliders, captions and displays
    QPushButton* reset_ = nullptr;          // Button1
    QPushButton* makeBlue_ = nullptr;       // Button4
    QPushButton* makeRed_ = nullptr;        // Button7
    QPushButton* makeCyan_ = nullptr;       // Button8
    QPushButton* load1_ = nullptr;          // Button9
    QPushButton* load2_ = nullptr;          // Button10
};

}  // namespace keldar::ui
