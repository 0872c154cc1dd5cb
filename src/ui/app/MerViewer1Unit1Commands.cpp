// The main window over time and its menu commands: the autoshow step and the stereo
// hand-offs, the startup tick, the slideshow, the directories timer, and the commands of the
// main menu that the window carries out itself.

#include <QAbstractButton>
#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QListView>
#include <QScreen>
#include <QTimer>

#include "ui/app/FileBrowser.h"
#include "ui/app/ImageConversion.h"
#include "ui/app/ImageView.h"
#include "ui/app/MenuCommands.h"
#include "ui/app/MerViewer1Unit1.h"
#include "ui/app/PrintCommand.h"
#include "ui/app/Workbench.h"
#include "ui/pages/ArchiveFetchUnit33.h"
#include "ui/pages/MovieUnit35.h"
#include "ui/pages/PanoramaUnit34.h"
#include "ui/pages/LabelUnit32.h"
#include "ui/colour/ColourAltUnit20.h"
#include "ui/pages/DirectoriesUnit22.h"
#include "ui/pages/FullSizeImageUnit17.h"
#include "ui/pages/HelpMenuUnit12.h"
#include "ui/pages/LargeImageUnit7.h"
#include "ui/pages/MemorialUnit15.h"
#include "ui/pages/PlayUnit30.h"
#include "ui/pages/SlideshowDelayUnit16.h"
#include "ui/pages/SunsetUnit21.h"
#include "ui/pages/TraverseMapViewer.h"
#include "ui/pages/TraverseMapsUnit6.h"
#include "ui/search/BirthdaySearchUnit14.h"
#include "ui/search/SOLsearchUnit23.h"
#include "ui/stereo/ColourUnit19.h"
#include "ui/stereo/StereoHandOff.h"
#include "ui/stereo/StereoUnit2.h"

namespace keldar::ui {

using platform::ThreadPriority;

// --- The stereo hand-offs ---

// The autoshow step runs inside the Data action; an error in it (a partner that will not
// decode) ends the action that ran it and reaches the general error handler, so the display
// conversion after it does not run.
void TForm1::runAutoshowStep() { ui::runAutoshowStep(workbench_); }
void TForm1::runStereoHandOff() { ui::runStereoHandOff(workbench_); }
void TForm1::runManualStereoHandOff() { ui::runManualStereoHandOff(workbench_); }
void TForm1::runStereoAction() { ui::runStereoAction(workbench_); }

// --- Timers ---

void TForm1::onTimer1Timeout() {
    // A box opened by a step (or by its error) keeps the event loop turning; the ticks that
    // come meanwhile must not run a second step inside the first.
    if (timer1Busy_) return;
    timer1Busy_ = true;
    runGuarded([this] { onTimer1Tick(); });
    timer1Busy_ = false;
}

void TForm1::onTimer1Tick() {
    if (!state_.startupDone) runStartupTick();
    runSlideshowStep();
}

void TForm1::runStartupTick() {
    // Done first, so that a step that fails here is reported once and not at every tick.
    state_.startupDone = true;
    workbench_.largeImagePage().setPicture(image1_->sharedPicture());
    // A missing map directory is an ordinary place to start, not a reason to end the program:
    // its page says so when asked for a map.
    pointTraverseMapPages(workbench_, state_.directoryText.isEmpty() ? browser_->directory() : state_.directoryText);
    choosePriority(ThreadPriority::Lower);
    show();
}

void TForm1::runSlideshowStep() {
    if (!state_.options.slideshowRunning) return;
    // Setting an interval restarts the timer: the same one again would put every tick back by
    // the time the tick before was late.
    if (timer1_->interval() != state_.slideshowDelay) timer1_->setInterval(state_.slideshowDelay);
    selectFile(selectedFileIndex() + 1);
    runImageAction();
    runDisplayConversion();
}

void TForm1::onTimer2Tick() {
    timer2_->stop();
    showDirectoriesPage();
}

// --- The slideshow ---

void TForm1::onSlideshowBoxClicked() {
    toggleSlideshow();
    if (slideshowBox_->isChecked()) timer1_->start();
}

void TForm1::setSlideshowMarks(bool running, bool movies) {
    state_.options.slideshowRunning = running;
    state_.options.movies = movies;
    syncMenuMarks();
    // The box shows the mark whichever control changed it (the large-image page's button, the
    // menu), so a click on the box always means what its tick shows.
    slideshowBox_->setChecked(running);
}

void TForm1::toggleSlideshow() {
    const SlideshowMarks marks = toggledSlideshow({state_.options.slideshowRunning, state_.options.movies});
    setSlideshowMarks(marks.running, marks.movies);
    if (marks.running) timer1_->start();
    workbench_.largeImagePage().showPage();
}

void TForm1::startMovies() {
    const SlideshowMarks marks = toggledMovies({state_.options.slideshowRunning, state_.options.movies});
    timer1_->stop();
    state_.slideshowDelay = kMoviesDelay;
    timer1_->setInterval(kMoviesDelay);
    timer1_->start();
    setSlideshowMarks(marks.running, marks.movies);
    workbench_.largeImagePage().showPage();
}

void TForm1::showSlideshowDelayPage() {
    // The slideshow pauses; its mark stays, so the user restarts it through the menu.
    timer1_->stop();
    state_.slideshowDelay = timer1_->interval();
    workbench_.slideshowDelayPage().showDelayPage();
}

// --- Options ---

void TForm1::choosePriority(ThreadPriority priority) {
    // A refused change (raising needs privileges) still moves the mark: the menu shows the
    // user's choice.
    platform_.setThreadPriority(priority);
    state_.priorityChoice = priority;
    syncMenuMarks();
}

void TForm1::setFileListFontSize(int points) {
    QListView* list = browser_->fileList();
    QFont font = list->font();
    if (font.pointSize() == points) return;
    font.setPointSize(points);
    list->setFont(font);
}

void TForm1::togglePrintClipboardSwitch() { setPrintClipboardSwitch(!state_.options.printClipboardSwitch); }

void TForm1::setPrintClipboardSwitch(bool on) {
    setOption(&ViewerOptions::printClipboardSwitch, on);
    const QString caption = printButtonCaption(on);
    const QString name = QStringLiteral("Button2");
    // The large-image page's button may not be built in every configuration: only the
    // buttons that exist change.
    QAbstractButton* buttons[] = {findChild<QAbstractButton*>(QStringLiteral("Button6")),
                                  workbench_.stereoViewer().findChild<QAbstractButton*>(name),
                                  workbench_.largeImagePage().findChild<QAbstractButton*>(name)};
    for (QAbstractButton* button : buttons)
        if (button != nullptr) button->setText(caption);
}

void TForm1::toggleAutoRgb() {
    const bool on = !state_.options.autoRgb;
    state_.options.autoRgb = on;
    state_.options.forceManualColour = !on;
    syncMenuMarks();
}

void TForm1::toggleForceManualColour() {
    const bool on = !state_.options.forceManualColour;
    state_.options.forceManualColour = on;
    state_.options.autoRgb = !on;
    syncMenuMarks();
}

// --- Commands ---

void TForm1::runPrintButton() { runPrintCommand(workbench_, *this); }

void TForm1::showScreenResolution() {
    const QScreen* current = screen();
    const QSize size = current != nullptr ? current->size() : QSize();
    platform_.plainMessage(this, screenResolutionText(size));
}

void TForm1::openNotesFile() {
    const QString path = homeFilePath(state_.homeDirectory, kNotesFileName);
    // The desktop's editors do not open a file that is not there: an empty one is made first.
    if (!QFileInfo::exists(path)) {
        QFile notes(path);
        if (!notes.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            platform_.warning(this, QStringLiteral("Cannot create the notes file ") + path + QStringLiteral(": ") +
                                        notes.errorString());
            return;
        }
    }
    platform_.openDocument(path);
}

void TForm1::startOutsideProgram(const QString& name) {
    const QString program = findOutsideProgram(state_.homeDirectory, name);
    if (!program.isEmpty()) platform_.startProgram(program, {});
}

void TForm1::runStitcherProgram() {
    // A Linux desktop's stitcher is Hugin's, given the frames of the shown image's sequence.
    const QString hugin = platform_.findProgram(kDesktopStitcherProgram);
    if (hugin.isEmpty()) {
        startOutsideProgram(kStitcherProgram);
        return;
    }
    platform_.startProgram(hugin, sequenceFramesOf(state_.currentFilePath));
}
void TForm1::runAviBuilderProgram() {
    // Without the old movie builder in the home directory, the workbench makes the movie itself.
    if (findOutsideProgram(state_.homeDirectory, kAviBuilderProgram).isEmpty()) {
        showMoviePage();
        return;
    }
    startOutsideProgram(kAviBuilderProgram);
}

void TForm1::showFullSizeImage() { workbench_.fullSizeImagePage().showImage(toQImage(image1_->picture())); }
void TForm1::showLargeSizeImage() { workbench_.largeImagePage().showImage(toQImage(image1_->picture())); }
void TForm1::showAnaglyphPage() { workbench_.anaglyphPage().showPage(); }
void TForm1::showColourPage() { workbench_.colourComposer().showPage(); }
void TForm1::runColourAction() { workbench_.colourComposer().passCurrentImage(); }

void TForm1::showSolSearcher() { workbench_.solSearcher().openSearcher(); }

void TForm1::showBirthdaySearcher() { workbench_.birthdaySearcher().openSearcher(); }

void TForm1::showDirectoriesPage() { workbench_.directoriesPage().showPage(); }

void TForm1::showSunsetPage() { workbench_.sunsetPage().handOver(image1_->picture(), state_.currentFilePath); }

void TForm1::showTraverseMaps() { workbench_.traverseMapsPage().showPage(); }

void TForm1::showHelpMenu() { workbench_.helpMenuPage().showPage(); }
void TForm1::startMemorial() { workbench_.memorialPage().startMemorial(); }
void TForm1::showPlayPage() { workbench_.playPage().showPage(); }

void TForm1::showLabelPage() {
    workbench_.labelPage().showLabelOf(state_.currentFilePath);
    workbench_.labelPage().showPage();
}

void TForm1::showPanoramaPage() { workbench_.panoramaPage().openFor(state_.currentFilePath); }

void TForm1::showMoviePage() { workbench_.moviePage().openFor(state_.currentFilePath); }

void TForm1::showArchiveFetchPage() { workbench_.archiveFetchPage().openPage(); }

}  // namespace keldar::ui
