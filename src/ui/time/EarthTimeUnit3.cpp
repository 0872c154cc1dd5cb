#include "ui/time/EarthTimeUnit3.h"

namespace keldar::ui {

TForm3::TForm3(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm3"),
           QStringLiteral("Various Time Variables and Constants relative to Earth"), QSize(480, 360), ScreenFitMode::Full) {
    // Only the window exists so far; its controls and actions are not built yet.
    fitToScreen();
}

}  // namespace keldar::ui
