#include "ui/app/ImageWalk.h"

namespace keldar::ui {

ImageWalkResult runImageWalk(ImageWalkHost& host, const ImageWalkOptions& options) {
    ImageWalkResult walk;
    walk.fileCount = host.fileCount();
    walk.fileIndex = host.selectedIndex();
    walk.countText = QString::number(walk.fileCount);
    walk.positionText = QString::number(walk.fileIndex + 1);

    if (walk.positionText == walk.countText) {
        // The last file is selected: the check comes before the load.
        if (options.loop) {
            host.select(0);
        } else {
            host.stopSlideshowAndSearch();
            host.information(kEndOfDirectoryMessage);
        }
    }
    if (options.steppingBack && walk.positionText == QLatin1String("1") && !options.slideshowTicked)
        host.information(kStartOfDirectoryMessage);

    // Every file once, plus at most one attempt with nothing selected per pass over the end.
    const int attemptLimit = walk.fileCount + 2;
    do {
        const QString path = host.selectedPath();
        host.prepareAttempt(path);
        ++walk.attempts;
        const bool counted = !path.isEmpty();
        walk.loaded = counted && host.loadPicture(path);
        if (!walk.loaded && walk.fileCount > 0) {
            const int next = host.selectedIndex() + 1;
            host.select(next < walk.fileCount ? next : -1);
            if (counted) ++walk.failures;
            if (walk.failures == walk.fileCount) {
                walk.endReached = true;
                if (options.loop) host.select(0);
                else host.warning(kNoMoreImagesMessage);
            }
        }
        if (walk.fileCount == 0) host.warning(kNoImageFilesMessage);
    } while (walk.fileCount != 0 && !walk.endReached && !walk.loaded && walk.attempts < attemptLimit);
    return walk;
}

}  // namespace keldar::ui
