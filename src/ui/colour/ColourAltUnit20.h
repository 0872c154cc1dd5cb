#pragma once

#include <array>

#include <QString>

#include "core/imaging/ColourNaming.h"
#include "core/imaging/ImageBuffer.h"
#include "ui/app/Page.h"
#include "ui/stereo/AnaglyphSaveDialog.h"

class QCheckBox;
class QGridLayout;
class QLabel;
class QPushButton;
class QScrollBar;
class QSlider;
class QStackedWidget;

namespace keldar::ui {

class ImageView;

// The colour composer: a colour picture from a red, a green and a blue band image, combined
// straight or blended, inverted or solarized, and saved.
//
// Sliders: ScrollBar1 is the blue band's weight in the blue channel, ScrollBar2 the red band's
// weight in the red channel, ScrollBar3 the green slider (never shown), TrackBar1 the
// solarize slider. Labels: Label13 the eye prefix, Label22 the status.
//
// The channel round trips through JPEG at quality 100 (the green band, the straight
// composite) are made in memory: nothing is written beside the user's images.
class TForm20 : public Page {
    Q_OBJECT
public:
    using Band = imaging::Band;

    TForm20(Workbench& workbench, platform::Platform& platform);

    // --- What the other windows run ---
    // The Data action hands over the eye prefix (identifier characters 0..23) of every product.
    void setEyePrefix(const QString& prefix);
    // The main window's "Colour" button: with "Auto L4L5L6 RGB" on, an automatic run that picks
    // the band of the current product and steps through the next two files for the others;
    // otherwise the colour processor asks the user which band the image is.
    void passCurrentImage();
    // "FILTER BAND ID": fills the slots that the current product (and a checked band box of the
    // colour processor) picks, then the automatic scan.
    void pickBands();

    // --- The commands of the buttons ---
    // With "Auto Colour" the slot's derived band name is read, otherwise the open dialog asks;
    // a cancelled dialog changes nothing. Throws when the file cannot be read.
    void loadBand(Band band);
    void straightCombination();  // "Straight RGB Combination"
    void mer2rgbMethod();        // "MER2RGB Method": the blend, then the sliders green 100, blue 70, red 70
    void invertRgb();            // "Invert RGB" of the last straight composite
    void showSolarizeSlider();   // "Solarize"
    void saveAs();               // "Save as"
    void closePage();            // "Close"

    // Sets a slider as the user would; the change runs its step.
    void setBlueWeight(int position);
    void setRedWeight(int position);
    void setSolarize(int position);

    // --- State, for the windows that look at it ---
    bool bandLoaded(Band band) const { return slot(band).loaded; }
    const imaging::ImageBuffer& bandImage(Band band) const { return slot(band).image; }
    const imaging::ImageBuffer& processedBand(Band band) const { return slot(band).processed; }
    const imaging::ImageBuffer& composite() const { return composite_; }
    const imaging::ImageBuffer& effectPicture() const { return effectPicture_; }
    const imaging::ImageBuffer& shownPicture() const;  // what the large view shows
    QString fileNameText(Band band) const;
    QString filterCodeText(Band band) const;
    QString dialogFileName(Band band) const { return slot(band).dialogFileName; }
    QString derivedName(Band band) const { return slot(band).derivedName; }
    QString statusText() const;
    QString eyePrefix() const;
    QString filterSuffix() const { return filterSuffix_; }
    bool solarized() const { return solarized_; }
    bool autoColour() const;
    imaging::BandPicks picks() const { return picks_; }
    bool scanGuard() const { return scanGuard_; }
    bool redStepGuard() const { return redStepGuard_; }

    // Replaces the save dialog (the platform's by default).
    void setSaveDialog(SaveDialog dialog) { saveDialog_ = std::move(dialog); }

private:
    struct BandSlot {
        imaging::ImageBuffer image;
        imaging::ImageBuffer processed;  // blended with green (red, blue) or its copy (green)
        bool loaded = false;
        QString dialogFileName;  // what the slot's open dialog holds
        QString derivedName;     // the band name built from the current product
        QString loadedPath;      // the file the image was read from
        QPushButton* load = nullptr;
        QLabel* fileName = nullptr;
        QLabel* filterCode = nullptr;
        ImageView* thumbnail = nullptr;
        ImageView* processedThumbnail = nullptr;
        QScrollBar* slider = nullptr;  // red and blue weights, the hidden green slider
        QLabel* sliderDisplay = nullptr;
    };
    // What an automatic run has loaded of its own bands: a composite is offered only of the
    // run's own set (bands it loaded, or bands of the same set loaded before), never a mix
    // with bands left from another set.
    struct AutomaticRun {
        bool active = false;
        imaging::BandPicks loaded;
        bool changedSet = false;  // a band now holds another file than before the run
    };

    BandSlot& slot(Band band) { return slots_[static_cast<std::size_t>(band)]; }
    const BandSlot& slot(Band band) const { return slots_[static_cast<std::size_t>(band)]; }
    void buildBandRow(QGridLayout* grid, Band band, const QString& caption, const QString& loadName,
                      const QString& loadCaption, const QString& sliderName);
    void connectGuarded(QPushButton* button, void (TForm20::*command)());
    bool allLoaded() const;
    QString bandDirectory() const;
    QString bandPath(const QString& name) const;
    void showLarge(const imaging::ImageBuffer& picture);
    void showStatus(const QString& text, const QColor& colour);
    void loadedCheck();
    void findFilterLabels();
    void automaticScan();
    void redStepping();
    void bandSliderChanged(Band band);
    void greenSliderChanged();
    void blend(Band band);
    void sliderCombination();
    void solarizeSliderChanged();
    QString rgbDirectory() const;
    // "" when the directory exists (created if missing) and takes new files, else the warning.
    QString prepareDirectory(const QString& directory) const;
    bool writePicture(const imaging::ImageBuffer& picture, const QString& chosenPath, int filterIndex);

    std::array<BandSlot, 3> slots_;
    imaging::ImageBuffer composite_;
    imaging::ImageBuffer straightReread_;  // the last straight composite after its JPEG round trip
    imaging::ImageBuffer greenReread_;     // the green band after its JPEG round trip
    imaging::ImageBuffer effectPicture_;   // inverted or solarized
    QString currentExtension_;
    QString filterSuffix_;
    imaging::BandPicks picks_;
    bool solarized_ = false;
    bool scanGuard_ = false;
    bool redStepGuard_ = false;
    AutomaticRun run_;
    SaveDialog saveDialog_;

    QStackedWidget* largeStack_ = nullptr;  // the cover until the first band is loaded, then the view
    ImageView* largeView_ = nullptr;
    QLabel* eyePrefix_ = nullptr;  // Label13
    QLabel* status_ = nullptr;     // Label22
    QCheckBox* autoColour_ = nullptr;  // CheckBox4
    QSlider* solarizeSlider_ = nullptr;  // TrackBar1
    QLabel* solarizeCaption_ = nullptr;
};

}  // namespace keldar::ui
