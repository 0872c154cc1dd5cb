#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <QImage>
#include <QSize>

#include "movie/MovieEncoder.h"
#include "ui/app/Page.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QThread;
class QTimer;

namespace keldar::ui {

// The movie page: the frames of the shown picture's sequence played in the page and made into
// a movie by ffmpeg, both prepared off the user-interface thread, saved under
// ImageCategories/Movies.
class TForm35 : public Page {
    Q_OBJECT
public:
    TForm35(Workbench& workbench, platform::Platform& platform);
    ~TForm35() override;

    // Shows the page for the sequence of the picture at `path`.
    void openFor(const QString& path);
    // --- The commands of the buttons ---
    void startPreview();  // "Preview"
    void startMovie();    // "Make movie"
    void cancelWork();    // "Cancel"
    bool working() const { return thread_ != nullptr; }

    const movie::MoviePlan& plan() const { return plan_; }
    QString statusText() const;
    QString lastSavedPath() const { return lastSaved_; }
    int previewFrameCount() const { return static_cast<int>(previewFrames_.size()); }
    int shownPreviewFrame() const { return shownFrame_; }

signals:
    void previewFinished();
    void movieFinished();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    enum class Work { None, Preview, Movie };

    movie::MovieOptions chosenOptions() const;
    movie::Format chosenFormat() const;
    void showPlan();
    void enableControls();
    void dropPreview();
    void showPreviewFrame(int index);
    void showNextPreviewFrame();
    void showProgress(int done, int total, const std::string& stage);
    void runWorker(const std::function<void()>& work);
    void finishWork();
    void finishPreview();
    void finishMovie();

    QLabel* sequence_ = nullptr;        // Label1
    QListWidget* frames_ = nullptr;     // ListBox1
    QSpinBox* rate_ = nullptr;          // SpinEdit1
    QComboBox* look_ = nullptr;         // ComboBox1
    QCheckBox* caption_ = nullptr;      // CheckBox1
    QComboBox* format_ = nullptr;       // ComboBox2
    QLabel* picture_ = nullptr;         // Image1
    QProgressBar* progress_ = nullptr;  // ProgressBar1
    QLabel* status_ = nullptr;          // Label2
    QPushButton* preview_ = nullptr;    // Button1
    QPushButton* make_ = nullptr;       // Button2
    QPushButton* cancel_ = nullptr;     // Button3
    QTimer* player_ = nullptr;          // Timer1

    movie::MoviePlan plan_;
    char rover_ = 0;
    bool ffmpegFound_ = false;
    std::vector<QImage> previewFrames_;
    int shownFrame_ = -1;

    Work work_ = Work::None;
    QThread* thread_ = nullptr;
    std::atomic<bool> stop_{false};
    // What the worker hands back, set on this thread just before it finishes.
    std::vector<QImage> preparedFrames_;
    movie::MovieShape preparedShape_;
    std::string prepareError_;
    movie::MovieResult result_;
    QString destination_;
    int movieRate_ = 0;
    QString lastSaved_;
};

// The longest side of a preview frame; smaller frames are shown at their own size.
inline constexpr int kPreviewSide = 360;
// The size a frame of `shape` is previewed at: within kPreviewSide, never enlarged.
QSize previewSize(const movie::MovieShape& shape);
// A prepared frame (blue, green, red, packed rows) brought down to `size` for the preview.
QImage previewFrame(const std::uint8_t* pixels, const movie::MovieShape& shape, QSize size);
// The player's interval, in milliseconds, for `framesPerSecond`.
int previewInterval(int framesPerSecond);
// The frame after `shown` of `count`, back to the first after the last.
int nextPreviewFrame(int shown, int count);

// The name a movie of `firstFrame` is saved under in `directory`: the frame's identifier,
// "-movie-", the first two-digit counter whose file is not there, and the format's extension.
QString movieSaveName(const QString& directory, const std::string& firstFrame, movie::Format format);

}  // namespace keldar::ui
