#pragma once

#include <atomic>
#include <optional>
#include <string>
#include <vector>

#include "panorama/PanoramaStitch.h"
#include "ui/app/Page.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QThread;

namespace keldar::ui {

// The panorama page: the frames of the shown image's sequence stitched (or stitched as an
// anaglyph of both eyes) off the user-interface thread, shown full size and saved under
// ImageCategories/Panoramas.
class TForm34 : public Page {
    Q_OBJECT
public:
    TForm34(Workbench& workbench, platform::Platform& platform);
    ~TForm34() override;

    // Shows the page for the sequence of the picture at `path`.
    void openFor(const QString& path);
    // --- The commands of the buttons ---
    void startStitch(bool anaglyph);  // "Stitch panorama" / "Stitch anaglyph panorama"
    void cancelStitch();              // "Cancel"
    bool stitching() const { return thread_ != nullptr; }

    QString statusText() const;
    QString lastSavedPath() const { return lastSaved_; }
    bool stereoOffered() const;

signals:
    void stitchFinished();

private:
    void showProgress(const panorama::PanoramaProgress& progress);
    void finishStitch();
    void showSelection();

    QLabel* sequence_ = nullptr;        // Label1
    QProgressBar* progress_ = nullptr;  // ProgressBar1
    QLabel* status_ = nullptr;          // Label2
    QPushButton* stitch_ = nullptr;     // Button1
    QPushButton* anaglyph_ = nullptr;   // Button2
    QPushButton* cancel_ = nullptr;     // Button3

    QString directory_;
    std::vector<std::string> pictures_;
    panorama::FrameRequest request_;
    panorama::FrameSelection selection_;
    bool runningAnaglyph_ = false;

    QThread* thread_ = nullptr;
    std::atomic<bool> stop_{false};
    panorama::PanoramaResult result_;
    QString lastSaved_;
};

// The name a panorama of `firstFrame` is saved under in `directory`: the frame's identifier,
// "-panorama" or "-anaglyph-panorama", and the first two-digit counter whose file is not there.
QString panoramaSaveName(const QString& directory, const std::string& firstFrame, bool anaglyph);

}  // namespace keldar::ui
