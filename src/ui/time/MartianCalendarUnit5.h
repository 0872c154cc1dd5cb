#pragma once

#include "ui/app/Page.h"

namespace keldar::ui {

// The Martian calendar page: fixed texts on the sol, the Martian calendar and the seasons.
class TForm5 : public Page {
    Q_OBJECT
public:
    TForm5(Workbench& workbench, platform::Platform& platform);

protected:
    void showEvent(QShowEvent* event) override;
};

}  // namespace keldar::ui
