#include "ui/time/DataDecodingUnit10.h"

namespace keldar::ui {

TForm10::TForm10(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm10"),
           QStringLiteral("Data Decoding Information"), QSize(480, 360), ScreenFitMode::Full) {
    // Only the window exists so far; its controls and actions are not built yet.
    fitToScreen();
}

}  // namespace keldar::ui
