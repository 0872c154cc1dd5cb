#pragma once

#include "ui/app/Page.h"

namespace keldar::ui {

// The stereo pair viewer: a stereo pair side by side for cross-eyed viewing.
class TForm2 : public Page {
    Q_OBJECT
public:
    TForm2(Workbench& workbench, platform::Platform& platform);
};

}  // namespace keldar::ui
