#include "ui/pages/MenuHelpUnit25.h"

namespace keldar::ui {

TForm25::TForm25(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm25"),
           QStringLiteral("Help on Menu Selections"), QSize(480, 360), ScreenFitMode::Full) {
    // Only the window exists so far; its controls and actions are not built yet.
    fitToScreen();
}

}  // namespace keldar::ui
