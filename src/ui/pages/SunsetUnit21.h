#pragma once

#include <QString>

#include "core/imaging/ImageBuffer.h"
#include "ui/app/Page.h"

class QLabel;
class QLineEdit;

namespace keldar::ui {

class ImageView;

// The sunset page: shows one image large and darkens it step by step to night.
class TForm21 : public Page {
    Q_OBJECT
public:
    TForm21(Workbench& workbench, platform::Platform& platform);

    // The main menu's hand-over: "Night Time" hidden, `image` received, the open dialog preset
    // to `currentFilePath`, the receive step run, the page shown.
    void handOver(const imaging::ImageBuffer& image, const QString& currentFilePath);

    // --- The commands of the buttons ---
    void receiveImage();     // "ImageRcvd" (hidden): the received image becomes the page's image
    void openImage();        // "Open Image"
    void reinstateImage();   // "Re-instate Image"
    void initiateFade();     // "Initiate Sunset Fade": reinstates, then fades to black
    void closePage();        // "Close"

    const imaging::ImageBuffer& displayedImage() const { return displayed_; }
    const imaging::ImageBuffer& backupImage() const { return backup_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // The displayed and backup images both become copies of `picture`.
    void takePicture(const imaging::ImageBuffer& picture);
    void showDisplayed();

    ImageView* picture_ = nullptr;
    QLineEdit* delayEntry_ = nullptr;
    QLabel* nightTime_ = nullptr;

    imaging::ImageBuffer received_;
    imaging::ImageBuffer displayed_;
    imaging::ImageBuffer backup_;
    QString openFileName_;  // where the open dialog starts
    bool fading_ = false;
    bool stopFade_ = false;  // the page was closed while it faded
};

}  // namespace keldar::ui
