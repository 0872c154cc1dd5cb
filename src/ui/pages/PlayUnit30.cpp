#include "ui/pages/PlayUnit30.h"

namespace keldar::ui {

TForm30::TForm30(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm30"),
           QStringLiteral("Play Page"), QSize(480, 360), ScreenFitMode::None) {
    // Only the window exists so far; its controls and actions are not built yet.
    fitToScreen();
}

}  // namespace keldar::ui
