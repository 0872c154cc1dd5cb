#include "ui/search/BirthdaySearchUnit14.h"

namespace keldar::ui {

TForm14::TForm14(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm14"),
           QStringLiteral("My Birthday Searcher"), QSize(480, 360), ScreenFitMode::Full) {
    // Only the window exists so far; its controls and actions are not built yet.
    fitToScreen();
}

}  // namespace keldar::ui
