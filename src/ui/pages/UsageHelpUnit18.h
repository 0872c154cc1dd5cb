#pragma once

#include "ui/app/Page.h"

namespace keldar::ui {

// The usage help page: what the program decodes, computes and shows, in numbered points.
class TForm18 : public Page {
    Q_OBJECT
public:
    TForm18(Workbench& workbench, platform::Platform& platform);
};

}  // namespace keldar::ui
