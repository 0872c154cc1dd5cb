#include "ui/pages/QuickStartHelpUnit28.h"

namespace keldar::ui {

TForm28::TForm28(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm28"),
           QStringLiteral("Quick Start Help"), QSize(480, 360), ScreenFitMode::Full) {
    // Only the window exists so far; its controls and actions are not built yet.
    fitToScreen();
}

}  // namespace keldar::ui
