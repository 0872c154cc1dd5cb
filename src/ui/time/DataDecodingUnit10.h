#pragma once

#include "ui/app/Page.h"

namespace keldar::ui {

// The data decoding information page: the key to the 27-character product file names.
class TForm10 : public Page {
    Q_OBJECT
public:
    TForm10(Workbench& workbench, platform::Platform& platform);

protected:
    void showEvent(QShowEvent* event) override;
};

}  // namespace keldar::ui
