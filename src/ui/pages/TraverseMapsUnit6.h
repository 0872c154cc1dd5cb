#pragma once

#include "ui/app/Page.h"

namespace keldar::ui {

// The traverse map chooser: opens the map pages of either rover.
class TForm6 : public Page {
    Q_OBJECT
public:
    TForm6(Workbench& workbench, platform::Platform& platform);
};

}  // namespace keldar::ui
