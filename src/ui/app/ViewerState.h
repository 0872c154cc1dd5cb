#pragma once
// The viewer state: the main window's record of the current file and directory, the home and
// category directories, the decoded identifier, the times, the menu options and the flags.
// One instance for the run, owned by the main window and read by every page. The display
// texts are held here; the main window's labels only show them.

#include <cstdint>
#include <optional>

#include <QString>

#include "core/decode/ProductIdentifier.h"
#include "core/imaging/ImageBuffer.h"
#include "core/time/CalendarTime.h"
#include "core/time/ImageData.h"
#include "core/time/MissionTime.h"
#include "platform/Platform.h"
#include "ui/app/ImageConversion.h"

namespace keldar::ui {

// The texts of the main window's right-hand side, with their design texts until the first
// Data action.
struct MainDisplays {
    QString filePositionText = QStringLiteral("File in Use");
    QString fileNameField = QStringLiteral("Edit2");
    QString roverText = QStringLiteral("Waiting");
    QString locationText = QStringLiteral("Waiting");
    QString cameraText = QStringLiteral("Waiting");
    QString clockDisplay = QStringLiteral("Waiting");
    QString productTypeText = QStringLiteral("Waiting");
    QString site = QStringLiteral("Waiting");
    QString drive = QStringLiteral("Waiting");
    QString sequence = QStringLiteral("14Waiting");
    QString categoryText = QStringLiteral("37Waiting");
    QString sequenceNumberDisplay = QStringLiteral("34Nil");
    QString sequenceRangeText = QStringLiteral("33Waiting");
    QString eyeText = QStringLiteral("15Waiting");
    // No text: no line (a name that is not a product).
    decode::StereoStatus stereoStatus{std::string(decode::kStereoPossible), decode::StatusColour::Green};
    QString filterText = QStringLiteral("22Waiting");
    QString producerText = QStringLiteral("23Waiting");
    QString versionText = QStringLiteral("24Waiting");
    QString identifierText = QStringLiteral("Current FileName");
    QString rightEyeNameText = QStringLiteral("Right Eye FileName");
    QString leftEyeNameText = QStringLiteral("Left Eye FileName");
    QString utcTimeText = QStringLiteral("Waiting");
    QString timeZoneText = QStringLiteral("Waiting");
    QString localTimeText = QStringLiteral("Waitimg");
    QString solText = QStringLiteral("0");
    QString marsTimeText = QStringLiteral("Waiting");
    QString transpiredSols = QStringLiteral("TRMD");
    QString transpiredHours = QStringLiteral("TRMH");
    QString transpiredMinutes = QStringLiteral("TRMM");
    QString transpiredSeconds = QStringLiteral("TRMS");
};

// The options that are check marks of the main menu, with their marks at start.
struct ViewerOptions {
    bool slideshowRunning = false;      // "Slideshow Start / Stop"
    bool printClipboardSwitch = false;  // "Check Print / Clipboard"
    bool stereoAutoshow = false;        // "Check Stereo Autoshow"
    bool thumbnailsAsFullsize = false;  // "Thumbnails as Fullsize"
    bool loop = true;                   // "Check Loop Slideshow"
    bool autoRgb = true;                // "Auto L4L5L6 RGB"
    bool forceManualColour = false;     // "Force Manual Colour"
    bool movies = false;                // "Let's go to the movies"
    bool acceptLowerCaseNames = false;  // "Accept lower-case archive names"
};

// The identifier record before the first file: "x" for single characters, "0" for the rest.
decode::DecodedIdentifier placeholderIdentifier();

struct ViewerState {
    // The top line of the main window; "" once a walk ran with no file selected.
    QString currentFilePath = QStringLiteral("Path and filename selected for display");
    QString currentDirectory;
    QString homeDirectory;
    bool homeCaptured = false;
    QString anaglyphDirectory, colourDirectory, allImagesDirectory, rgbDirectory;

    int fileCount = 0;
    int fileIndex = 0;
    QString countText = QStringLiteral("0");
    QString positionText = QStringLiteral("0");

    decode::DecodedIdentifier decoded = placeholderIdentifier();
    // clock value (the last that converted), current sol, and the rover text the next Mars
    // time computation starts from.
    time::CarriedState carried;
    QString eyeLetterVariable = QStringLiteral("x");
    MainDisplays displays;
    QString directoryText;  // the current directory as the Data action last saw it

    time::CalendarTime captureTime;
    time::CalendarTime localCaptureTime;
    // The published mission time of the current image; none when its name has no rover or clock.
    std::optional<time::MissionTime> missionRecord;
    time::MarsValues mars;  // seconds and sols since both landings, the last breakdown

    int slideshowDelay = 2000;  // milliseconds
    bool showStereo = false;
    bool rightEyeFound = false;
    bool leftEyeFound = false;
    bool steppingBack = false;
    bool startupDone = false;
    ViewerOptions options;
    platform::ThreadPriority priorityChoice = platform::ThreadPriority::Lower;  // its menu mark

    // Created with the main window; the display conversion fills them. Pictures never change
    // once made, so both share the main image's picture rather than copy it.
    SharedPicture sourceBitmap;
    SharedPicture displayBitmap;

    std::int32_t clockValue() const { return carried.clockValue; }
    std::int32_t currentSol() const { return carried.currentSol; }
};

// The category directories under a home directory, each ending in "/".
struct CategoryDirectories {
    QString anaglyphs, colour, allImages, rgb;
    QString panoramas;  // made by the panorama page; created when first needed
    QString movies;     // made by the movie page; created when first needed
};
CategoryDirectories categoryDirectoriesFor(const QString& homeDirectory);

}  // namespace keldar::ui
