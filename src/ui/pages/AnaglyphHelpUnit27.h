#pragma once

#include "ui/app/Page.h"

namespace keldar::ui {

// The help page on creating red/cyan anaglyphs.
class TForm27 : public Page {
    Q_OBJECT
public:
    TForm27(Workbench& workbench, platform::Platform& platform);
};

}  // namespace keldar::ui
