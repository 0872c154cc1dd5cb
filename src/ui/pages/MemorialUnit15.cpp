#include "ui/pages/MemorialUnit15.h"

namespace keldar::ui {

TForm15::TForm15(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm15"),
           QStringLiteral("Remember them"), QSize(480, 360), ScreenFitMode::Full) {
    // Only the window exists so far; its controls and actions are not built yet.
    fitToScreen();
}

}  // namespace keldar::ui
