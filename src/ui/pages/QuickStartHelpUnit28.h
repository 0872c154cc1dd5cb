#pragma once

#include "ui/app/Page.h"

namespace keldar::ui {

// The quick start help page: a first tour of the program.
class TForm28 : public Page {
    Q_OBJECT
public:
    TForm28(Workbench& workbench, platform::Platform& platform);
};

}  // namespace keldar::ui
