#include "ui/search/SOLsearchUnit23.h"

namespace keldar::ui {

TForm23::TForm23(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm23"),
           QStringLiteral("SOL searcher"), QSize(480, 360), ScreenFitMode::Full) {
    // Only the window exists so far; its controls and actions are not built yet.
    fitToScreen();
}

}  // namespace keldar::ui
