#include "ui/pages/SlideshowDelayUnit16.h"

namespace keldar::ui {

TForm16::TForm16(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm16"),
           QStringLiteral("Slideshow Delay"), QSize(480, 360), ScreenFitMode::Full) {
    // Only the window exists so far; its controls and actions are not built yet.
    fitToScreen();
}

}  // namespace keldar::ui
