#include "ui/colour/ColourProcessorUnit31.h"

namespace keldar::ui {

TForm31::TForm31(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm31"),
           QStringLiteral("Keldar Colour proccessor"), QSize(480, 360), ScreenFitMode::Full) {
    // Only the window exists so far; its controls and actions are not built yet.
    fitToScreen();
}

}  // namespace keldar::ui
