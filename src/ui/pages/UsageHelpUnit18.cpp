#include "ui/pages/UsageHelpUnit18.h"

namespace keldar::ui {

TForm18::TForm18(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm18"),
           QStringLiteral("Usage"), QSize(480, 360), ScreenFitMode::None) {
    // Only the window exists so far; its controls and actions are not built yet.
    fitToScreen();
}

}  // namespace keldar::ui
