#include "ui/pages/SunsetUnit21.h"

namespace keldar::ui {

TForm21::TForm21(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm21"),
           QStringLiteral("Sunset"), QSize(480, 360), ScreenFitMode::Full) {
    // Only the window exists so far; its controls and actions are not built yet.
    fitToScreen();
}

}  // namespace keldar::ui
