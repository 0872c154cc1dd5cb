#include "ui/pages/OpportunityMapsUnit8.h"

namespace keldar::ui {

TForm8::TForm8(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm8"),
           QStringLiteral("Opportunity Traverse Maps"), QSize(480, 360), ScreenFitMode::Full) {
    // Only the window exists so far; its controls and actions are not built yet.
    fitToScreen();
}

}  // namespace keldar::ui
