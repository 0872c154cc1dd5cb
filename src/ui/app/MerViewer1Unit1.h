#pragma once

#include <functional>
#include <utility>
#include <vector>

#include <QMainWindow>

#include "platform/Platform.h"
#include "ui/app/ViewerState.h"

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace keldar::ui {

class FileBrowser;
class ImageView;
class Workbench;

// The main window: the file browser, the current image, its decoded fields and times, the
// main menu; it owns the viewer state that every page reads.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    TForm1(Workbench& workbench, platform::Platform& platform);
    ~TForm1() override;

    const ViewerState& viewerState() const { return state_; }
    // Pages set the flags they own (stepping back, show-stereo, slideshow delay ...).
    ViewerState& viewerState() { return state_; }

    FileBrowser& fileBrowser() const { return *browser_; }
    ImageView& mainImage() const { return *image1_; }

    // --- Named actions (the hidden buttons run these) ---
    // Loads the selected file (or the next loadable one), then the Data action and the
    // display conversion. Throws when a file cannot be opened; see runGuarded().
    void runImageAction();
    void runDataAction();
    void runDisplayConversion();  // "BufrScan"
    void runTimeZoneAction();
    void runStereoHandOff();        // "Stereo" (hidden): fills the stereo pair viewer
    void runManualStereoHandOff();  // "Manual Stereo": fills the manual stereo selection
    void runStereoAction();         // the visible "Stereo" button
    void showLargeImage();          // "Large Image"
    void closeProgram();

    // --- The browser, for the pages that drive the main window ---
    // Enters `path` (nothing happens when it is already shown); throws when it cannot be read.
    void setDirectory(const QString& path);
    // Reads the process's working directory, as at start.
    void enterStartDirectory();
    // Sets the file-list selection by program: no action runs (-1 clears it).
    void selectFile(int index);
    int selectedFileIndex() const;

    // --- Menu check marks ---
    void setOption(bool ViewerOptions::*option, bool on);
    // The menu item with the given object name (nullptr when there is none).
    QAction* menuItem(const QString& name) const;
    // Slideshow timer off, "Slideshow" unticked, "Slideshow Start / Stop" unchecked.
    void stopSlideshow();

    // Runs an action as a user event does: an escaping error is shown in an error box.
    bool runGuarded(const std::function<void()>& action);

signals:
    // The current, home and category directories were set again (every load attempt).
    void directoriesChanged();
    // The walk stopped at the end of the list with the loop option off; searches stop.
    void walkStoppedAtEnd();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    friend class MainWindowWalk;
    struct MenuEntry;
    void buildControls();
    QWidget* buildDisplayPanel();
    void buildMenu();
    void syncMenuMarks();
    void showDisplays();
    void showFilePath();
    bool loadPicture(const QString& path);
    void prepareLoadAttempt(const QString& path);
    void copyToLargeImagePage();

    // Places where the later parts of the viewer plug in.
    void runAutoshowStep();
    void onTimer1Tick();
    void onTimer2Tick();

    // Menu commands that the main window carries out itself.
    void showMartianTimePage();
    void toggleOption(bool ViewerOptions::*option);

    Workbench& workbench_;
    platform::Platform& platform_;
    ViewerState state_;
    bool startDirectoryRead_ = false;

    FileBrowser* browser_ = nullptr;
    ImageView* image1_ = nullptr;
    QLabel* label1_ = nullptr;
    QLineEdit* edit2_ = nullptr;
    QLabel* stereoStatus_ = nullptr;
    std::vector<std::pair<QLabel*, QString MainDisplays::*>> displayLabels_;
    QCheckBox* slideshowBox_ = nullptr;     // CheckBox3
    QCheckBox* printClipboardBox_ = nullptr;  // CheckBox4
    QTimer* timer1_ = nullptr;
    QTimer* timer2_ = nullptr;
    std::vector<std::pair<QAction*, bool ViewerOptions::*>> optionItems_;
    std::vector<std::pair<QAction*, platform::ThreadPriority>> priorityItems_;
};

}  // namespace keldar::ui
