#include "ui/pages/WebLinksUnit4.h"

namespace keldar::ui {

TForm4::TForm4(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm4"),
           QStringLiteral("Web Links"), QSize(480, 360), ScreenFitMode::Full) {
    // Only the window exists so far; its controls and actions are not built yet.
    fitToScreen();
}

}  // namespace keldar::ui
