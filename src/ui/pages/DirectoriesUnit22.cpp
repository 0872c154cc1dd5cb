#include "ui/pages/DirectoriesUnit22.h"

namespace keldar::ui {

TForm22::TForm22(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm22"),
           QStringLiteral("Keldar 2007 Directories"), QSize(480, 360), ScreenFitMode::Full) {
    // Only the window exists so far; its controls and actions are not built yet.
    fitToScreen();
}

}  // namespace keldar::ui
