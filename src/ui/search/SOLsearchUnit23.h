#pragma once

#include "ui/app/Page.h"

namespace keldar::ui {

// The SOL searcher: steps the main window to the first image of a chosen sol.
class TForm23 : public Page {
    Q_OBJECT
public:
    TForm23(Workbench& workbench, platform::Platform& platform);
};

}  // namespace keldar::ui
