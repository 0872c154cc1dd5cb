#pragma once

#include "ui/app/Page.h"

namespace keldar::ui {

// The web links page: the rovers' galleries and mission pages.
class TForm4 : public Page {
    Q_OBJECT
public:
    TForm4(Workbench& workbench, platform::Platform& platform);
};

}  // namespace keldar::ui
