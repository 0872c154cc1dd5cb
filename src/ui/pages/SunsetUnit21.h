#pragma once

#include "ui/app/Page.h"

namespace keldar::ui {

// The sunset page: darkens an image step by step to night.
class TForm21 : public Page {
    Q_OBJECT
public:
    TForm21(Workbench& workbench, platform::Platform& platform);
};

}  // namespace keldar::ui
