#include "ui/colour/ColourAltUnit20.h"

namespace keldar::ui {

TForm20::TForm20(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm20"),
           QStringLiteral("Colour"), QSize(480, 360), ScreenFitMode::Full) {
    // Only the window exists so far; its controls and actions are not built yet.
    fitToScreen();
}

}  // namespace keldar::ui
