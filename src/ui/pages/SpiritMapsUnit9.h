#pragma once

#include "ui/pages/TraverseMapViewer.h"

namespace keldar::ui {

// The Spirit traverse map page: steps through the rover's route maps.
class TForm9 : public TraverseMapViewer {
    Q_OBJECT
public:
    TForm9(Workbench& workbench, platform::Platform& platform);
};

}  // namespace keldar::ui
