#include "ui/app/ImageWalk.h"

namespace keldar::ui {

ImageWalkResult runImageWalk(ImageWalkHost& host, const ImageWalkOptions& options) {
    ImageWalkResult walk;
    walk.fileCount = host.fileCount();
    walk.fileIndex = host.selectedIndex();
    walk.countText = QString::number(walk.fileCount);
    walk.positionText = QString::number(walk.fileIndex + 1);

    // The last file selected is the file shown, loop or not: with the loop the step after it
    // (which leaves nothing selected) goes on from the first file. Without the loop the user
    // is told that the list ends here, and stepping stops.
    if (walk.positionText == walk.countText && !options.loop && !options.openSelected) {
        host.stopSlideshowAndSearch();
        host.information(kEndOfDirectoryMessage);
    }
    if (options.steppingBack && walk.positionText == QLatin1String("1") && !options.slideshowTicked)
        host.information(kStartOfDirectoryMessage);

    // Every file once, plus the attempt with nothing selected that starts a walk begun on
    // entering a directory and at most one pass over the end.
    const int attemptLimit = walk.fileCount + 2;
    do {
        const QString path = host.selectedPath();
        const bool firstAttempt = walk.attempts == 0;
        host.prepareAttempt(path);
        ++walk.attempts;
        const bool nothingSelected = path.isEmpty();
        walk.loaded = !nothingSelected && host.loadPicture(path);
        if (!walk.loaded && walk.fileCount > 0) {
            // A walk begun on entering a directory starts with nothing selected: that attempt
            // is no failure, so every file of the directory is tried once (a directory of one
            // picture shows it). Passing the end with nothing selected is a failure like any
            // other, unless the loop option goes straight on to the first file.
            if (!(nothingSelected && firstAttempt)) ++walk.failures;
            const int first = options.backward ? walk.fileCount - 1 : 0;  // where a walk starts
            const int last = options.backward ? 0 : walk.fileCount - 1;   // where it ends
            const int current = host.selectedIndex();
            int next = current < 0 ? first : current + (options.backward ? -1 : 1);
            if (next < 0 || next >= walk.fileCount) next = options.loop ? first : -1;
            if (walk.failures == walk.fileCount) {
                walk.endReached = true;
                // Without the loop the walk stops on the file at its end rather than on no
                // file, so the name field and the path line name the same file.
                if (options.loop) next = 0;
                else if (next < 0) next = last;
            }
            host.select(next);
            if (walk.endReached) {
                host.prepareAttempt(host.selectedPath());
                if (!options.loop) host.warning(kNoMoreImagesMessage);
            }
        }
        if (walk.fileCount == 0) host.warning(kNoImageFilesMessage);
    } while (walk.fileCount != 0 && !walk.endReached && !walk.loaded && walk.attempts < attemptLimit);
    // The counter names the entry the walk ended on, the one shown: not the entry it started
    // from (nothing, after a step past the last file), nor one it passed.
    if (const int shown = host.selectedIndex(); shown >= 0) {
        walk.fileIndex = shown;
        walk.positionText = QString::number(shown + 1);
    }
    return walk;
}

}  // namespace keldar::ui
