#pragma once

#include "ui/app/Page.h"

namespace keldar::ui {

// The Mars links page: a longer list of Mars-related sites.
class TForm24 : public Page {
    Q_OBJECT
public:
    TForm24(Workbench& workbench, platform::Platform& platform);
};

}  // namespace keldar::ui
