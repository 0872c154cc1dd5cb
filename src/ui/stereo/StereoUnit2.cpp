#include "ui/stereo/StereoUnit2.h"

namespace keldar::ui {

TForm2::TForm2(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm2"),
           QStringLiteral("MER Images Stereo Viewer"), QSize(480, 360), ScreenFitMode::Full) {
    // Only the window exists so far; its controls and actions are not built yet.
    fitToScreen();
}

}  // namespace keldar::ui
