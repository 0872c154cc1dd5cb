#pragma once

#include "ui/app/Page.h"

namespace keldar::ui {

// The play page: a workbench for bitmap, canvas and clipboard experiments.
class TForm30 : public Page {
    Q_OBJECT
public:
    TForm30(Workbench& workbench, platform::Platform& platform);
};

}  // namespace keldar::ui
