#pragma once

#include "ui/app/Page.h"

namespace keldar::ui {

// The colour composer: a colour picture from three band images.
class TForm20 : public Page {
    Q_OBJECT
public:
    TForm20(Workbench& workbench, platform::Platform& platform);
};

}  // namespace keldar::ui
