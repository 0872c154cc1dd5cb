#pragma once

#include "ui/app/Page.h"

namespace keldar::ui {

// The full-size image page: the current image at its true pixel size.
class TForm17 : public Page {
    Q_OBJECT
public:
    TForm17(Workbench& workbench, platform::Platform& platform);
};

}  // namespace keldar::ui
