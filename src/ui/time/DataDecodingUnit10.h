#pragma once

#include "ui/app/Page.h"

namespace keldar::ui {

// The data decoding information page: fixed texts on how file names are decoded.
class TForm10 : public Page {
    Q_OBJECT
public:
    TForm10(Workbench& workbench, platform::Platform& platform);
};

}  // namespace keldar::ui
