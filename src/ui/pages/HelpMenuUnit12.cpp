#include "ui/pages/HelpMenuUnit12.h"

namespace keldar::ui {

TForm12::TForm12(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm12"),
           QStringLiteral("Help on software usage."), QSize(480, 360), ScreenFitMode::WithoutFonts) {
    // Only the window exists so far; its controls and actions are not built yet.
    fitToScreen();
}

}  // namespace keldar::ui
