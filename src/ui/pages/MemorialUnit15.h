#pragma once

#include "ui/app/Page.h"

namespace keldar::ui {

// The memorial page: a list of names shown one after another, then faded out.
class TForm15 : public Page {
    Q_OBJECT
public:
    TForm15(Workbench& workbench, platform::Platform& platform);
};

}  // namespace keldar::ui
