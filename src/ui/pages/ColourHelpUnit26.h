#pragma once

#include "ui/app/Page.h"

namespace keldar::ui {

// The help page on making a colour composite.
class TForm26 : public Page {
    Q_OBJECT
public:
    TForm26(Workbench& workbench, platform::Platform& platform);
};

}  // namespace keldar::ui
