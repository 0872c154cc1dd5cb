#include "ui/pages/AnaglyphHelpUnit27.h"

namespace keldar::ui {

TForm27::TForm27(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm27"),
           QStringLiteral("Help for creating 3D anaglyphs"), QSize(480, 360), ScreenFitMode::Full) {
    // Only the window exists so far; its controls and actions are not built yet.
    fitToScreen();
}

}  // namespace keldar::ui
