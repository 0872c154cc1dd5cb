#pragma once

#include "core/imaging/ColourNaming.h"
#include "ui/app/Page.h"

class QCheckBox;
class QLabel;
class QTimer;

namespace keldar::ui {

inline const QString kProcessingMessage = QStringLiteral("PROCESSING! PLEASE WAIT!");
inline const QString kSelectBandMessage = QStringLiteral("Select the colour band to place this image into.");
inline const QString kRunFailedMessage = QStringLiteral("Sorry, all required images not found, or not in sequence.");

// The colour processor: asks which band the current image is, or reports a failed automatic run.
class TForm31 : public Page {
    Q_OBJECT
public:
    TForm31(Workbench& workbench, platform::Platform& platform);

    // Automatic start: the message reads "PROCESSING! PLEASE WAIT!" in yellow and the failure
    // timer (Timer1) starts; the window stays hidden.
    void startAutomaticWait();
    // Manual start: the band question, in the colour the message last had; the window shows.
    void askForBand();
    // The composer has a complete set: no failure message.
    void stopFailureTimer();

    // The band boxes: checking one unchecks the others, so at most one band is chosen.
    imaging::BandPicks checkedBands() const;
    void checkBand(imaging::Band band, bool checked);
    void uncheckBands();

    void continueWithBand();  // "CONTINUE": the composer's pick, then close
    void cancel();            // "CANCEL"
    void showFailure();       // Timer1: the failure message, shown until Timer2
    void closeFailure();      // Timer2

    QString messageText() const;
    QColor messageColour() const;

private:
    void setMessage(const QString& text, const QColor& colour);
    QCheckBox*& box(imaging::Band band) { return boxes_[static_cast<std::size_t>(band)]; }

    QLabel* message_ = nullptr;
    std::array<QCheckBox*, 3> boxes_{};  // CheckBox1 red, CheckBox2 green, CheckBox3 blue
    QTimer* failureTimer_ = nullptr;     // Timer1
    QTimer* closeTimer_ = nullptr;       // Timer2
};

}  // namespace keldar::ui
