#pragma once
// The small decisions behind the main menu's commands, kept apart from the window so that
// they can be checked on their own: texts, file places and the slideshow marks.

#include <QSize>
#include <QString>
#include <QStringList>

namespace keldar::ui {

inline const QString kNotesFileName = QStringLiteral("Keldar2007notes.txt");
inline const QString kStitcherProgram = QStringLiteral("autostitch.exe");
// The panorama stitcher of a Linux desktop, found through the search path of programs.
inline const QString kDesktopStitcherProgram = QStringLiteral("hugin");
inline const QString kAviBuilderProgram = QStringLiteral("AVIBuilder.exe");
inline const QString kPrintCaption = QStringLiteral("Print");
inline const QString kClipboardCaption = QStringLiteral("Clipboard");
// The slideshow delay, in milliseconds, of "Let's go to the movies".
inline constexpr int kMoviesDelay = 10;

// The caption of every print button for this state of the print/clipboard switch.
QString printButtonCaption(bool clipboardSwitchOn);

// "Screen Resolution 1280 x 1024".
QString screenResolutionText(QSize screen);

// `name` in the home directory; with no home directory yet, in the working directory.
QString homeFilePath(const QString& homeDirectory, const QString& name);

// The outside program `name` ("autostitch.exe") in the home directory: the literal name
// first, then the name without ".exe", as a Linux build of it would be called. "" when
// neither is there.
QString findOutsideProgram(const QString& homeDirectory, const QString& name);

// The pictures of the sequence the picture `path` is a frame of (same rover, camera, sequence,
// eye and filter), from its directory in the order they were taken; none when it is no frame
// of a sequence of two or more.
QStringList sequenceFramesOf(const QString& path);

// The check marks "Slideshow Start / Stop" and "Let's go to the movies".
struct SlideshowMarks {
    bool running = false;
    bool movies = false;
    friend bool operator==(const SlideshowMarks&, const SlideshowMarks&) = default;
};

// "Slideshow Start / Stop": a running slideshow stops and takes the movie mark with it,
// a stopped one starts.
SlideshowMarks toggledSlideshow(SlideshowMarks marks);

// "Let's go to the movies": its own mark turns over and the slideshow runs either way.
SlideshowMarks toggledMovies(SlideshowMarks marks);

}  // namespace keldar::ui
