#pragma once

#include "ui/app/Page.h"

namespace keldar::ui {

// The birthday searcher: steps the main window to images taken on a birthday.
class TForm14 : public Page {
    Q_OBJECT
public:
    TForm14(Workbench& workbench, platform::Platform& platform);
};

}  // namespace keldar::ui
