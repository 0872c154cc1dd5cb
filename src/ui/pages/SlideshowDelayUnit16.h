#pragma once

#include "ui/app/Page.h"

namespace keldar::ui {

// The slideshow delay page: where the user enters the slideshow delay.
class TForm16 : public Page {
    Q_OBJECT
public:
    TForm16(Workbench& workbench, platform::Platform& platform);
};

}  // namespace keldar::ui
