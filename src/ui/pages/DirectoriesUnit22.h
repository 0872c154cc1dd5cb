#pragma once

#include "ui/app/Page.h"

namespace keldar::ui {

// The directories page: jumps to the home and category directories.
class TForm22 : public Page {
    Q_OBJECT
public:
    TForm22(Workbench& workbench, platform::Platform& platform);
};

}  // namespace keldar::ui
