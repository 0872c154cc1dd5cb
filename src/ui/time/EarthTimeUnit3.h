#pragma once

#include "ui/app/Page.h"

namespace keldar::ui {

// The Earth time variables page: the spacecraft clock broken into Earth units beside the time now.
class TForm3 : public Page {
    Q_OBJECT
public:
    TForm3(Workbench& workbench, platform::Platform& platform);
};

}  // namespace keldar::ui
