#include "ui/stereo/ManualStereoUnit11.h"

namespace keldar::ui {

TForm11::TForm11(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm11"),
           QStringLiteral("Manual Stereo Viewing Filter Selection"), QSize(480, 360), ScreenFitMode::Full) {
    // Only the window exists so far; its controls and actions are not built yet.
    fitToScreen();
}

}  // namespace keldar::ui
