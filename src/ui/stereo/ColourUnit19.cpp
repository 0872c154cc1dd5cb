#include "ui/stereo/ColourUnit19.h"

namespace keldar::ui {

TForm19::TForm19(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm19"),
           QStringLiteral("Anaglyph"), QSize(480, 360), ScreenFitMode::Full) {
    // Only the window exists so far; its controls and actions are not built yet.
    fitToScreen();
}

}  // namespace keldar::ui
