#pragma once

#include "ui/app/Page.h"

namespace keldar::ui {

// The colour processor: asks for the band of the current image or reports a failed automatic run.
class TForm31 : public Page {
    Q_OBJECT
public:
    TForm31(Workbench& workbench, platform::Platform& platform);
};

}  // namespace keldar::ui
