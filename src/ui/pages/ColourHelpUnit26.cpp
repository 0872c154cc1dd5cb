#include "ui/pages/ColourHelpUnit26.h"

namespace keldar::ui {

TForm26::TForm26(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm26"),
           QStringLiteral("Help on how to make a Colour composite image"), QSize(480, 360), ScreenFitMode::Full) {
    // Only the window exists so far; its controls and actions are not built yet.
    fitToScreen();
}

}  // namespace keldar::ui
