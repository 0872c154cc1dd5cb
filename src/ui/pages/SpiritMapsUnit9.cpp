#include "ui/pages/SpiritMapsUnit9.h"

namespace keldar::ui {

TForm9::TForm9(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm9"),
           QStringLiteral("Spirit Traverse Maps"), QSize(480, 360), ScreenFitMode::Full) {
    // Only the window exists so far; its controls and actions are not built yet.
    fitToScreen();
}

}  // namespace keldar::ui
