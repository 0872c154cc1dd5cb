#include "ui/pages/MarsLinksUnit24.h"

namespace keldar::ui {

TForm24::TForm24(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm24"),
           QStringLiteral("Martian and Mars related links"), QSize(480, 360), ScreenFitMode::Full) {
    // Only the window exists so far; its controls and actions are not built yet.
    fitToScreen();
}

}  // namespace keldar::ui
