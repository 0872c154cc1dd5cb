#pragma once

#include "ui/app/Page.h"

namespace keldar::ui {

// The help menu page: a column of buttons that open the help pages.
class TForm12 : public Page {
    Q_OBJECT
public:
    TForm12(Workbench& workbench, platform::Platform& platform);
};

}  // namespace keldar::ui
