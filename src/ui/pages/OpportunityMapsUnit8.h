#pragma once

#include "ui/pages/TraverseMapViewer.h"

namespace keldar::ui {

// The Opportunity traverse map page: steps through the rover's route maps.
class TForm8 : public TraverseMapViewer {
    Q_OBJECT
public:
    TForm8(Workbench& workbench, platform::Platform& platform);
};

}  // namespace keldar::ui
