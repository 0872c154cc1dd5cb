#include "ui/pages/TraverseMapsUnit6.h"

namespace keldar::ui {

TForm6::TForm6(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm6"),
           QStringLiteral("Traverse Maps"), QSize(480, 360), ScreenFitMode::Full) {
    // Only the window exists so far; its controls and actions are not built yet.
    fitToScreen();
}

}  // namespace keldar::ui
