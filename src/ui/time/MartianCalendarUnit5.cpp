#include "ui/time/MartianCalendarUnit5.h"

namespace keldar::ui {

TForm5::TForm5(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm5"),
           QStringLiteral("Martian Calendar"), QSize(480, 360), ScreenFitMode::WithoutFonts) {
    // Only the window exists so far; its controls and actions are not built yet.
    fitToScreen();
}

}  // namespace keldar::ui
