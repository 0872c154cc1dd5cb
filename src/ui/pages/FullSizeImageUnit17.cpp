#include "ui/pages/FullSizeImageUnit17.h"

namespace keldar::ui {

TForm17::TForm17(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm17"),
           QStringLiteral("Full size image"), QSize(480, 360), ScreenFitMode::Full) {
    // Only the window exists so far; its controls and actions are not built yet.
    fitToScreen();
}

}  // namespace keldar::ui
