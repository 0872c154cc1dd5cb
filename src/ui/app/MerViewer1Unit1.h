#pragma once

#include <array>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include <QMainWindow>

#include "platform/Platform.h"
#include "ui/app/ImageConversion.h"
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
class PicturePrefetch;
struct ViewTarget;
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
    // Reads the next picture of the walk ahead of the step that shows it.
    // Waits until the pictures read ahead are read.
    void waitForReadAhead() const;

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
    void runColourAction();         // the "Colour" button: the current image to the colour composer
    void showLargeImage();          // "Large Image"
    void closeProgram();

    // --- The browser, for the pages that drive the main window ---
    // Enters `path` (nothing happens when it is already shown); throws when it cannot be read.
    void setDirectory(const QString& path);
    // Where the browser starts instead of the working directory (the path given on the command
    // line): a directory is entered; for a file its directory is entered with the file selected
    // and shown. A path that does not exist is reported once and the start is as without one.
    // `path` is in the FileNames form; it takes effect when the start directory is read.
    void openInitialPath(const QString& path);
    // Reads the start directory: the initial path when one was given, else the process's
    // working directory.
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
    // "Slideshow Start / Stop": turns its mark over (stopping clears "Let's go to the
    // movies"), switches the slideshow timer on when the mark is now set, and shows the
    // large-image page, which the slideshow keeps filled.
    void toggleSlideshow();
    // Sets the print/clipboard switch and the captions of the three print buttons.
    void setPrintClipboardSwitch(bool on);

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
    void runImageWalkAction(bool openSelected);
    // False when `path` cannot be reached (reported); throws when it cannot be entered.
    bool enterInitialPath(const QString& path);
    // On entering a directory: the Image action, on the initial file when it is there.
    void runEnteredAction();
    void copyToLargeImagePage();
    // Starts reading ahead the file a walk going the same way would try next.
    void prefetchNextPicture(bool backward);
    std::vector<ViewTarget> visibleViewTargets() const;

    // The autoshow step, the last step of the Data action while "Check Stereo Autoshow" is on.
    void runAutoshowStep();
    // Timer1: the startup tick once, then one slideshow step per tick. A tick that arrives
    // while the box of an earlier one is still open is passed over.
    void onTimer1Timeout();
    void onTimer1Tick();
    void runStartupTick();
    void runSlideshowStep();
    // Timer2: shows the directories page once.
    void onTimer2Tick();
    void onSlideshowBoxClicked();

    // Menu commands that the main window carries out itself.
    void showMartianTimePage();
    void showEarthVariablesPage();  // runs the page's "Display Time" first
    void showMartianCalendarPage();
    void showDataDecodingPage();
    void showWebLinksPage();
    void toggleOption(bool ViewerOptions::*option);
    void choosePriority(platform::ThreadPriority priority);
    void setFileListFontSize(int points);
    void togglePrintClipboardSwitch();
    void runPrintButton();
    void showScreenResolution();
    void openNotesFile();
    void runStitcherProgram();
    void runAviBuilderProgram();
    void startOutsideProgram(const QString& name);
    void showSlideshowDelayPage();
    void startMovies();
    void showFullSizeImage();
    void showLargeSizeImage();
    void toggleAutoRgb();
    void toggleLowerCaseNames();  // "Accept lower-case archive names"; re-reads the image shown
    void toggleForceManualColour();
    void showAnaglyphPage();
    void showColourPage();
    void showSolSearcher();
    void showBirthdaySearcher();
    void showDirectoriesPage();  // "?" and "File" / "Directories"
    void showSunsetPage();       // "Sunset Sim fade": hands the current image over
    void showTraverseMaps();
    void setSlideshowMarks(bool running, bool movies);
    void showHelpMenu();
    void startMemorial();
    void showPlayPage();
    void showLabelPage();  // "PDS Label"
    void showArchiveFetchPage();  // "Fetch from the PDS archive..."
    void showPanoramaPage();      // "Panorama of this sequence"
    void showMoviePage();         // "Movie of this sequence..."

    Workbench& workbench_;
    platform::Platform& platform_;
    ViewerState state_;
    bool startDirectoryRead_ = false;
    QString initialPath_;  // absolute, until the start directory is read
    QString initialFile_;  // name within the directory being entered
    // The entry the last Image action ended on: a walk that starts above it goes up the list.
    int lastShownIndex_ = -1;

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
    // A step whose box is still open must not be entered again by the next tick.
    bool timer1Busy_ = false;
    std::vector<std::pair<QAction*, bool ViewerOptions::*>> optionItems_;
    std::vector<std::pair<QAction*, platform::ThreadPriority>> priorityItems_;
    // The next two pictures of the walk are read ahead, on a worker each, so that both cores
    // are busy in a fast walk (a search, the movies) and a second key press soon after the
    // first finds its picture ready: a file goes to the one of its place's parity in the list.
    std::array<std::unique_ptr<PicturePrefetch>, 2> prefetch_;
    // The picture the state's bitmaps were last copied from; pictures never change once made.
};

}  // namespace keldar::ui
