#pragma once

#include "ui/app/Page.h"

namespace keldar::ui {

// The Martian calendar page: fixed texts about the Martian calendar.
class TForm5 : public Page {
    Q_OBJECT
public:
    TForm5(Workbench& workbench, platform::Platform& platform);
};

}  // namespace keldar::ui
