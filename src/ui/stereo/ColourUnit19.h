#pragma once

#include "ui/app/Page.h"

namespace keldar::ui {

// The anaglyph builder: a red/cyan anaglyph from a stereo pair.
class TForm19 : public Page {
    Q_OBJECT
public:
    TForm19(Workbench& workbench, platform::Platform& platform);
};

}  // namespace keldar::ui
