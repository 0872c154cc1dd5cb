#pragma once
// What the main window hands to the stereo pages, as free functions over the workbench so
// that the main window's hidden buttons, its Stereo button, the autoshow step and the
// pages' own step commands all run the same code.
//
// Wiring in the main window (each line is the whole body):
//   TForm1::runStereoHandOff()       -> ui::runStereoHandOff(workbench_);
//   TForm1::runManualStereoHandOff() -> ui::runManualStereoHandOff(workbench_);
//   TForm1::runStereoAction()        -> ui::runStereoAction(workbench_);
//   TForm1::runAutoshowStep()        -> ui::runAutoshowStep(workbench_);
// A main window that keeps its own Stereo action or autoshow step builds them from
// loadStereoPartner()/loadStereoPartners() and runStereoHandOff().
//
// Partner files: the directory text, "/", the partner's name (the decoded identifier's
// right-eye or left-eye name) and ".jpg"; ".JPG" is tried as well, since Linux file names
// respect case and the archive publishes upper-case extensions. A partner kept as a bitmap
// is not looked for.
//
// Errors: a partner that exists but cannot be decoded throws std::runtime_error with a
// message naming the file; callers run these functions guarded (TForm1::runGuarded or
// platform::runGuarded), so the message is shown and the program goes on.

#include <QString>

namespace keldar::ui {

class Workbench;
struct ViewerState;

enum class StereoEye { Right, Left };

inline const QString kRightEyeFileMissing = QStringLiteral("RIGHT EYE FILE MISSING");
inline const QString kLeftEyeFileMissing = QStringLiteral("LEFT EYE FILE MISSING");
inline const QString kMonoscopicMessage = QStringLiteral("Monoscopic image, Stereo View Impossible!");

// The partner file of `eye` for the current image, or "" when there is none on disk.
QString stereoPartnerFile(const ViewerState& state, StereoEye eye);

// The file line the hand-off writes for a partner that was found: the file's own name when
// it is on disk (".JPG" stays ".JPG", so "Anaglyph This" finds it again), else name + ".jpg".
QString stereoPartnerFileLine(const ViewerState& state, StereoEye eye);

// Loads the partner of `eye` into the stereo viewer's view for that eye (image 1 right,
// image 2 left). True when it was found and loaded; false when there is no such file, and
// then the view keeps what it held. Throws when the file exists but is not a readable picture.
bool loadStereoPartner(Workbench& workbench, StereoEye eye);

// Right eye, then left eye; right-eye found and left-eye found become the results.
void loadStereoPartners(Workbench& workbench);

// The Stereo hand-off: fills the stereo viewer's lines from the viewer state, hides the
// view of a partner that was not found ("RIGHT EYE FILE MISSING" / "LEFT EYE FILE MISSING")
// and shows the viewer when the show-stereo flag is set. It loads no image.
void runStereoHandOff(Workbench& workbench);

// The Manual Stereo hand-off: sets the show-stereo flag, unchecks "Check Stereo Autoshow",
// copies the main image and its facts into the manual stereo selection and shows it.
void runManualStereoHandOff(Workbench& workbench);

// The Stereo action (the main window's "Stereo" button): runs the Image action, sets the
// show-stereo and both found flags, refuses a monoscopic image with an information box,
// otherwise loads both partners, fills the directory and filter lines and runs the hand-off.
void runStereoAction(Workbench& workbench);

// The autoshow step (last step of the Data action when "Check Stereo Autoshow" is on): loads
// both partners; with both found sets the show-stereo flag and runs the hand-off. Otherwise
// the file-list selection stays on the image shown, so no entry is passed over.
void runAutoshowStep(Workbench& workbench);

}  // namespace keldar::ui
