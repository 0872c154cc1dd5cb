#pragma once

#include "ui/app/Page.h"

namespace keldar::ui {

// The manual stereo selection: builds a stereo pair by hand.
class TForm11 : public Page {
    Q_OBJECT
public:
    TForm11(Workbench& workbench, platform::Platform& platform);
};

}  // namespace keldar::ui
