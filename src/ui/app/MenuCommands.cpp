#include "ui/app/MenuCommands.h"

#include <QDir>
#include <QFileInfo>

#include "core/panorama/PanoramaFrames.h"
#include "platform/FileNames.h"

namespace keldar::ui {

QString printButtonCaption(bool clipboardSwitchOn) { return clipboardSwitchOn ? kClipboardCaption : kPrintCaption; }

QString screenResolutionText(QSize screen) {
    return QStringLiteral("Screen Resolution ") + QString::number(screen.width()) + QStringLiteral(" x ") +
           QString::number(screen.height());
}

QString homeFilePath(const QString& homeDirectory, const QString& name) {
    const QDir home(homeDirectory.isEmpty() ? QDir::currentPath() : homeDirectory);
    return QDir::cleanPath(home.absoluteFilePath(name));
}

QString findOutsideProgram(const QString& homeDirectory, const QString& name) {
    QStringList candidates{name};
    if (name.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive)) candidates << name.chopped(4);
    for (const QString& candidate : candidates) {
        const QString path = homeFilePath(homeDirectory, candidate);
        if (QFileInfo(path).isFile()) return path;
    }
    return {};
}

QStringList sequenceFramesOf(const QString& path) {
    const std::optional<panorama::FrameRequest> request =
        panorama::requestForFrame(platform::fileNameToBytes(path).toStdString());
    if (!request) return {};
    std::string error;
    const std::vector<std::string> pictures = panorama::directoryPictures(
        platform::fileNameToBytes(QFileInfo(path).absolutePath()).toStdString(), error);
    const panorama::FrameSelection selection = panorama::selectFrames(pictures, *request);
    QStringList frames;
    if (selection.ok())
        for (const panorama::PanoramaFrame& frame : selection.frames)
            frames << platform::fileNameFromBytes(QByteArray::fromStdString(frame.path));
    return frames;
}

SlideshowMarks toggledSlideshow(SlideshowMarks marks) {
    if (marks.running) return {false, false};
    return {true, marks.movies};
}

SlideshowMarks toggledMovies(SlideshowMarks marks) { return {true, !marks.movies}; }

}  // namespace keldar::ui
