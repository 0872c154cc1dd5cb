#pragma once
// The directory walk of the Image action: which file of the list gets loaded, how files that
// are not pictures are skipped, and which messages the user sees at the ends of the list.
// No widgets: the main window is the host that owns the list and the image.

#include <QString>

namespace keldar::ui {

inline const QString kEndOfDirectoryMessage =
    QStringLiteral("End of directory, no more images in this directory !");
inline const QString kStartOfDirectoryMessage = QStringLiteral("Start of directory !");
inline const QString kNoMoreImagesMessage = QStringLiteral("Invalid image Load attempt! No more images");
inline const QString kNoImageFilesMessage =
    QStringLiteral("No valid image filetypes (BMP, JPG) found in this directory !");

class ImageWalkHost {
public:
    virtual ~ImageWalkHost() = default;
    virtual int fileCount() = 0;
    virtual int selectedIndex() = 0;         // -1 when no entry is selected
    virtual void select(int index) = 0;      // -1 clears; a change by the program
    virtual QString selectedPath() = 0;      // "" when no entry is selected
    // Records the file about to be tried (path, directory, home and category directories).
    virtual void prepareAttempt(const QString& path) = 0;
    // True when the picture was loaded into the main image, false when the file is not a
    // loadable picture. Throws when the file cannot be opened at all: the walk ends there.
    virtual bool loadPicture(const QString& path) = 0;
    virtual void stopSlideshowAndSearch() = 0;
    virtual void information(const QString& text) = 0;
    virtual void warning(const QString& text) = 0;
};

struct ImageWalkOptions {
    bool loop = true;              // "Check Loop Slideshow"
    bool steppingBack = false;     // set by the pages' "Previous" buttons
    bool slideshowTicked = false;  // the "Slideshow" check box
    // The selection moved up the list (the Up key, a "Previous" button): a file that fails
    // moves the walk further up, so the user can step back past it.
    bool backward = false;
    // A file being opened (from the command line) is shown even when it is the last one: the
    // end-of-list rule is for stepping through the list.
    bool openSelected = false;
};

struct ImageWalkResult {
    int fileCount = 0;
    int fileIndex = 0;         // the entry the walk ended on (as taken at its start when none)
    QString countText = QStringLiteral("0");
    QString positionText = QStringLiteral("0");
    int attempts = 0;
    int failures = 0;
    bool loaded = false;
    bool endReached = false;
};

// Loads the selected file, or the next loadable one, giving up after as many failures as
// there are files. The last file selected is loaded like any other; with the loop option a
// walk that starts past the end (nothing selected after a step forward from the last file)
// or fails past it goes on from the first. Without it, the last file is announced, passing
// the end with nothing selected is a failure, and a walk that gives up stays on the file
// reached (the last one rather than none). The attempt with nothing selected that starts a
// walk begun on entering a directory is not a failure, so every file is tried once. A walk
// going backward moves up the list on a failure and passes the top as a walk down passes the
// end.
ImageWalkResult runImageWalk(ImageWalkHost& host, const ImageWalkOptions& options);

}  // namespace keldar::ui
