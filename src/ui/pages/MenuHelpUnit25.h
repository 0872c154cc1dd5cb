#pragma once

#include "ui/app/Page.h"

namespace keldar::ui {

// The help page on menu selections.
class TForm25 : public Page {
    Q_OBJECT
public:
    TForm25(Workbench& workbench, platform::Platform& platform);
};

}  // namespace keldar::ui
